#include "server/class_factory.h"

#include <new>

#include "server/module.h"

namespace zorvel {
namespace {

class CClassFactory final : public IClassFactory {
public:
    explicit CClassFactory(InstanceCreator creator) : m_creator(creator) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }

    // The first reference is the object map's; a lock stands for all the others.
    STDMETHODIMP_(ULONG) AddRef() override {
        const LONG ref = InterlockedIncrement(&m_cRef);
        if (ref == 2) g_module.Lock();
        return static_cast<ULONG>(ref);
    }

    STDMETHODIMP_(ULONG) Release() override {
        const LONG ref = InterlockedDecrement(&m_cRef);
        if (ref == 1) g_module.Unlock();
        if (ref == 0) delete this;
        return static_cast<ULONG>(ref);
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        return m_creator(outer, riid, ppv);
    }

    STDMETHODIMP LockServer(BOOL fLock) override {
        if (fLock) g_module.Lock();
        else g_module.Unlock();
        return S_OK;
    }

private:
    ~CClassFactory() = default;

    const InstanceCreator m_creator;
    LONG m_cRef = 0;
};

}  // namespace

HRESULT CreateClassFactory(InstanceCreator creator, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    CClassFactory* factory = new (std::nothrow) CClassFactory(creator);
    if (!factory) return E_OUTOFMEMORY;
    factory->AddRef();
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

}  // namespace zorvel
