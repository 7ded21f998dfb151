#include "embed_class_object.h"

#include "control/surface.h"

namespace embed_test {

namespace {

CSurface* g_lastCreated = nullptr;

// A static object: its lifetime is the program's, so counting is not needed.
class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        HRESULT hr = CSurface::CreateInstance(outer, riid, ppv);
        if (SUCCEEDED(hr) && !outer) {
            zorvel::ComPtr<ISurface> surface;
            static_cast<IUnknown*>(*ppv)->QueryInterface(IID_ISurface, surface.put_void());
            g_lastCreated = static_cast<CSurface*>(surface.get());
        }
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

TestClassObject::TestClassObject() {
    g_lastCreated = nullptr;
    m_hr = CoRegisterClassObject(CLSID_CSurface, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                 &m_cookie);
}

TestClassObject::~TestClassObject() {
    if (SUCCEEDED(m_hr)) CoRevokeClassObject(m_cookie);
    g_lastCreated = nullptr;
}

CSurface* TestClassObject::LastCreated() {
    return g_lastCreated;
}

}  // namespace embed_test
