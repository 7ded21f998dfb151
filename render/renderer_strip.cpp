// The surface's strip in the device: the vertex buffer, its fill from the
// grid, and the one material and light the strip is drawn with.
#include "render/renderer.h"

#include <cstring>

#include "render/mesh.h"
#include "render/step_marks.h"

namespace zorvel {

HRESULT Renderer::EnsureVertexBuffer(UINT nVertexCount) {
    if (nVertexCount == m_nVertexCount) return S_OK;
    ReleaseStrip();
    // An empty grid has no strip: there is nothing to create, and no buffer
    // means the frame draws the background alone.
    if (nVertexCount == 0) return S_OK;
    if (!m_pDevice) return E_FAIL;
    if (nVertexCount > UINT_MAX / sizeof(SurfaceVertex)) return E_OUTOFMEMORY;
    RETURN_IF_FAILED(m_pDevice->CreateVertexBuffer(
        static_cast<UINT>(nVertexCount * sizeof(SurfaceVertex)), 0, kSurfaceVertexFvf,
        D3DPOOL_DEFAULT, m_pVertexBuffer.put()));
    m_nVertexCount = nVertexCount;
    MarkStep("buffer");
    return S_OK;
}

HRESULT Renderer::BuildVertices() {
    const GridView grid = m_scene.SceneGrid();
    const uint32_t count = StripVertexCount(grid);
    RETURN_IF_FAILED(EnsureVertexBuffer(count));
    if (count == 0) return S_OK;

    BYTE* data = nullptr;
    RETURN_IF_FAILED(m_pVertexBuffer->Lock(0, 0, &data, 0));
    BuildStrip(grid, reinterpret_cast<SurfaceVertex*>(data));
    const HRESULT hr = m_pVertexBuffer->Unlock();
    MarkStep("strip");
    return FAILED(hr) ? hr : S_OK;
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
}

}  // namespace zorvel
