// One OLE control placed in a host window: created from its CLSID, loaded
// from its persisted data, sited and activated in place in a rectangle of the
// parent's client area, and taken down again by Close or the destructor.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include "hosts/container/ambient.h"
#include "hosts/container/control_data.h"
#include "hosts/container/control_site.h"
#include "hosts/container/inplace_frame.h"
#include "common/owners.h"

namespace zorvel::host {

class ControlHost {
public:
    ControlHost() = default;
    ~ControlHost() { Close(); }
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // Creates the control and activates it at position (parent client
    // pixels).  On failure nothing is left behind and the error is returned.
    HRESULT Create(HWND parent, const RECT& position, REFCLSID clsid, const ControlData& data,
                   const AmbientProperties& ambient);
    // Deactivates and closes the control without saving, and lets it go.
    void Close();

    HRESULT SetPosition(const RECT& position);

    IUnknown* Control() const { return m_control.get(); }
    IDispatch* Dispatch() const { return m_dispatch.get(); }
    // The control's in-place window; null while it has none.
    HWND Window() const;
    const CControlSite* Site() const { return m_site.get(); }

    // Gives the UI-active control the first look at a keystroke meant for
    // its window; true when it took it.
    bool PreTranslateMessage(MSG* msg);

private:
    HRESULT CreateObject(REFCLSID clsid, const ControlData& data);
    HRESULT LoadObject(const ControlData& data);

    ComPtr<CInPlaceFrame> m_frame;
    ComPtr<CControlSite> m_site;
    ComPtr<IUnknown> m_control;
    ComPtr<IOleObject> m_oleObject;
    ComPtr<IDispatch> m_dispatch;
};

}  // namespace zorvel::host
