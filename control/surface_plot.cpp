// ISurface2: the whole grid from one array, heights read back, colour by
// height, fitted heights, the picture saved as a file, the axes and the
// mouse turning the view.  A refusal comes
// with an error description, which late-bound callers see in EXCEPINFO.
#include "control/surface.h"

#include <cmath>
#include <vector>

#include "common/png_file.h"
#include "control/grid_array.h"
#include "control/status.h"
#include "render/colour_map.h"

namespace {

// Size of a saved picture of a control without a window.
constexpr UINT kDefaultImageWidth = 640;
constexpr UINT kDefaultImageHeight = 480;

HRESULT Refuse(HRESULT hr, const wchar_t* why) {
    zorvel::ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetGUID(IID_ISurface2);
        create->SetSource(const_cast<LPOLESTR>(L"Vexo.Surface"));
        create->SetDescription(const_cast<LPOLESTR>(why));
        zorvel::ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.query_to(info))) SetErrorInfo(0, info.get());
    }
    return hr;
}

// An optional argument that was left out: missing (as VT_ERROR
// DISP_E_PARAMNOTFOUND), empty, or not given at all.
bool LeftOut(const VARIANT& value) {
    return value.vt == VT_EMPTY || (value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND);
}

// An optional number: keeps `number` when left out; false for anything else
// that is not a number.
bool OptionalNumber(const VARIANT& value, float* number) {
    return LeftOut(value) || zorvel::NumberFromVariant(value, number);
}

VARIANT_BOOL AsVariantBool(BOOL value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

STDMETHODIMP CSurface::SetGrid(VARIANT heights, VARIANT minX, VARIANT maxX, VARIANT minY, VARIANT maxY) {
    zorvel::GridArray grid;
    const wchar_t* why = nullptr;
    const HRESULT read = zorvel::ReadGridArray(heights, &grid, &why);
    if (read == E_OUTOFMEMORY) return read;
    if (FAILED(read)) return Refuse(read, why);
    float range[4] = {m_xMin, m_xMax, m_yMin, m_yMax};
    if (!OptionalNumber(minX, &range[0]) || !OptionalNumber(maxX, &range[1]) ||
        !OptionalNumber(minY, &range[2]) || !OptionalNumber(maxY, &range[3]))
        return Refuse(DISP_E_TYPEMISMATCH, L"the ranges must be numbers");
    if (!(range[0] < range[1]) || !(range[2] < range[3]))
        return Refuse(E_INVALIDARG, L"each range's minimum must be below its maximum");

    // Everything is checked: from here on only memory can run out.  The
    // control's copy of the ranges follows the grid's at once, so that the
    // two agree even when the grid's arrays cannot be made.
    m_grid.Resize(0, 0);
    m_grid.SetXAxis(range[0], range[1]);
    m_grid.SetYAxis(range[2], range[3]);
    m_xMin = range[0];
    m_xMax = range[1];
    m_yMin = range[2];
    m_yMax = range[3];
    if (m_grid.Resize(grid.countX, grid.countY) != zorvel::kOk) return E_OUTOFMEMORY;
    m_grid.SetHeights(grid.heights.data(), grid.heights.size());
    m_nPointCount = static_cast<LONG>(grid.heights.size());
    // Drawn at once when there is a device; kept for the first draw when not.
    const HRESULT drawn = m_renderer.Rebuild();
    return FAILED(drawn) && m_renderer.Device() ? drawn : S_OK;
}

STDMETHODIMP CSurface::GetHeight(LONG ix, LONG iy, float* pHeight) {
    if (!pHeight) return E_POINTER;
    *pHeight = 0.0f;
    const uint32_t col = static_cast<uint32_t>(ix), row = static_cast<uint32_t>(iy);
    if (col >= m_grid.CountX() || row >= m_grid.CountY() || !m_grid.Heights()) return 1;
    *pHeight = m_grid.Heights()[col + static_cast<size_t>(row) * m_grid.CountX()];
    return S_OK;
}

STDMETHODIMP CSurface::get_ColorMap(LONG* pMap) {
    if (!pMap) return E_POINTER;
    *pMap = m_renderer.ColorMap();
    return S_OK;
}

STDMETHODIMP CSurface::put_ColorMap(LONG map) {
    if (map < zorvel::kNoColourMap || map > zorvel::kLastColourMap)
        return Refuse(E_INVALIDARG, L"ColorMap takes 0 (one colour), 1 (sequential) or 2 (diverging)");
    return m_renderer.SetColorMap(map);
}

STDMETHODIMP CSurface::get_ShowLegend(VARIANT_BOOL* pShow) {
    if (!pShow) return E_POINTER;
    *pShow = AsVariantBool(m_renderer.ShowLegend());
    return S_OK;
}

STDMETHODIMP CSurface::put_ShowLegend(VARIANT_BOOL show) {
    return m_renderer.SetShowLegend(show != VARIANT_FALSE);
}

STDMETHODIMP CSurface::get_FitHeights(VARIANT_BOOL* pFit) {
    if (!pFit) return E_POINTER;
    *pFit = AsVariantBool(m_renderer.FitHeights());
    return S_OK;
}

STDMETHODIMP CSurface::put_FitHeights(VARIANT_BOOL fit) {
    return m_renderer.SetFitHeights(fit != VARIANT_FALSE);
}

STDMETHODIMP CSurface::get_ShowAxes(VARIANT_BOOL* pShow) {
    if (!pShow) return E_POINTER;
    *pShow = AsVariantBool(m_renderer.ShowAxes());
    return S_OK;
}

STDMETHODIMP CSurface::put_ShowAxes(VARIANT_BOOL show) {
    return m_renderer.SetShowAxes(show != VARIANT_FALSE);
}

STDMETHODIMP CSurface::AxisTitle(LONG axis, BSTR text) {
    const HRESULT hr = m_renderer.SetAxisTitle(axis, text);
    return hr == E_INVALIDARG ? Refuse(hr, L"AxisTitle takes axis 0 (x), 1 (y) or 2 (height)") : hr;
}

STDMETHODIMP CSurface::get_MouseNavigate(VARIANT_BOOL* pOn) {
    if (!pOn) return E_POINTER;
    *pOn = AsVariantBool(m_renderer.MouseNavigate());
    return S_OK;
}

STDMETHODIMP CSurface::put_MouseNavigate(VARIANT_BOOL on) {
    m_renderer.SetMouseNavigate(on != VARIANT_FALSE);
    return S_OK;
}

STDMETHODIMP CSurface::SaveImage(BSTR path, VARIANT width, VARIANT height) {
    if (!path || !*path) return Refuse(E_INVALIDARG, L"SaveImage needs a file name");
    UINT size[2] = {kDefaultImageWidth, kDefaultImageHeight};
    RECT client = {};
    if (HWND window = m_renderer.ControlWindow(); window && GetClientRect(window, &client) &&
                                                   client.right > 0 && client.bottom > 0)
        size[0] = static_cast<UINT>(client.right), size[1] = static_cast<UINT>(client.bottom);
    float given[2] = {static_cast<float>(size[0]), static_cast<float>(size[1])};
    if (!OptionalNumber(width, &given[0]) || !OptionalNumber(height, &given[1]))
        return Refuse(DISP_E_TYPEMISMATCH, L"width and height must be numbers");
    for (int i = 0; i < 2; ++i) {
        if (!(given[i] >= 1.0f && given[i] <= 4096.0f))
            return Refuse(E_INVALIDARG, L"width and height must be from 1 to 4096 pixels");
        size[i] = static_cast<UINT>(std::lround(given[i]));
    }
    std::vector<uint32_t> pixels;
    const HRESULT drawn = m_renderer.RenderPicture(size[0], size[1], pixels);
    if (FAILED(drawn)) return Refuse(drawn, L"the picture could not be drawn");
    const HRESULT written = zorvel::WritePng(path, pixels, size[0], size[1]);
    return FAILED(written) ? Refuse(written, L"the PNG file could not be written") : S_OK;
}
