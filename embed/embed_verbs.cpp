// IOleObject::DoVerb: the verb table and what each verb does.
#include "embed/embedding.h"

namespace {

struct VerbEntry {
    LONG verb;
    HRESULT (CSurfaceEmbedding::*run)(HWND hwndParent);
};

// Memory the platform hands out with CoTaskMemAlloc.
template <typename T>
struct CoTaskMemTraits {
    using type = T*;
    static T* invalid() { return nullptr; }
    static void close(T* p) { CoTaskMemFree(p); }
};
template <typename T>
using UniqueCoTaskMem = zorvel::UniqueHandleT<CoTaskMemTraits<T>>;

}  // namespace

STDMETHODIMP CSurfaceEmbedding::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG,
                                       HWND hwndParent, LPCRECT) {
    // A verb from a site other than ours would activate us in someone else's window.
    if (!zorvel::SameIdentity(pActiveSite, m_embed.clientSite.get())) return E_UNEXPECTED;

    static const VerbEntry kVerbs[] = {
        {OLEIVERB_PRIMARY, &CSurfaceEmbedding::DoVerbPrimary},
        {OLEIVERB_SHOW, &CSurfaceEmbedding::DoVerbShow},
        {OLEIVERB_OPEN, &CSurfaceEmbedding::DoVerbNothing},
        {OLEIVERB_HIDE, &CSurfaceEmbedding::DoVerbHide},
        {OLEIVERB_UIACTIVATE, &CSurfaceEmbedding::DoVerbUIActivate},
        {OLEIVERB_INPLACEACTIVATE, &CSurfaceEmbedding::DoVerbInPlaceActivate},
        {OLEIVERB_DISCARDUNDOSTATE, &CSurfaceEmbedding::DoVerbNothing},
        {OLEIVERB_PROPERTIES, &CSurfaceEmbedding::DoVerbProperties},
    };

    // Verbs of our own we have none: any positive one runs the primary verb.
    if (iVerb > 0) {
        DoVerbPrimary(hwndParent);
        return OLEOBJ_S_INVALIDVERB;
    }
    for (const VerbEntry& entry : kVerbs) {
        if (entry.verb == iVerb) return (this->*entry.run)(hwndParent);
    }
    return E_NOTIMPL;
}

HRESULT CSurfaceEmbedding::DoVerbPrimary(HWND hwndParent) {
    // Without a readable user-mode ambient the container is taken to be running.
    bool userMode = true;
    if (SUCCEEDED(GetAmbientUserMode(userMode)) && !userMode) return DoVerbProperties(hwndParent);
    return DoVerbInPlaceActivate(hwndParent);
}

HRESULT CSurfaceEmbedding::DoVerbShow(HWND) {
    RETURN_IF_FAILED(InPlaceActivate(OLEIVERB_SHOW));
    return S_OK;
}

HRESULT CSurfaceEmbedding::DoVerbInPlaceActivate(HWND) {
    return InPlaceActivate(OLEIVERB_INPLACEACTIVATE);
}

HRESULT CSurfaceEmbedding::DoVerbUIActivate(HWND) {
    return InPlaceActivate(OLEIVERB_UIACTIVATE);
}

HRESULT CSurfaceEmbedding::DoVerbHide(HWND) {
    UIDeactivate();
    if (HWND hWnd = m_renderer.ControlWindow()) ShowWindow(hWnd, SW_HIDE);
    return S_OK;
}

HRESULT CSurfaceEmbedding::DoVerbNothing(HWND) {
    return S_OK;
}

HRESULT CSurfaceEmbedding::DoVerbProperties(HWND hwndParent) {
    // The container's own property frame comes first.
    zorvel::ComPtr<IOleControlSite> controlSite;
    if (m_embed.clientSite &&
        SUCCEEDED(m_embed.clientSite.query_to(controlSite)) && controlSite) {
        const HRESULT hr = controlSite->ShowPropertyFrame();
        if (SUCCEEDED(hr)) return hr;
    }

    zorvel::ComPtr<IUnknown> identity = Identity();
    zorvel::ComPtr<ISpecifyPropertyPages> pages;
    zorvel::ComPtr<IOleObject> object;
    if (!identity || FAILED(identity.query_to(pages)) || FAILED(identity.query_to(object)))
        return OLEOBJ_S_CANNOT_DOVERB_NOW;

    CAUUID pageList = {};
    RETURN_IF_FAILED(pages->GetPages(&pageList));
    UniqueCoTaskMem<GUID> pageIds(pageList.pElems);
    UniqueCoTaskMem<OLECHAR> caption;
    object->GetUserType(USERCLASSTYPE_SHORT, caption.put());  // untitled without one
    LCID lcid = LOCALE_USER_DEFAULT;
    if (FAILED(GetAmbientLocale(lcid))) lcid = LOCALE_USER_DEFAULT;

    IUnknown* objects[] = {identity.get()};
    return OleCreatePropertyFrame(hwndParent, m_embed.posRect.left, m_embed.posRect.top, caption.get(), 1,
                                  objects, pageList.cElems, pageIds.get(), lcid, 0, nullptr);
}
