#include "render/text_texture.h"

#include <cstdint>

namespace zorvel {
namespace {

UINT PowerOfTwoAtLeast(UINT n) {
    UINT p = 1;
    while (p < n) p <<= 1;
    return p;
}

struct PreTransformedTexturedVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};
constexpr DWORD kTexturedFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

}  // namespace

HRESULT MakeTextTexture(IDirect3DDevice8* device, const std::wstring& text, TextTexture* out) {
    if (out->texture && out->text == text) return S_OK;
    *out = TextTexture{};
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return E_OUTOFMEMORY;
    SelectObject(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent = {};
    if (!GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent) || extent.cx <= 0 ||
        extent.cy <= 0)
        return E_FAIL;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = extent.cx;
    info.bmiHeader.biHeight = -extent.cy;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return E_OUTOFMEMORY;
    const HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    SetTextColor(dc.get(), RGB(255, 255, 255));
    SetBkColor(dc.get(), RGB(0, 0, 0));
    SetBkMode(dc.get(), OPAQUE);
    TextOutW(dc.get(), 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    SelectObject(dc.get(), previous);

    TextTexture label;
    label.text = text;
    label.width = static_cast<UINT>(extent.cx);
    label.height = static_cast<UINT>(extent.cy);
    label.textureWidth = PowerOfTwoAtLeast(label.width);
    label.textureHeight = PowerOfTwoAtLeast(label.height);
    RETURN_IF_FAILED(device->CreateTexture(label.textureWidth, label.textureHeight, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, label.texture.put()));
    D3DLOCKED_RECT locked = {};
    RETURN_IF_FAILED(label.texture->LockRect(0, &locked, nullptr, 0));
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    for (UINT y = 0; y < label.textureHeight; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch);
        for (UINT x = 0; x < label.textureWidth; ++x) {
            // The letters' coverage, from the brightest channel of GDI's grey.
            uint32_t cover = 0;
            if (x < label.width && y < label.height) {
                const uint32_t p = source[static_cast<size_t>(y) * label.width + x];
                const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                cover = r > g ? (r > b ? r : b) : (g > b ? g : b);
            }
            row[x] = (cover << 24) | 0x00FFFFFFu;
        }
    }
    RETURN_IF_FAILED(label.texture->UnlockRect(0));
    *out = std::move(label);
    return S_OK;
}

void BeginTextQuads(IDirect3DDevice8* device) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void EndTextQuads(IDirect3DDevice8* device) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

HRESULT DrawTextQuad(IDirect3DDevice8* device, const TextTexture& label, float x, float y) {
    if (!label.texture) return S_OK;
    const float w = static_cast<float>(label.width), h = static_cast<float>(label.height);
    const float u = w / static_cast<float>(label.textureWidth), v = h / static_cast<float>(label.textureHeight);
    // Pixel centres sit half a pixel in from the quad's edges.
    const float left = x - 0.5f, top = y - 0.5f;
    const PreTransformedTexturedVertex quad[4] = {
        {left, top, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
        {left + w, top, 0.0f, 1.0f, 0xFFFFFFFFu, u, 0.0f},
        {left, top + h, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, v},
        {left + w, top + h, 0.0f, 1.0f, 0xFFFFFFFFu, u, v},
    };
    RETURN_IF_FAILED(device->SetTexture(0, label.texture.get()));
    RETURN_IF_FAILED(device->SetVertexShader(kTexturedFvf));
    const HRESULT hr = device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0]));
    device->SetTexture(0, nullptr);
    return hr;
}

}  // namespace zorvel
