// The in-place frame of a host's top-level window: it tells an activated
// control which window it sits in and keeps the control that is UI active,
// so that the host's message loop can offer it keystrokes first.  Hosts have
// no menus, tool space or status bar to share.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include "common/owners.h"

namespace zorvel::host {

class CInPlaceFrame final : public IOleInPlaceFrame {
public:
    static HRESULT Create(HWND frameWindow, CInPlaceFrame** frame);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;

    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT lprectBorder) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) override;

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
    STDMETHODIMP SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) override;
    STDMETHODIMP RemoveMenus(HMENU hmenuShared) override;
    STDMETHODIMP SetStatusText(LPCOLESTR pszStatusText) override;
    STDMETHODIMP EnableModeless(BOOL fEnable) override;
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg, WORD wID) override;

    // The UI-active object, if any.
    IOleInPlaceActiveObject* ActiveObject() const { return m_active.get(); }

private:
    explicit CInPlaceFrame(HWND frameWindow) : m_hWnd(frameWindow) {}
    ~CInPlaceFrame() = default;

    LONG m_cRef = 1;
    HWND m_hWnd;
    ComPtr<IOleInPlaceActiveObject> m_active;
};

}  // namespace zorvel::host
