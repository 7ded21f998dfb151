// Construction, release and the ISurface operations of the control.
#include "control/surface.h"

#include <cmath>

#include "render/direct3d_entry.h"
#include "server/module.h"

HRESULT CSurface::FinalConstruct() {
    m_pDevice.reset();
    m_pVertexBuffer.reset();
    m_bDeviceReady = FALSE;
    // Without Direct3D the control still constructs; the first draw reports the failure.
    m_pD3D.attach(zorvel::AcquireDirect3D());
    return AttachScriptState();
}

void CSurface::FinalRelease() {
    m_pVertexBuffer.reset();
    m_nVertexCount = 0;
    m_pDevice.reset();
    m_pD3D.reset();
    m_pGrid.reset();
    if (m_hWnd && IsWindow(m_hWnd) && m_nTimerId != 0) KillTimer(m_hWnd, m_nTimerId);
    m_nTimerId = 0;
    DestroyControlWindow();
    DetachScriptState();
}

STDMETHODIMP CSurface::SetPointPerXY(LONG lpx, LONG lpy) {
    // The product wraps like the 32-bit multiplication hosts have always seen.
    const LONG total = static_cast<LONG>(static_cast<ULONG>(lpx) * static_cast<ULONG>(lpy));
    if (total > 30000 || total < 4) return 1;
    m_nPointCount = total;
    // The grid reports its own allocation failure by having no arrays; the
    // call itself has accepted the counts.
    m_pGrid->Resize(static_cast<uint32_t>(lpx), static_cast<uint32_t>(lpy));
    return S_OK;
}

STDMETHODIMP CSurface::SetPointsPerXY(LONG lpx, LONG lpy) {
    return static_cast<ISurface*>(this)->SetPointPerXY(lpx, lpy);
}

STDMETHODIMP CSurface::GetPointsPerXY(LONG* ppX, LONG* ppY) {
    if (!ppX || !ppY) return E_POINTER;
    *ppX = static_cast<LONG>(m_pGrid->CountX());
    *ppY = static_cast<LONG>(m_pGrid->CountY());
    return S_OK;
}

STDMETHODIMP CSurface::SetXRange(float min_x, float max_x) {
    if (max_x <= min_x) return 1;
    const int status = m_pGrid->SetXAxis(min_x, max_x);
    // Keep the control's copy in step with the grid, which refuses a range it cannot spread.
    if (status == 0) {
        m_xMin = min_x;
        m_xMax = max_x;
    }
    return status;
}

STDMETHODIMP CSurface::SetYRange(float min_y, float max_y) {
    if (max_y <= min_y) return 1;
    const int status = m_pGrid->SetYAxis(min_y, max_y);
    if (status == 0) {
        m_yMin = min_y;
        m_yMax = max_y;
    }
    return status;
}

STDMETHODIMP CSurface::SetData(LONG posx, LONG posy, float x, float y, float z) {
    // Negative indices become huge unsigned ones and fall outside the grid.
    return m_pGrid->SetPoint(static_cast<uint32_t>(posx), static_cast<uint32_t>(posy), x, y, z);
}

STDMETHODIMP CSurface::GetXRange(float* pflminX, float* pflmaxX) {
    if (!pflminX || !pflmaxX) return E_POINTER;
    *pflminX = m_xMin;
    *pflmaxX = m_xMax;
    return S_OK;
}

STDMETHODIMP CSurface::GetYRange(float* pflminY, float* pflmaxY) {
    if (!pflminY || !pflmaxY) return E_POINTER;
    *pflminY = m_yMin;
    *pflmaxY = m_yMax;
    return S_OK;
}

STDMETHODIMP CSurface::Refresh() {
    // Cleared even when there is no device yet, so that the first draw keeps the data.
    m_bResetGridOnRebuild = FALSE;
    RETURN_IF_FAILED(RenderScene(TRUE));
    return PresentFrame();
}

STDMETHODIMP CSurface::get_XYRotate(LONG* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = m_bXYRotate;
    return S_OK;
}

STDMETHODIMP CSurface::put_XYRotate(LONG newVal) {
    m_bXYRotate = newVal != 0 ? 1 : 0;
    return S_OK;
}

STDMETHODIMP CSurface::get_ZRotate(LONG* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = m_bZRotate;
    return S_OK;
}

STDMETHODIMP CSurface::put_ZRotate(LONG newVal) {
    m_bZRotate = newVal != 0 ? 1 : 0;
    return S_OK;
}

STDMETHODIMP CSurface::get_Radius(float* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = m_fRadius;
    return S_OK;
}

STDMETHODIMP CSurface::put_Radius(float newVal) {
    // "Not above 0" also catches NaN.
    if (!(newVal > 0.0f)) return S_OK;
    m_fRadius = newVal;
    UpdateCamera(TRUE);  // a frame that cannot be drawn yet is drawn by the first paint
    return S_OK;
}

STDMETHODIMP CSurface::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, IID_ISurface) ? S_OK : S_FALSE;
}
