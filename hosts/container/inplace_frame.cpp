#include "hosts/container/inplace_frame.h"

#include <new>

namespace zorvel::host {

HRESULT CInPlaceFrame::Create(HWND frameWindow, CInPlaceFrame** frame) {
    if (!frame) return E_POINTER;
    *frame = new (std::nothrow) CInPlaceFrame(frameWindow);
    return *frame ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CInPlaceFrame::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
        IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
        *ppv = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CInPlaceFrame::AddRef() {
    return InterlockedIncrement(&m_cRef);
}

STDMETHODIMP_(ULONG) CInPlaceFrame::Release() {
    const LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0) delete this;
    return count;
}

STDMETHODIMP CInPlaceFrame::GetWindow(HWND* phwnd) {
    if (!phwnd) return E_POINTER;
    *phwnd = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP CInPlaceFrame::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CInPlaceFrame::GetBorder(LPRECT lprectBorder) {
    if (!lprectBorder) return E_POINTER;
    return GetClientRect(m_hWnd, lprectBorder) ? S_OK : E_FAIL;
}

// No tool space to give: the controls live inside the form's layout.
STDMETHODIMP CInPlaceFrame::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CInPlaceFrame::SetBorderSpace(LPCBORDERWIDTHS pborderwidths) {
    if (!pborderwidths) return S_OK;
    const BORDERWIDTHS& b = *pborderwidths;
    return (b.left | b.top | b.right | b.bottom) == 0 ? S_OK : OLE_E_INVALIDRECT;
}

STDMETHODIMP CInPlaceFrame::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) {
    m_active = ComPtr<IOleInPlaceActiveObject>(pActiveObject);
    return S_OK;
}

STDMETHODIMP CInPlaceFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return E_NOTIMPL;
}

STDMETHODIMP CInPlaceFrame::SetMenu(HMENU, HOLEMENU, HWND) {
    return S_OK;
}

STDMETHODIMP CInPlaceFrame::RemoveMenus(HMENU) {
    return E_NOTIMPL;
}

STDMETHODIMP CInPlaceFrame::SetStatusText(LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP CInPlaceFrame::EnableModeless(BOOL) {
    return S_OK;
}

// The hosts have no accelerator tables.
STDMETHODIMP CInPlaceFrame::TranslateAccelerator(LPMSG, WORD) {
    return S_FALSE;
}

}  // namespace zorvel::host
