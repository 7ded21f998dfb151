// The site of one control in a host window: client site, in-place site,
// control site and, through IDispatch, the ambient properties.  The control
// is activated in place in the rectangle the host gives, as a child of the
// host window; the frame is the host's top-level window.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include "hosts/container/ambient.h"
#include "hosts/container/inplace_frame.h"
#include "common/owners.h"

namespace zorvel::host {

class CControlSite final : public IOleClientSite,
                           public IOleInPlaceSite,
                           public IOleControlSite,
                           public IDispatch {
public:
    static HRESULT Create(HWND parent, const RECT& position, const AmbientProperties& ambient,
                          CInPlaceFrame* frame, CControlSite** site);

    // The control that lives here; dropped again by Detach.
    void Attach(IUnknown* control);
    void Detach();
    // Moves the control to a new rectangle in the parent's client area.
    HRESULT SetPosition(const RECT& position);
    const RECT& Position() const { return m_position; }
    bool InPlaceActive() const { return m_bInPlaceActive; }
    bool UIActive() const { return m_bUIActive; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL fShow) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                  LPRECT lprcPosRect, LPRECT lprcClipRect,
                                  LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE scrollExtant) override;
    STDMETHODIMP OnUIDeactivate(BOOL fUndoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override;

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override;
    STDMETHODIMP LockInPlaceActive(BOOL fLock) override;
    STDMETHODIMP GetExtendedControl(IDispatch** ppDisp) override;
    STDMETHODIMP TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) override;
    STDMETHODIMP TranslateAccelerator(MSG* pMsg, DWORD grfModifiers) override;
    STDMETHODIMP OnFocus(BOOL fGotFocus) override;
    STDMETHODIMP ShowPropertyFrame() override;

    // IDispatch: the ambient properties (site_ambient_dispatch.cpp)
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) override;

private:
    CControlSite(HWND parent, const RECT& position, const AmbientProperties& ambient,
                 CInPlaceFrame* frame);
    ~CControlSite() = default;
    CControlSite(const CControlSite&) = delete;
    CControlSite& operator=(const CControlSite&) = delete;

    LONG m_cRef = 1;
    HWND m_hParent;
    RECT m_position;
    AmbientProperties m_ambient;
    ComPtr<CInPlaceFrame> m_frame;
    ComPtr<IOleInPlaceObject> m_inPlaceObject;
    bool m_bInPlaceActive = false;
    bool m_bUIActive = false;
};

}  // namespace zorvel::host
