// The surface's strip in the device: the vertex buffer, its fill from the
// grid, and the one material and light the strip is drawn with.
#include "render/renderer.h"

#include <cstring>
#include <new>
#include <vector>

#include "render/colour_map.h"
#include "render/device_setup.h"
#include "render/mesh.h"
#include "render/step_marks.h"

namespace zorvel {
namespace {

// Fitting puts the heights' middle at 0 and stretches their range to span.
struct HeightFit {
    HeightFit(float low, float high, double span)
        : middle((static_cast<double>(low) + high) / 2.0),
          scale(high > low ? span / (static_cast<double>(high) - low) : 1.0) {}
    float operator()(float height) const { return static_cast<float>((height - middle) * scale); }

    double middle;
    double scale;
};

}  // namespace

HRESULT CreateStripBuffer(IDirect3DDevice8* device, UINT count, bool coloured, D3DPOOL pool,
                          IDirect3DVertexBuffer8** buffer) {
    const UINT stride = coloured ? sizeof(ColouredVertex) : sizeof(SurfaceVertex);
    if (count > UINT_MAX / stride) return E_OUTOFMEMORY;
    return device->CreateVertexBuffer(count * stride, 0, coloured ? kColouredVertexFvf : kSurfaceVertexFvf, pool,
                                      buffer);
}

HRESULT Renderer::EnsureVertexBuffer(UINT nVertexCount) {
    const bool coloured = m_colorMap != kNoColourMap;
    if (nVertexCount == m_nVertexCount && coloured == m_bColouredStrip) return S_OK;
    ReleaseStrip();
    // An empty grid has no strip: there is nothing to create, and no buffer
    // means the frame draws the background alone.
    if (nVertexCount == 0) return S_OK;
    if (!m_pDevice) return E_FAIL;
    RETURN_IF_FAILED(
        CreateStripBuffer(m_pDevice.get(), nVertexCount, coloured, D3DPOOL_DEFAULT, m_pVertexBuffer.put()));
    m_nVertexCount = nVertexCount;
    m_bColouredStrip = coloured;
    MarkStep("buffer");
    return S_OK;
}

HRESULT Renderer::BuildVertices() {
    const GridView grid = StripGrid(m_scene.SceneGrid());
    const uint32_t count = StripVertexCount(grid);
    RETURN_IF_FAILED(EnsureVertexBuffer(count));
    if (count == 0) return S_OK;

    const HRESULT filled = FillStrip(m_pVertexBuffer.get(), grid, count);
    MarkStep("strip");
    return filled;
}

GridView Renderer::StripGrid(GridView grid) {
    if (!grid.heights) return grid;
    const size_t points = static_cast<size_t>(grid.countX) * grid.countY;
    FindMinMax(grid.xs, grid.countX, &m_dataLow[0], &m_dataHigh[0]);
    FindMinMax(grid.ys, grid.countY, &m_dataLow[1], &m_dataHigh[1]);
    FindMinMax(grid.heights, static_cast<uint32_t>(points), &m_dataLow[2], &m_dataHigh[2]);
    m_bFittedStrip = FALSE;
    if (!m_bFitHeights) return grid;
    try {
        m_fittedHeights.resize(points);
    } catch (const std::bad_alloc&) {
        return grid;  // drawn as the heights are
    }
    const HeightFit fit(m_dataLow[2], m_dataHigh[2], kFittedSpan);
    for (size_t i = 0; i < points; ++i)
        m_fittedHeights[i] = fit(grid.heights[i]);
    grid.heights = m_fittedHeights.data();
    m_bFittedStrip = TRUE;
    return grid;
}

HRESULT Renderer::FillStrip(IDirect3DVertexBuffer8* buffer, const GridView& grid, uint32_t count) {
    std::vector<SurfaceVertex> plain;
    if (m_colorMap != kNoColourMap) {
        try {
            plain.resize(count);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    BYTE* out = nullptr;
    RETURN_IF_FAILED(buffer->Lock(0, 0, &out, 0));
    if (m_colorMap == kNoColourMap) {
        BuildStrip(grid, reinterpret_cast<SurfaceVertex*>(out));
    } else {
        // The map spans the strip's heights: the data's, or where fitting put them.
        float low = m_dataLow[2], high = m_dataHigh[2];
        if (m_bFittedStrip) {
            const HeightFit fit(low, high, kFittedSpan);
            low = fit(low);
            high = fit(high);
        }
        BuildStrip(grid, plain.data());
        ColourStrip(plain.data(), count, low, high, m_colorMap, reinterpret_cast<ColouredVertex*>(out));
    }
    return buffer->Unlock();
}

HRESULT Renderer::RebuildMesh() {
    if (m_bResetGridOnRebuild) {
        m_scene.ResetGrid();
        MarkStep("grid");
    }
    m_bResetGridOnRebuild = TRUE;
    return BuildVertices();
}

namespace {

D3DCOLORVALUE Colour(float r, float g, float b, float a) {
    D3DCOLORVALUE c;
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = a;
    return c;
}

}  // namespace

void Renderer::SetupMaterial() {
    std::memset(&m_material, 0, sizeof(m_material));
    m_material.Diffuse = Colour(0.5f, 0.5f, 0.5f, 0.5f);
    m_material.Ambient = Colour(0.0f, 0.0f, 0.0f, 0.0f);
    m_material.Specular = Colour(0.0f, 0.0f, 0.69f, 0.0f);
    // The blue-grey that every point shows, lit or not.
    m_material.Emissive = Colour(0.18f, 0.30f, 0.41f, 0.0f);
    m_material.Power = 0.5f;

    // A surface coloured by height: its diffuse and ambient colour are each
    // vertex's own (the render states of the coloured strip say so).
    std::memset(&m_mapMaterial, 0, sizeof(m_mapMaterial));
    m_mapMaterial.Diffuse = Colour(1.0f, 1.0f, 1.0f, 1.0f);
    m_mapMaterial.Ambient = Colour(1.0f, 1.0f, 1.0f, 1.0f);
    m_mapMaterial.Specular = Colour(0.25f, 0.25f, 0.25f, 0.0f);
    m_mapMaterial.Power = 16.0f;
}

void Renderer::SetupLight() {
    std::memset(&m_light, 0, sizeof(m_light));
    m_light.Type = D3DLIGHT_DIRECTIONAL;
    m_light.Diffuse = Colour(1.0f, 1.0f, 1.0f, 1.0f);
    m_light.Specular = Colour(0.29f, 0.29f, 0.29f, 0.0f);
    m_light.Ambient = Colour(0.0f, 0.30f, 0.0f, 0.0f);
    // Straight down onto the surface.
    m_light.Direction.x = 0.0f;
    m_light.Direction.y = 0.0f;
    m_light.Direction.z = -1.0f;

    // The same light in white, so that it keeps the map's colours.
    m_mapLight = m_light;
    m_mapLight.Specular = Colour(0.3f, 0.3f, 0.3f, 0.0f);
    m_mapLight.Ambient = Colour(0.35f, 0.35f, 0.35f, 0.0f);
}

HRESULT Renderer::SetColorMap(LONG map) {
    m_colorMap = static_cast<int32_t>(map);
    return Restyle();
}

HRESULT Renderer::SetFitHeights(BOOL fit) {
    m_bFitHeights = fit;
    return Restyle();
}

HRESULT Renderer::SetShowLegend(BOOL show) {
    m_bShowLegend = show;
    return Restyle();
}

HRESULT Renderer::Restyle() {
    // Without a device the first draw builds the strip in its style.
    if (!m_pDevice || !m_bDeviceReady) return S_OK;
    // A lost device refills the strip when it is back.
    if (!m_bDeviceLost) RETURN_IF_FAILED(BuildVertices());
    return Redraw();
}

HRESULT Renderer::Redraw() {
    if (!m_pDevice || !m_bDeviceReady) return S_OK;
    RETURN_IF_FAILED(RenderScene(FALSE));
    return PresentFrame();
}

}  // namespace zorvel
