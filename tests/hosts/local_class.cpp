#include "hosts/local_class.h"

#include <new>
#include <vector>

#include "control/surface.h"

namespace zorvel::host {

// Makes controls with the linked library and remembers the plain ones.
class LocalSurfaceFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_cRef); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = InterlockedDecrement(&m_cRef);
        if (count == 0) delete this;
        return count;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CSurface::CreateInstance(outer, riid, ppv);
        ComPtr<ISurface> surface;
        RETURN_IF_FAILED(CSurface::CreateInstance(nullptr, IID_ISurface, surface.put_void()));
        try {
            m_created.push_back(surface);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return surface->QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    CSurface* SurfaceOf(IUnknown* control) const {
        if (!control) return nullptr;
        for (const ComPtr<ISurface>& surface : m_created)
            if (SameIdentity(surface.get(), control)) return static_cast<CSurface*>(surface.get());
        return nullptr;
    }
    void Forget() { m_created.clear(); }

private:
    LONG m_cRef = 1;
    std::vector<ComPtr<ISurface>> m_created;
};

LocalSurfaceClass::LocalSurfaceClass() = default;

LocalSurfaceClass::~LocalSurfaceClass() {
    Revoke();
}

HRESULT LocalSurfaceClass::Register() {
    Revoke();
    LocalSurfaceFactory* factory = new (std::nothrow) LocalSurfaceFactory;
    if (!factory) return E_OUTOFMEMORY;
    m_factory.attach(factory);
    return CoRegisterClassObject(CLSID_CSurface, m_factory.get(), CLSCTX_INPROC_SERVER,
                                 REGCLS_MULTIPLEUSE, &m_cookie);
}

void LocalSurfaceClass::Revoke() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
    m_cookie = 0;
    if (m_factory) m_factory->Forget();
    m_factory.reset();
}

CSurface* LocalSurfaceClass::SurfaceOf(IUnknown* control) const {
    return m_factory ? m_factory->SurfaceOf(control) : nullptr;
}

}  // namespace zorvel::host
