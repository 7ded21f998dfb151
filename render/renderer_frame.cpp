// One frame: state, optional rebuild, clear, transforms, the lit strip; and
// the present that shows it.
#include "render/renderer.h"

#include "render/camera.h"
#include "render/colour_map.h"
#include "render/mesh.h"

namespace zorvel {
namespace {

// Once BeginScene has succeeded the scene is always closed, so that a failed
// frame does not make every later BeginScene fail as well.
HRESULT DrawLitStrip(IDirect3DDevice8* device, const D3DMATERIAL8& material,
                     const D3DLIGHT8& light, IDirect3DVertexBuffer8* buffer, UINT vertexCount,
                     bool coloured) {
    RETURN_IF_FAILED(device->SetMaterial(&material));
    RETURN_IF_FAILED(device->SetLight(0, &light));
    RETURN_IF_FAILED(device->LightEnable(0, TRUE));
    RETURN_IF_FAILED(device->SetRenderState(D3DRS_LIGHTING, TRUE));
    RETURN_IF_FAILED(device->SetRenderState(D3DRS_SPECULARENABLE, TRUE));
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);  // the default already
    // A grid without a strip (one row, no arrays) leaves the background alone.
    if (!buffer || vertexCount < 3) return S_OK;
    RETURN_IF_FAILED(device->SetStreamSource(0, buffer, coloured ? sizeof(ColouredVertex) : sizeof(SurfaceVertex)));
    RETURN_IF_FAILED(device->SetVertexShader(coloured ? kColouredVertexFvf : kSurfaceVertexFvf));
    if (!coloured) return device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, vertexCount - 2);
    // The vertex's colour lights as its ambient colour too; the state goes
    // back afterwards, so that a strip of one colour is drawn as ever.
    RETURN_IF_FAILED(device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1));
    const HRESULT hr = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, vertexCount - 2);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    return hr;
}

}  // namespace

HRESULT Renderer::RenderScene(BOOL bRebuild) {
    if (!m_pDevice) return E_FAIL;
    if (m_bDeviceLost) RETURN_IF_FAILED(RestoreLostDevice());
    const HRESULT hr = DrawScene(bRebuild);
    NoteDeviceLoss(hr);
    return hr;
}

HRESULT Renderer::DrawScene(BOOL bRebuild) {
    RETURN_IF_FAILED(m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
    if (bRebuild) RETURN_IF_FAILED(RebuildMesh());
    return DrawFrame(m_pDevice.get(), m_pVertexBuffer.get(), m_nVertexCount, m_bColouredStrip != FALSE,
                     m_labels);
}

HRESULT Renderer::DrawFrame(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer, UINT vertexCount,
                            bool coloured, FrameLabels& labels) const {
    RETURN_IF_FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, m_clearColor,
                                   1.0f, 0));

    D3DXMATRIX world, view, projection;
    D3DXMatrixRotationX(&world, 0.0f);
    device->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&world));
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXMatrixLookAtLH(&view, &m_vEye, &m_vLookAt, &up);
    device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&view));
    CameraProjectionMatrix(&projection);
    RETURN_IF_FAILED(
        device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&projection)));

    RETURN_IF_FAILED(device->BeginScene());
    HRESULT hrDraw = coloured
        ? DrawLitStrip(device, m_mapMaterial, m_mapLight, buffer, vertexCount, true)
        : DrawLitStrip(device, m_material, m_light, buffer, vertexCount, false);
    // The axes frame a strip there is; the legend goes over everything.
    if (SUCCEEDED(hrDraw) && m_bShowAxes && buffer && vertexCount >= 3) hrDraw = DrawAxes(device, labels);
    if (SUCCEEDED(hrDraw) && coloured && m_bShowLegend) hrDraw = DrawLegend(device, labels.legend);
    const HRESULT hrEnd = device->EndScene();
    if (FAILED(hrDraw)) return hrDraw;
    return FAILED(hrEnd) ? hrEnd : S_OK;
}

HRESULT Renderer::PresentFrame() {
    if (!m_pDevice) return E_FAIL;
    // A device reset since the last frame has nothing to show yet.
    if (m_bDeviceLost) RETURN_IF_FAILED(RenderScene(FALSE));
    const HRESULT hr = m_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    NoteDeviceLoss(hr);
    return FAILED(hr) ? hr : S_OK;
}

}  // namespace zorvel
