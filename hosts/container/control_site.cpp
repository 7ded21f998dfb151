#include "hosts/container/control_site.h"

#include <shlwapi.h>

#include <new>

#include "hosts/container/units.h"

namespace zorvel::host {

HRESULT CControlSite::Create(HWND parent, const RECT& position, const AmbientProperties& ambient,
                             CInPlaceFrame* frame, CControlSite** site) {
    if (!site) return E_POINTER;
    *site = new (std::nothrow) CControlSite(parent, position, ambient, frame);
    return *site ? S_OK : E_OUTOFMEMORY;
}

CControlSite::CControlSite(HWND parent, const RECT& position, const AmbientProperties& ambient,
                           CInPlaceFrame* frame)
    : m_hParent(parent), m_position(position), m_ambient(ambient), m_frame(frame) {}

void CControlSite::Attach(IUnknown* control) {
    m_inPlaceObject.reset();
    if (control)
        control->QueryInterface(IID_IOleInPlaceObject, m_inPlaceObject.put_void());
}

void CControlSite::Detach() {
    m_inPlaceObject.reset();
}

HRESULT CControlSite::SetPosition(const RECT& position) {
    m_position = position;
    if (!m_inPlaceObject || !m_bInPlaceActive) return S_OK;
    return m_inPlaceObject->SetObjectRects(&m_position, &m_position);
}

STDMETHODIMP CControlSite::QueryInterface(REFIID riid, void** ppv) {
    static const QITAB kInterfaces[] = {
        QITABENT(CControlSite, IOleClientSite),
        QITABENT(CControlSite, IOleInPlaceSite),
        QITABENTMULTI(CControlSite, IOleWindow, IOleInPlaceSite),
        QITABENT(CControlSite, IOleControlSite),
        QITABENT(CControlSite, IDispatch),
        {nullptr, 0},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

STDMETHODIMP_(ULONG) CControlSite::AddRef() {
    return InterlockedIncrement(&m_cRef);
}

STDMETHODIMP_(ULONG) CControlSite::Release() {
    const LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0) delete this;
    return count;
}

// --- IOleClientSite: the hosts keep no documents, so there is nothing to save.

STDMETHODIMP CControlSite::SaveObject() {
    return S_OK;
}

STDMETHODIMP CControlSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CControlSite::GetContainer(IOleContainer** ppContainer) {
    if (!ppContainer) return E_POINTER;
    *ppContainer = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CControlSite::ShowObject() {
    return S_OK;
}

STDMETHODIMP CControlSite::OnShowWindow(BOOL) {
    return S_OK;
}

STDMETHODIMP CControlSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

// --- IOleInPlaceSite

STDMETHODIMP CControlSite::GetWindow(HWND* phwnd) {
    if (!phwnd) return E_POINTER;
    *phwnd = m_hParent;
    return m_hParent ? S_OK : E_FAIL;
}

STDMETHODIMP CControlSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CControlSite::CanInPlaceActivate() {
    return m_hParent && IsWindow(m_hParent) ? S_OK : S_FALSE;
}

STDMETHODIMP CControlSite::OnInPlaceActivate() {
    m_bInPlaceActive = true;
    return S_OK;
}

STDMETHODIMP CControlSite::OnUIActivate() {
    m_bUIActive = true;
    return S_OK;
}

STDMETHODIMP CControlSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                            LPRECT lprcPosRect, LPRECT lprcClipRect,
                                            LPOLEINPLACEFRAMEINFO lpFrameInfo) {
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo) return E_POINTER;
    *ppFrame = m_frame.get();
    if (*ppFrame) (*ppFrame)->AddRef();
    *ppDoc = nullptr;  // the frame is the document window as well
    *lprcPosRect = m_position;
    // The whole parent clips: the hosts' controls never overlap their edges.
    GetClientRect(m_hParent, lprcClipRect);
    lpFrameInfo->fMDIApp = FALSE;
    lpFrameInfo->hwndFrame = GetAncestor(m_hParent, GA_ROOT);
    lpFrameInfo->haccel = nullptr;
    lpFrameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP CControlSite::Scroll(SIZE) {
    return E_NOTIMPL;
}

STDMETHODIMP CControlSite::OnUIDeactivate(BOOL) {
    m_bUIActive = false;
    return S_OK;
}

STDMETHODIMP CControlSite::OnInPlaceDeactivate() {
    m_bInPlaceActive = false;
    m_bUIActive = false;
    return S_OK;
}

STDMETHODIMP CControlSite::DiscardUndoState() {
    return S_OK;
}

STDMETHODIMP CControlSite::DeactivateAndUndo() {
    return m_inPlaceObject ? m_inPlaceObject->UIDeactivate() : S_OK;
}

// The layout is the host's: the control gets the rectangle it asks for only
// as far as the site's own rectangle goes, which is where it stays.
STDMETHODIMP CControlSite::OnPosRectChange(LPCRECT lprcPosRect) {
    if (!lprcPosRect) return E_POINTER;
    if (!m_inPlaceObject) return E_UNEXPECTED;
    return m_inPlaceObject->SetObjectRects(&m_position, &m_position);
}

// --- IOleControlSite

STDMETHODIMP CControlSite::OnControlInfoChanged() {
    return S_OK;
}

STDMETHODIMP CControlSite::LockInPlaceActive(BOOL) {
    return S_OK;
}

STDMETHODIMP CControlSite::GetExtendedControl(IDispatch** ppDisp) {
    if (!ppDisp) return E_POINTER;
    *ppDisp = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CControlSite::TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer,
                                           DWORD dwFlags) {
    if (!pPtlHimetric || !pPtfContainer) return E_POINTER;
    // The container's coordinates are the pixels of its windows.
    const ScreenDpi dpi = SystemDpi();
    if (dwFlags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        pPtfContainer->x = static_cast<float>(pPtlHimetric->x) * dpi.x / kHimetricPerInch;
        pPtfContainer->y = static_cast<float>(pPtlHimetric->y) * dpi.y / kHimetricPerInch;
        return S_OK;
    }
    if (dwFlags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
        pPtlHimetric->x = static_cast<LONG>(pPtfContainer->x * kHimetricPerInch / dpi.x + 0.5f);
        pPtlHimetric->y = static_cast<LONG>(pPtfContainer->y * kHimetricPerInch / dpi.y + 0.5f);
        return S_OK;
    }
    return E_INVALIDARG;
}

STDMETHODIMP CControlSite::TranslateAccelerator(MSG*, DWORD) {
    return S_FALSE;
}

STDMETHODIMP CControlSite::OnFocus(BOOL) {
    return S_OK;
}

STDMETHODIMP CControlSite::ShowPropertyFrame() {
    return E_NOTIMPL;
}

}  // namespace zorvel::host
