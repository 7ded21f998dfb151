// IOleObject: the container's site, sizes, advise connections, closing, and
// what the registry says about the class.  The verbs are in embed_verbs.cpp.
#include "embed/embedding.h"

STDMETHODIMP CSurfaceEmbedding::SetClientSite(IOleClientSite* pClientSite) {
    m_embed.clientSite = zorvel::ComPtr<IOleClientSite>(pClientSite);
    m_embed.ambientDispatch.reset();
    // A site without IDispatch simply has no ambient properties.
    if (pClientSite) pClientSite->QueryInterface(IID_IDispatch, m_embed.ambientDispatch.put_void());
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetClientSite(IOleClientSite** ppClientSite) {
    return m_embed.clientSite.copy_to(ppClientSite);
}

STDMETHODIMP CSurfaceEmbedding::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::Close(DWORD dwSaveOption) {
    // The site may drop its last reference to us from one of the calls below.
    zorvel::ComPtr<IUnknown> keepAlive = Identity();
    if (m_renderer.ControlWindow() && m_embed.clientSite) m_embed.clientSite->OnShowWindow(FALSE);
    if (m_embed.inPlaceActive) RETURN_IF_FAILED(InPlaceDeactivate());
    DestroyWindowAndDevice();

    const bool saveAsked = dwSaveOption == OLECLOSE_SAVEIFDIRTY || dwSaveOption == OLECLOSE_PROMPTSAVE;
    if (saveAsked && m_embed.requiresSave) {
        if (m_embed.clientSite) m_embed.clientSite->SaveObject();
        if (m_embed.oleAdviseHolder) m_embed.oleAdviseHolder->SendOnSave();
    }

    m_embed.inPlaceSite.reset();
    m_embed.negotiatedWindow = false;
    m_embed.windowless = false;
    m_embed.inPlaceSiteEx = false;
    m_embed.viewAdviseSink.reset();
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::GetMoniker(DWORD, DWORD, IMoniker**) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::GetClipboardData(DWORD, IDataObject**) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) {
    if (!ppEnumOleVerb) return E_POINTER;
    return OleRegEnumVerbs(CLSID_CSurface, ppEnumOleVerb);
}

STDMETHODIMP CSurfaceEmbedding::Update() {
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::IsUpToDate() {
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetUserClassID(CLSID* pClsid) {
    if (!pClsid) return E_POINTER;
    *pClsid = CLSID_CSurface;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) {
    if (!pszUserType) return E_POINTER;
    return OleRegGetUserType(CLSID_CSurface, dwFormOfType, pszUserType);
}

STDMETHODIMP CSurfaceEmbedding::SetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!psizel) return E_POINTER;
    // No notification: the object neither recomposes nor sizes itself on a
    // resize, and the natural extent stays what it is.
    m_embed.extent = *psizel;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
    if (dwDrawAspect != DVASPECT_CONTENT) return E_FAIL;
    if (!psizel) return E_POINTER;
    *psizel = m_embed.extent;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) {
    if (!m_embed.oleAdviseHolder)
        RETURN_IF_FAILED(CreateOleAdviseHolder(m_embed.oleAdviseHolder.put()));
    return m_embed.oleAdviseHolder->Advise(pAdvSink, pdwConnection);
}

STDMETHODIMP CSurfaceEmbedding::Unadvise(DWORD dwConnection) {
    if (!m_embed.oleAdviseHolder) return OLE_E_NOCONNECTION;
    return m_embed.oleAdviseHolder->Unadvise(dwConnection);
}

STDMETHODIMP CSurfaceEmbedding::EnumAdvise(IEnumSTATDATA** ppenumAdvise) {
    if (!ppenumAdvise) return E_POINTER;
    *ppenumAdvise = nullptr;
    if (!m_embed.oleAdviseHolder) return E_FAIL;
    return m_embed.oleAdviseHolder->EnumAdvise(ppenumAdvise);
}

STDMETHODIMP CSurfaceEmbedding::GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) {
    if (!pdwStatus) return E_POINTER;
    return OleRegGetMiscStatus(CLSID_CSurface, dwAspect, pdwStatus);
}

STDMETHODIMP CSurfaceEmbedding::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}
