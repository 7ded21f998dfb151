// The Direct3D device of the control: created on the first paint of its
// window together with the first frame and the rotation timer.
#include "control/surface.h"

#include <float.h>

namespace {

constexpr UINT_PTR kRotationTimerId = 1;
constexpr UINT kRotationPeriodMs = 10;

// Windowed, one back buffer the size of the client area that keeps its
// contents after a present (a paint shows it again), 16-bit depth.
D3DPRESENT_PARAMETERS WindowedParameters(D3DFORMAT backBufferFormat) {
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = 0;
    pp.BackBufferHeight = 0;
    pp.BackBufferFormat = backBufferFormat;
    pp.BackBufferCount = 0;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = nullptr;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    return pp;
}

}  // namespace

HRESULT CSurface::InitDevice(HWND hWnd) {
    SetupMaterial();
    SetupLight();
    m_hDeviceWindow = hWnd;
    m_clearColor = 0;

    // What an earlier attempt left behind belongs to another device: a buffer
    // kept for its vertex count would otherwise be drawn with the new one.
    m_bDeviceReady = FALSE;
    m_bDeviceLost = FALSE;
    m_pVertexBuffer.reset();
    m_nVertexCount = 0;
    m_pDevice.reset();

    if (!m_pD3D) return E_FAIL;
    D3DDISPLAYMODE mode = {};
    RETURN_IF_FAILED(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
    D3DPRESENT_PARAMETERS pp = WindowedParameters(mode.Format);
    // Device creation drops the thread's x87 unit to single precision; the
    // host's own arithmetic on this thread must not pay for our device.
    const unsigned int savedPrecision = _controlfp(0, 0) & _MCW_PC;
    const HRESULT hr = m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                            m_pDevice.put());
    _controlfp(savedPrecision, _MCW_PC);
    if (FAILED(hr)) {
        m_pDevice.reset();
        return hr;
    }
    return S_OK;
}

HRESULT CSurface::RestoreLostDevice() {
    if (!m_pDevice) return E_FAIL;
    const HRESULT level = m_pDevice->TestCooperativeLevel();
    if (level == D3DERR_DEVICENOTRESET) {
        // Reset refuses while a default-pool resource is alive.
        m_pVertexBuffer.reset();
        m_nVertexCount = 0;
        if (!m_pD3D) return E_FAIL;
        D3DDISPLAYMODE mode = {};
        RETURN_IF_FAILED(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
        D3DPRESENT_PARAMETERS pp = WindowedParameters(mode.Format);
        const unsigned int savedPrecision = _controlfp(0, 0) & _MCW_PC;
        const HRESULT hrReset = m_pDevice->Reset(&pp);
        _controlfp(savedPrecision, _MCW_PC);
        if (hrReset == D3DERR_DEVICELOST) return hrReset;
        if (FAILED(hrReset)) {
            // A device that cannot be reset is given up, as a window that
            // goes away gives it up: the next paint makes a new one and
            // keeps the grid.
            ReleaseDeviceObjects();
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

HRESULT CSurface::OnDraw() {
    const bool hasWindow = m_hWnd && IsWindow(m_hWnd);
    if (hasWindow && !m_bDeviceReady) {
        HRESULT hr = InitDevice(m_hWnd);
        if (SUCCEEDED(hr)) hr = RenderAndPresent();
        if (FAILED(hr)) {
            // The next paint starts over with a new device; nothing of this
            // attempt may survive into it.
            m_pVertexBuffer.reset();
            m_nVertexCount = 0;
            m_pDevice.reset();
            return S_FALSE;
        }
        m_bDeviceReady = TRUE;
        m_nTimerId = SetTimer(m_hWnd, kRotationTimerId, kRotationPeriodMs, nullptr);
    }
    if (hasWindow) PresentFrame();
    return S_OK;
}
