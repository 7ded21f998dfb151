// The surface's strip in the device: the vertex buffer, its fill from the
// grid, and the one material and light the strip is drawn with.
#include "control/surface.h"

#include <cstring>

#include "render/mesh.h"

HRESULT CSurface::EnsureVertexBuffer(UINT nVertexCount) {
    if (nVertexCount == m_nVertexCount) return S_OK;
    m_pVertexBuffer.reset();
    m_nVertexCount = 0;
    // An empty grid has no strip: there is nothing to create, and no buffer
    // means the frame draws the background alone.
    if (nVertexCount == 0) return S_OK;
    if (!m_pDevice) return E_FAIL;
    if (nVertexCount > UINT_MAX / sizeof(SurfaceVertex)) return E_OUTOFMEMORY;
    RETURN_IF_FAILED(m_pDevice->CreateVertexBuffer(
        static_cast<UINT>(nVertexCount * sizeof(SurfaceVertex)), 0, zorvel::kSurfaceVertexFvf,
        D3DPOOL_DEFAULT, m_pVertexBuffer.put()));
    m_nVertexCount = nVertexCount;
    return S_OK;
}

HRESULT CSurface::BuildVertices() {
    const uint32_t count = m_pGrid ? zorvel::StripVertexCount(*m_pGrid) : 0;
    RETURN_IF_FAILED(EnsureVertexBuffer(count));
    if (count == 0) return S_OK;

    BYTE* data = nullptr;
    RETURN_IF_FAILED(m_pVertexBuffer->Lock(0, 0, &data, 0));
    zorvel::BuildStrip(*m_pGrid, reinterpret_cast<SurfaceVertex*>(data));
    const HRESULT hr = m_pVertexBuffer->Unlock();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CSurface::RebuildMesh() {
    if (m_bResetGridOnRebuild && m_pGrid) {
        // Whatever grid this leaves is drawn, so its result does not matter here.
        m_pGrid->ResizeFromTotal(static_cast<uint32_t>(m_nPointCount), m_pGrid->CountX(),
                                 m_pGrid->CountY());
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

HRESULT CSurface::SetupMaterial() {
    std::memset(&m_material, 0, sizeof(m_material));
    m_material.Diffuse = Colour(0.5f, 0.5f, 0.5f, 0.5f);
    m_material.Ambient = Colour(0.0f, 0.0f, 0.0f, 0.0f);
    m_material.Specular = Colour(0.0f, 0.0f, 0.69f, 0.0f);
    // The blue-grey that every point shows, lit or not.
    m_material.Emissive = Colour(0.18f, 0.30f, 0.41f, 0.0f);
    m_material.Power = 0.5f;
    return S_OK;
}

HRESULT CSurface::SetupLight() {
    std::memset(&m_light, 0, sizeof(m_light));
    m_light.Type = D3DLIGHT_DIRECTIONAL;
    m_light.Diffuse = Colour(1.0f, 1.0f, 1.0f, 1.0f);
    m_light.Specular = Colour(0.29f, 0.29f, 0.29f, 0.0f);
    m_light.Ambient = Colour(0.0f, 0.30f, 0.0f, 0.0f);
    // Straight down onto the surface.
    m_light.Direction.x = 0.0f;
    m_light.Direction.y = 0.0f;
    m_light.Direction.z = -1.0f;
    return S_OK;
}
