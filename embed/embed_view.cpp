// IViewObject, IViewObject2 and IViewObjectEx: drawing on request, the view
// advise sink, sizes and hit tests.  The picture itself is Direct3D's, in the
// control's own window, so the device context a container offers is not used.
#include "embed/embedding.h"

namespace {

// Opaque, and the background is a solid colour.
constexpr DWORD kViewStatus = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;

}  // namespace

STDMETHODIMP CSurfaceEmbedding::Draw(DWORD dwDrawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC,
                                     LPCRECTL, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                     ULONG_PTR) {
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    return m_renderer.Paint();
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
