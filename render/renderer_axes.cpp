// The axes: a box around the strip's extent with ticks at round values, their
// numbers and the axes' titles.  The lines are drawn in the scene; the texts
// are drawn as screen-aligned quads at the projected ticks, so that they move
// with the camera and stay readable.
#include "render/renderer.h"

#include <cmath>
#include <new>

namespace zorvel {
namespace {

struct LineVertex {
    float x, y, z;
    DWORD colour;
};
constexpr DWORD kLineFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr DWORD kLineColour = 0xFFB4B4B4u;
// Pixels between a title and the numbers before it.
constexpr float kTitleGap = 4.0f;

// The most segments of one kind: the tick marks; the box has fewer edges.
constexpr int kMostSegments = kAxisCount * kMaxTicks;
static_assert(kBoxEdges <= kMostSegments, "the edges fit where the ticks do");

HRESULT DrawSegments(IDirect3DDevice8* device, const AxisSegment* segments, int count) {
    if (count == 0) return S_OK;
    LineVertex vertices[2 * kMostSegments];
    for (int i = 0; i < count; ++i) {
        const AxisSegment& s = segments[i];
        vertices[2 * i] = LineVertex{s.from.x, s.from.y, s.from.z, kLineColour};
        vertices[2 * i + 1] = LineVertex{s.to.x, s.to.y, s.to.z, kLineColour};
    }
    return device->DrawPrimitiveUP(D3DPT_LINELIST, static_cast<UINT>(count), vertices, sizeof(vertices[0]));
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// The labels of one frame, each drawn unless it would touch one drawn before.
class LabelWriter {
public:
    LabelWriter(IDirect3DDevice8* device, const D3DVIEWPORT8& viewport) : m_device(device), m_viewport(viewport) {}

    HRESULT Draw(const TextTexture& label, const LabelSpot& spot, float clearance) {
        if (!spot.visible || !label.texture) return S_OK;
        const LabelBox box = KeepInside(
            PlaceLabel(spot, static_cast<float>(label.width), static_cast<float>(label.height), clearance),
            static_cast<float>(m_viewport.Width), static_cast<float>(m_viewport.Height));
        for (int i = 0; i < m_count; ++i)
            if (Overlap(box, m_drawn[i])) return S_OK;
        m_drawn[m_count++] = box;
        return DrawTextQuad(m_device, label, box.left, box.top);
    }

private:
    IDirect3DDevice8* m_device;
    const D3DVIEWPORT8& m_viewport;
    LabelBox m_drawn[kAxisCount * (kMaxTicks + 1)];
    int m_count = 0;
};

}  // namespace

void Renderer::AxisSpans(AxisSpan (&spans)[kAxisCount]) const {
    // x and y span -10..10 in the strip; an axis of one value sits at 10.
    for (int axis = 0; axis < 2; ++axis) {
        const bool flat = !(m_dataHigh[axis] > m_dataLow[axis]);
        spans[axis] = AxisSpan{m_dataLow[axis], m_dataHigh[axis], flat ? 10.0f : -10.0f, 10.0f};
    }
    // Fitted heights span kFittedSpan about 0 (a flat grid lies at 0); the
    // numbers stay the real heights.
    const float low = m_dataLow[2], high = m_dataHigh[2];
    const float half = high > low ? static_cast<float>(kFittedSpan / 2.0) : 0.0f;
    spans[2] = m_bFittedStrip ? AxisSpan{low, high, -half, half} : AxisSpan{low, high, low, high};
}

bool Renderer::LayOutAxesFor(UINT width, UINT height, AxesLayout* layout) const {
    AxisSpan spans[kAxisCount];
    AxisSpans(spans);
    return LayOutAxes(spans, m_vEye, static_cast<float>(width), static_cast<float>(height), layout);
}

std::vector<std::wstring> Renderer::AxisNumbers(int axis) const {
    std::vector<std::wstring> numbers;
    const AxisTicks ticks = NiceTicks(m_dataLow[axis], m_dataHigh[axis]);
    for (int i = 0; i < ticks.count; ++i) numbers.push_back(Widen(TickText(ticks, i)));
    return numbers;
}

HRESULT Renderer::DrawAxes(IDirect3DDevice8* device, FrameLabels& labels) const {
    D3DVIEWPORT8 viewport = {};
    RETURN_IF_FAILED(device->GetViewport(&viewport));
    AxesLayout layout;
    if (!LayOutAxesFor(viewport.Width, viewport.Height, &layout)) return S_OK;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        for (int i = 0; i < layout.ticks[axis].count; ++i)
            RETURN_IF_FAILED(
                MakeTextTexture(device, Widen(TickText(layout.ticks[axis], i)), &labels.numbers[axis][i]));
        if (m_axisTitles[axis].empty())
            labels.titles[axis] = TextTexture{};
        else
            RETURN_IF_FAILED(MakeTextTexture(device, m_axisTitles[axis], &labels.titles[axis]));
    }

    // The edges the surface may hide are depth-tested; the ones in front of
    // it and the ticks outside the box are drawn over whatever is there.
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetVertexShader(kLineFvf);
    HRESULT hr = DrawSegments(device, layout.farEdges, layout.farCount);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    if (SUCCEEDED(hr)) hr = DrawSegments(device, layout.nearEdges, layout.nearCount);
    if (SUCCEEDED(hr)) hr = DrawSegments(device, layout.tickMarks, layout.tickMarkCount);

    // The numbers first, axis by axis, then the titles past them.
    BeginTextQuads(device);
    LabelWriter writer(device, viewport);
    float clearance[kAxisCount] = {};  // each title's way past its widest number
    for (int axis = 0; axis < kAxisCount && SUCCEEDED(hr); ++axis) {
        const LabelSpot& title = layout.titles[axis];
        for (int i = 0; i < layout.ticks[axis].count && SUCCEEDED(hr); ++i) {
            const TextTexture& number = labels.numbers[axis][i];
            clearance[axis] = std::fmax(clearance[axis],
                                        std::fabs(title.dx) * number.width + std::fabs(title.dy) * number.height);
            hr = writer.Draw(number, layout.numbers[axis][i], 0.0f);
        }
    }
    for (int axis = 0; axis < kAxisCount && SUCCEEDED(hr); ++axis)
        hr = writer.Draw(labels.titles[axis], layout.titles[axis], clearance[axis] + kTitleGap);
    EndTextQuads(device);
    // The surface's own states again for the next frame.
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    return hr;
}

HRESULT Renderer::SetShowAxes(BOOL show) {
    m_bShowAxes = show;
    return Redraw();
}

HRESULT Renderer::SetAxisTitle(LONG axis, const wchar_t* text) {
    if (axis < 0 || axis >= kAxisCount) return E_INVALIDARG;
    try {
        m_axisTitles[axis] = text ? text : L"";
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return Redraw();
}

}  // namespace zorvel
