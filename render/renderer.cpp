// The renderer's life: the device objects made on the first paint and dropped
// as one, and a lost device brought back.
#include "render/renderer.h"

#include "render/camera.h"
#include "render/device_setup.h"
#include "render/step_marks.h"
#include "render/direct3d_entry.h"

namespace zorvel {
namespace {

constexpr UINT_PTR kRotationTimerId = 1;
constexpr UINT kRotationPeriodMs = 10;

}  // namespace

D3DPRESENT_PARAMETERS WindowedParameters(D3DFORMAT backBufferFormat, UINT width, UINT height) {
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = backBufferFormat;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    // A paint shows the last frame again.
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    return pp;
}

Renderer::Renderer(SceneSource& scene)
    : m_scene(scene),
      m_fAzimuth(kInitialAzimuth),
      m_fElevation(kInitialElevation),
      m_fRadius(kInitialRadius),
      m_fRotateStep(kRotateStep) {
    m_vEye = EyeFromAngles(m_fAzimuth, m_fElevation, m_fRadius);
    // Without Direct3D the renderer still works; the first paint reports the failure.
    m_pD3D.attach(AcquireDirect3D());
}

Renderer::~Renderer() {
    Shutdown();
}

void Renderer::Shutdown() {
    // The Direct3D objects go before the timer and the window they were made for.
    ReleaseStrip();
    m_pDevice.reset();
    m_pD3D.reset();
    InvalidateDeviceObjects();
    DestroyControlWindow();
}

void Renderer::UseDirect3D(IDirect3D8* d3d) {
    m_pD3D = ComPtr<IDirect3D8>(d3d);
}

void Renderer::ReleaseStrip() {
    m_pVertexBuffer.reset();
    m_nVertexCount = 0;
    // The labels hold the device as well.
    m_labels = FrameLabels{};
}

HRESULT Renderer::CreateDeviceObjects(HWND hWnd) {
    SetupMaterial();
    SetupLight();
    m_clearColor = 0;
    // What an earlier attempt left behind belongs to another device: a buffer
    // kept for its vertex count would otherwise be drawn with the new one.
    m_bDeviceReady = FALSE;
    m_bDeviceLost = FALSE;
    ReleaseStrip();
    m_pDevice.reset();

    if (!m_pD3D) return E_FAIL;
    D3DDISPLAYMODE mode = {};
    RETURN_IF_FAILED(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
    D3DPRESENT_PARAMETERS pp = WindowedParameters(mode.Format);
    KeepFloatPrecision precision;
    const HRESULT hr = m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                            m_pDevice.put());
    if (FAILED(hr)) m_pDevice.reset();
    MarkStep("device");
    return FAILED(hr) ? hr : S_OK;
}

void Renderer::InvalidateDeviceObjects() {
    // The timer lives on the window the device presents into.
    if (m_nTimerId != 0 && m_hWnd && IsWindow(m_hWnd)) KillTimer(m_hWnd, m_nTimerId);
    m_nTimerId = 0;
    // Once drawn, the grid is the user's: the next device's first rebuild keeps it.
    if (m_bDeviceReady) m_bResetGridOnRebuild = FALSE;
    m_bDeviceReady = FALSE;
    m_bDeviceLost = FALSE;
    ReleaseStrip();
    m_pDevice.reset();
}

HRESULT Renderer::RestoreLostDevice() {
    if (!m_pDevice) return E_FAIL;
    const HRESULT level = m_pDevice->TestCooperativeLevel();
    if (level == D3DERR_DEVICENOTRESET) {
        // Reset refuses while a default-pool resource is alive.
        ReleaseStrip();
        if (!m_pD3D) return E_FAIL;
        D3DDISPLAYMODE mode = {};
        RETURN_IF_FAILED(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
        D3DPRESENT_PARAMETERS pp = WindowedParameters(mode.Format);
        HRESULT hrReset;
        {
            KeepFloatPrecision precision;
            hrReset = m_pDevice->Reset(&pp);
        }
        if (hrReset == D3DERR_DEVICELOST) return hrReset;
        if (FAILED(hrReset)) {
            // A device that cannot be reset is given up, as a window that
            // goes away gives it up: the next paint makes a new one and
            // keeps the grid.
            InvalidateDeviceObjects();
            if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
            return hrReset;
        }
    } else if (FAILED(level)) {
        // Still lost: a later frame asks again.
        return level;
    }
    // The strip is filled again from the grid as it stands: a lost device
    // must not cost the user's data, so the grid is not reset here.
    RETURN_IF_FAILED(BuildVertices());
    m_bDeviceLost = FALSE;
    return S_OK;
}

HRESULT Renderer::Paint() {
    const bool hasWindow = m_hWnd && IsWindow(m_hWnd);
    if (hasWindow && !m_bDeviceReady) {
        HRESULT hr = CreateDeviceObjects(m_hWnd);
        if (SUCCEEDED(hr)) hr = RenderAndPresent();
        if (FAILED(hr)) {
            // The next paint starts over with a new device; nothing of this
            // attempt may survive into it.
            ReleaseStrip();
            m_pDevice.reset();
            return S_FALSE;
        }
        m_bDeviceReady = TRUE;
        m_nTimerId = SetTimer(m_hWnd, kRotationTimerId, kRotationPeriodMs, nullptr);
        // The first frame has just been presented.
        return S_OK;
    }
    if (hasWindow) PresentFrame();
    return S_OK;
}

HRESULT Renderer::Rebuild() {
    // Cleared even when there is no device yet, so that the first draw keeps the data.
    m_bResetGridOnRebuild = FALSE;
    return RenderAndPresent();
}

HRESULT Renderer::RenderAndPresent() {
    RETURN_IF_FAILED(RenderScene(TRUE));
    return PresentFrame();
}

}  // namespace zorvel
