#include "hosts/container/control_host.h"

#include <string>

#include "hosts/container/units.h"

namespace zorvel::host {

HRESULT ControlHost::CreateObject(REFCLSID clsid, const ControlData& data) {
    if (data.licenceKey.empty())
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                m_control.put_void());
    // A licensed class is created through IClassFactory2 with the key the
    // host was given at design time.
    ComPtr<IClassFactory2> factory;
    RETURN_IF_FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory2,
                                      factory.put_void()));
    UniqueBstr key(SysAllocStringLen(data.licenceKey.data(), static_cast<UINT>(data.licenceKey.size())));
    if (!key.get()) return E_OUTOFMEMORY;
    return factory->CreateInstanceLic(nullptr, nullptr, IID_IUnknown, key.get(),
                                      m_control.put_void());
}

HRESULT ControlHost::LoadObject(const ControlData& data) {
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(m_control.query_to(persist)) || !persist) {
        // Without stream persistence a control can only start new.
        return data.stream.empty() ? S_OK : E_NOINTERFACE;
    }
    if (data.stream.empty()) return persist->InitNew();
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(CreateStreamOnBytes(data.stream, stream.put()));
    return persist->Load(stream.get());
}

HRESULT ControlHost::Create(HWND parent, const RECT& position, REFCLSID clsid,
                            const ControlData& data, const AmbientProperties& ambient) {
    Close();
    if (!parent || !IsWindow(parent)) return E_INVALIDARG;

    CInPlaceFrame* frame = nullptr;
    RETURN_IF_FAILED(CInPlaceFrame::Create(GetAncestor(parent, GA_ROOT), &frame));
    m_frame.attach(frame);
    CControlSite* site = nullptr;
    HRESULT hr = CControlSite::Create(parent, position, ambient, m_frame.get(), &site);
    if (FAILED(hr)) {
        Close();
        return hr;
    }
    m_site.attach(site);

    hr = CreateObject(clsid, data);
    if (SUCCEEDED(hr)) hr = m_control.query_to(m_oleObject);
    if (FAILED(hr)) {
        Close();
        return hr;
    }
    IOleClientSite* clientSite = m_site.get();

    // Some controls need their site (and its ambients) before they load.
    DWORD miscStatus = 0;
    if (FAILED(m_oleObject->GetMiscStatus(DVASPECT_CONTENT, &miscStatus))) miscStatus = 0;
    const bool siteFirst = (miscStatus & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) hr = m_oleObject->SetClientSite(clientSite);
    if (SUCCEEDED(hr)) hr = LoadObject(data);
    if (SUCCEEDED(hr) && !siteFirst) hr = m_oleObject->SetClientSite(clientSite);
    if (FAILED(hr)) {
        Close();
        return hr;
    }

    wchar_t appName[256] = {};
    GetWindowTextW(GetAncestor(parent, GA_ROOT), appName, 256);
    m_oleObject->SetHostNames(appName, nullptr);
    // The extent follows the site's rectangle; a control may keep its own.
    const ScreenDpi dpi = SystemDpi();
    SIZEL extent = {PixelsToHimetric(position.right - position.left, dpi.x),
                    PixelsToHimetric(position.bottom - position.top, dpi.y)};
    m_oleObject->SetExtent(DVASPECT_CONTENT, &extent);

    m_site->Attach(m_control.get());
    RECT rc = position;
    hr = m_oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, parent, &rc);
    if (SUCCEEDED(hr) && !Window()) hr = E_UNEXPECTED;  // a windowed control without a window
    if (SUCCEEDED(hr)) hr = m_control.query_to(m_dispatch);
    if (FAILED(hr)) {
        Close();
        return hr;
    }
    return S_OK;
}

void ControlHost::Close() {
    if (m_oleObject) {
        m_oleObject->Close(OLECLOSE_NOSAVE);
        m_oleObject->SetClientSite(nullptr);
    }
    if (m_site) m_site->Detach();
    m_dispatch.reset();
    m_oleObject.reset();
    m_control.reset();
    m_site.reset();
    m_frame.reset();
}

HRESULT ControlHost::SetPosition(const RECT& position) {
    if (!m_site) return E_UNEXPECTED;
    return m_site->SetPosition(position);
}

HWND ControlHost::Window() const {
    ComPtr<IOleWindow> window;
    HWND hWnd = nullptr;
    if (m_control && SUCCEEDED(m_control.query_to(window)) && window &&
        SUCCEEDED(window->GetWindow(&hWnd)))
        return hWnd;
    return nullptr;
}

bool ControlHost::PreTranslateMessage(MSG* msg) {
    if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
    IOleInPlaceActiveObject* active = m_frame ? m_frame->ActiveObject() : nullptr;
    HWND hWnd = Window();
    if (!active || !hWnd || (msg->hwnd != hWnd && !IsChild(hWnd, msg->hwnd))) return false;
    return active->TranslateAccelerator(msg) == S_OK;
}

}  // namespace zorvel::host
