// The colour bar beside a surface coloured by height, with the lowest and the
// highest height written at its ends, in screen pixels whatever the camera.
#include "render/renderer.h"

#include <cwchar>

#include "render/colour_map.h"

namespace zorvel {
namespace {

struct PreTransformedVertex {
    float x, y, z, rhw;
    DWORD colour;
};
constexpr DWORD kBarFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr int kBarSteps = 32;

}  // namespace

std::wstring Renderer::HeightText(float height) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.4g", static_cast<double>(height));
    return text;
}

HRESULT Renderer::DrawLegend(IDirect3DDevice8* device, TextTexture* labels) const {
    D3DVIEWPORT8 viewport = {};
    RETURN_IF_FAILED(device->GetViewport(&viewport));
    const float width = static_cast<float>(viewport.Width), height = static_cast<float>(viewport.Height);
    const float left = width * 0.90f, right = width * 0.93f, top = height * 0.15f, bottom = height * 0.85f;
    PreTransformedVertex bar[2 * (kBarSteps + 1)];
    for (int i = 0; i <= kBarSteps; ++i) {
        const float t = static_cast<float>(i) / kBarSteps;  // the lowest height at the bottom
        const float y = bottom - (bottom - top) * t;
        const DWORD colour = MapColour(m_colorMap, t);
        bar[2 * i] = PreTransformedVertex{left, y, 0.0f, 1.0f, colour};
        bar[2 * i + 1] = PreTransformedVertex{right, y, 0.0f, 1.0f, colour};
    }
    RETURN_IF_FAILED(MakeTextTexture(device, LegendLow(), &labels[0]));
    RETURN_IF_FAILED(MakeTextTexture(device, LegendHigh(), &labels[1]));

    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetVertexShader(kBarFvf);
    HRESULT hr = device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2 * kBarSteps, bar, sizeof(bar[0]));
    BeginTextQuads(device);
    const float gap = 4.0f;
    if (SUCCEEDED(hr))
        hr = DrawTextQuad(device, labels[1], left - gap - labels[1].width, top - labels[1].height / 2.0f);
    if (SUCCEEDED(hr))
        hr = DrawTextQuad(device, labels[0], left - gap - labels[0].width, bottom - labels[0].height / 2.0f);
    // The surface's own states again for the next frame.
    EndTextQuads(device);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    return hr;
}

}  // namespace zorvel
