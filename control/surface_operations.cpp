// The ISurface operations: the grid and its ranges here, the camera and the
// frames in the renderer, the scripts in the script session.
#include "control/surface.h"

STDMETHODIMP CSurface::SetPointPerXY(LONG lpx, LONG lpy) {
    // The product wraps like the 32-bit multiplication hosts have always seen.
    const LONG total = static_cast<LONG>(static_cast<ULONG>(lpx) * static_cast<ULONG>(lpy));
    if (total > 30000 || total < 4) return 1;
    m_nPointCount = total;
    // The grid reports its own allocation failure by having no arrays; the
    // call itself has accepted the counts.
    m_grid.Resize(static_cast<uint32_t>(lpx), static_cast<uint32_t>(lpy));
    return S_OK;
}

STDMETHODIMP CSurface::SetPointsPerXY(LONG lpx, LONG lpy) {
    return static_cast<ISurface*>(this)->SetPointPerXY(lpx, lpy);
}

STDMETHODIMP CSurface::GetPointsPerXY(LONG* ppX, LONG* ppY) {
    if (!ppX || !ppY) return E_POINTER;
    *ppX = static_cast<LONG>(m_grid.CountX());
    *ppY = static_cast<LONG>(m_grid.CountY());
    return S_OK;
}

STDMETHODIMP CSurface::SetXRange(float min_x, float max_x) {
    if (max_x <= min_x) return 1;
    const int status = m_grid.SetXAxis(min_x, max_x);
    // Keep the control's copy in step with the grid, which refuses a range it cannot spread.
    if (status == 0) {
        m_xMin = min_x;
        m_xMax = max_x;
    }
    return status;
}

STDMETHODIMP CSurface::SetYRange(float min_y, float max_y) {
    if (max_y <= min_y) return 1;
    const int status = m_grid.SetYAxis(min_y, max_y);
    if (status == 0) {
        m_yMin = min_y;
        m_yMax = max_y;
    }
    return status;
}

STDMETHODIMP CSurface::SetData(LONG posx, LONG posy, float x, float y, float z) {
    // Negative indices become huge unsigned ones and fall outside the grid.
    return m_grid.SetPoint(static_cast<uint32_t>(posx), static_cast<uint32_t>(posy), x, y, z);
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
    return m_renderer.Rebuild();
}

STDMETHODIMP CSurface::get_XYRotate(LONG* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = m_renderer.XYRotate();
    return S_OK;
}

STDMETHODIMP CSurface::put_XYRotate(LONG newVal) {
    m_renderer.SetXYRotate(newVal != 0 ? 1 : 0);
    return S_OK;
}

STDMETHODIMP CSurface::get_ZRotate(LONG* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = m_renderer.ZRotate();
    return S_OK;
}

STDMETHODIMP CSurface::put_ZRotate(LONG newVal) {
    m_renderer.SetZRotate(newVal != 0 ? 1 : 0);
    return S_OK;
}

STDMETHODIMP CSurface::get_Radius(float* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = m_renderer.Radius();
    return S_OK;
}

STDMETHODIMP CSurface::put_Radius(float newVal) {
    return m_renderer.SetRadius(newVal);
}

STDMETHODIMP CSurface::RunScriptFromFile(BSTR filename, BSTR* Result) {
    // A script may release the caller's last reference: stay alive until the
    // run is over.
    zorvel::ComPtr<ISurface> self(this);
    return m_scripts.RunFile(filename, Result);
}

STDMETHODIMP CSurface::RunScript(BSTR script, BSTR* Result) {
    zorvel::ComPtr<ISurface> self(this);
    return m_scripts.RunText(script, Result);
}

STDMETHODIMP CSurface::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, IID_ISurface) || IsEqualIID(riid, IID_ISurface2) ? S_OK : S_FALSE;
}
