#include "failing_control.h"

#include <new>

#include "control/surface.h"
#include "common/owners.h"

namespace host_test {
namespace {

struct FailurePlan {
    std::set<DISPID> failing;
    std::map<DISPID, int> calls;
};

class FailingControl final : public IDispatch {
public:
    FailingControl(FailurePlan* plan) : m_plan(plan) {}

    HRESULT Init() { return CSurface::CreateInstance(this, IID_IUnknown, m_inner.put_void()); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        // ISurface would go round the failures: not offered.
        if (IsEqualIID(riid, IID_ISurface)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return m_inner->QueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_cRef); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = InterlockedDecrement(&m_cRef);
        if (count == 0) {
            m_cRef = 1;  // guards the inner's teardown against re-entry
            m_inner.reset();
            delete this;
        }
        return count;
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return Inner()->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
        return Inner()->GetTypeInfo(i, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return Inner()->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
        ++m_plan->calls[dispid];
        if (m_plan->failing.count(dispid)) {
            if (!excep) return E_ACCESSDENIED;
            ZeroMemory(excep, sizeof(*excep));
            excep->scode = E_ACCESSDENIED;
            excep->bstrSource = SysAllocString(L"Surface");
            excep->bstrDescription = SysAllocString(kFailureDescription);
            return DISP_E_EXCEPTION;
        }
        return Inner()->Invoke(dispid, riid, lcid, flags, params, result, excep, argErr);
    }

private:
    // The inner's IDispatch, through a reference on the inner object itself.
    zorvel::ComPtr<IDispatch> Inner() {
        zorvel::ComPtr<IDispatch> dispatch;
        m_inner->QueryInterface(IID_IDispatch, dispatch.put_void());
        return dispatch;
    }

    LONG m_cRef = 1;
    FailurePlan* m_plan;
    zorvel::ComPtr<IUnknown> m_inner;
};

class FailingFactory final : public IClassFactory {
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
        if (outer) return CLASS_E_NOAGGREGATION;
        FailingControl* control = new (std::nothrow) FailingControl(&m_plan);
        if (!control) return E_OUTOFMEMORY;
        HRESULT hr = control->Init();
        if (SUCCEEDED(hr)) hr = control->QueryInterface(riid, ppv);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    FailurePlan m_plan;

private:
    LONG m_cRef = 1;
};

class RefusingFactory final : public IClassFactory {
public:
    explicit RefusingFactory(HRESULT answer) : m_answer(answer) {}
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
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** ppv) override {
        if (ppv) *ppv = nullptr;
        return m_answer;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    LONG m_cRef = 1;
    HRESULT m_answer;
};

}  // namespace

RefusingControlClass::RefusingControlClass(HRESULT answer) : m_factory(new RefusingFactory(answer)) {
    if (FAILED(CoRegisterClassObject(CLSID_CSurface, m_factory, CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &m_cookie)))
        m_cookie = 0;
}

RefusingControlClass::~RefusingControlClass() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
    m_factory->Release();
}

FailingControlClass::FailingControlClass(std::set<DISPID> failing) {
    auto* factory = new FailingFactory;
    factory->m_plan.failing = std::move(failing);
    m_factory = factory;
    if (FAILED(CoRegisterClassObject(CLSID_CSurface, m_factory, CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &m_cookie)))
        m_cookie = 0;
}

FailingControlClass::~FailingControlClass() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
    m_factory->Release();
}

int FailingControlClass::Calls(DISPID dispid) const {
    const FailurePlan& plan = static_cast<FailingFactory*>(m_factory)->m_plan;
    auto it = plan.calls.find(dispid);
    return it == plan.calls.end() ? 0 : it->second;
}

}  // namespace host_test
