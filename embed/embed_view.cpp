// IViewObject, IViewObject2 and IViewObjectEx: drawing on request, the view
// advise sink, sizes and hit tests.  Asked to draw into its own window the
// control shows its frame there; any other device context (a bitmap, a
// printer, a metafile, another window) gets a picture of the same scene.
#include "embed/embedding.h"

#include "embed/picture.h"

namespace {

// Opaque, and the background is a solid colour.
constexpr DWORD kViewStatus = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;

}  // namespace

STDMETHODIMP CSurfaceEmbedding::Draw(DWORD dwDrawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw,
                                     LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                                     BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    const HWND own = m_renderer.ControlWindow();
    if (!hdcDraw || (own && WindowFromDC(hdcDraw) == own)) return m_renderer.Paint();
    if (!lprcBounds) return E_INVALIDARG;
    const RECT dest = {lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom};
    const SIZE pixels = zorvel::PixelSize(hdcDraw, dest, lprcWBounds);
    // Drawn in full before anything reaches the context: a failure leaves it as it was.
    zorvel::DibPicture picture;
    RETURN_IF_FAILED(zorvel::MakeDib(m_renderer, pixels.cx, pixels.cy, &picture));
    return zorvel::PutDib(hdcDraw, dest, picture);
}

STDMETHODIMP CSurfaceEmbedding::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::Freeze(DWORD, LONG, void*, DWORD*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::Unfreeze(DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) {
    m_embed.viewAdviseSink = zorvel::ComPtr<IAdviseSink>(pAdvSink);
    m_embed.viewAdviseAspects = aspects;
    m_embed.viewAdviseFlags = advf;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) {
    // Each out-parameter is optional.
    if (pAspects) *pAspects = m_embed.viewAdviseAspects;
    if (pAdvf) *pAdvf = m_embed.viewAdviseFlags;
    if (ppAdvSink) m_embed.viewAdviseSink.copy_to(ppAdvSink);
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL lpsizel) {
    if (!lpsizel) return E_POINTER;
    *lpsizel = m_embed.extent;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetRect(DWORD, LPRECTL) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::GetViewStatus(DWORD* pdwStatus) {
    if (!pdwStatus) return E_POINTER;
    *pdwStatus = kViewStatus;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::QueryHitPoint(DWORD dwAspect, LPCRECT pRectBounds, POINT ptlLoc,
                                              LONG, DWORD* pHitResult) {
    if (!pHitResult) return E_POINTER;
    *pHitResult = HITRESULT_OUTSIDE;
    if (dwAspect != DVASPECT_CONTENT) return E_FAIL;
    if (!pRectBounds) return E_POINTER;
    if (PtInRect(pRectBounds, ptlLoc)) *pHitResult = HITRESULT_HIT;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::QueryHitRect(DWORD dwAspect, LPCRECT pRectBounds,
                                             LPCRECT pRectLoc, LONG, DWORD* pHitResult) {
    if (!pHitResult) return E_POINTER;
    *pHitResult = HITRESULT_OUTSIDE;
    if (dwAspect != DVASPECT_CONTENT) return E_FAIL;
    if (!pRectBounds || !pRectLoc) return E_POINTER;
    RECT overlap;
    if (IntersectRect(&overlap, pRectBounds, pRectLoc)) *pHitResult = HITRESULT_HIT;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetNaturalExtent(DWORD dwAspect, LONG, DVTARGETDEVICE*, HDC,
                                                 DVEXTENTINFO* pExtentInfo, LPSIZEL pSizel) {
    if (!pExtentInfo || !pSizel) return E_POINTER;
    if (dwAspect != DVASPECT_CONTENT || pExtentInfo->dwExtentMode != DVEXTENT_CONTENT) return E_FAIL;
    *pSizel = m_embed.naturalExtent;
    return S_OK;
}
