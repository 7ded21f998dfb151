// Identity, lifetime and creation of the control: the interface table, the
// non-delegating unknown used for aggregation, and the creation steps.
#include "control/surface.h"

#include <new>

#include "render/camera.h"
#include "server/module.h"

namespace {

using Cast = IUnknown* (*)(CSurface*);

struct InterfaceEntry {
    const IID* iid;
    Cast cast;
};

template <typename I>
IUnknown* As(CSurface* s) {
    return static_cast<I*>(s);
}

// Searched in this order; the first entry is the object's identity.  Where an
// interface derives from another, the derived one answers for both; IOleWindow
// is the in-place active object's.
const InterfaceEntry kInterfaceTable[] = {
    {&IID_ISurface, As<ISurface>},
    {&IID_IDispatch, As<ISurface>},
    {&IID_IPersistStreamInit, As<IPersistStreamInit>},
    {&IID_IPersist, As<IPersistStreamInit>},
    {&IID_IOleControl, As<IOleControl>},
    {&IID_IOleObject, As<IOleObject>},
    {&IID_IOleInPlaceActiveObject, As<IOleInPlaceActiveObject>},
    {&IID_IOleWindow, As<IOleInPlaceActiveObject>},
    {&IID_IViewObjectEx, As<IViewObjectEx>},
    {&IID_IViewObject2, As<IViewObjectEx>},
    {&IID_IViewObject, As<IViewObjectEx>},
    {&IID_IOleInPlaceObjectWindowless, As<IOleInPlaceObjectWindowless>},
    {&IID_IOleInPlaceObject, As<IOleInPlaceObjectWindowless>},
    {&IID_IPersistStorage, As<IPersistStorage>},
    {&IID_ISpecifyPropertyPages, As<ISpecifyPropertyPages>},
    {&IID_IQuickActivate, As<IQuickActivate>},
    {&IID_IDataObject, As<IDataObject>},
    {&IID_IProvideClassInfo2, As<IProvideClassInfo2>},
    {&IID_IProvideClassInfo, As<IProvideClassInfo2>},
    {&IID_ISupportErrorInfo, As<ISupportErrorInfo>},
};

}  // namespace

STDMETHODIMP CSurface::InnerUnknown::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    CSurface* owner = m_pOwner;
    for (const InterfaceEntry& entry : kInterfaceTable) {
        if (IsEqualIID(riid, *entry.iid)) {
            IUnknown* p = entry.cast(owner);
            p->AddRef();
            *ppv = p;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CSurface::InnerUnknown::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CSurface::InnerUnknown::Release() {
    LONG ref = InterlockedDecrement(&m_cRef);
    if (ref == 0) {
        // Guard against re-entry while FinalRelease hands out temporary references.
        m_cRef = 1;
        CSurface* owner = m_pOwner;
        owner->FinalRelease();
        delete owner;
    }
    return static_cast<ULONG>(ref);
}

STDMETHODIMP CSurface::QueryInterface(REFIID riid, void** ppv) {
    return m_pOuterUnknown->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CSurface::AddRef() {
    return m_pOuterUnknown->AddRef();
}

STDMETHODIMP_(ULONG) CSurface::Release() {
    return m_pOuterUnknown->Release();
}

HRESULT CSurface::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;

    CSurface* object = new (std::nothrow) CSurface(outer);
    if (!object) return E_OUTOFMEMORY;
    if (!object->m_pGrid) {
        delete object;
        return E_OUTOFMEMORY;
    }

    // A temporary reference keeps the object alive through its construction step.
    object->m_inner.AddRef();
    HRESULT hr = object->FinalConstruct();
    if (SUCCEEDED(hr)) hr = object->m_inner.QueryInterface(riid, ppv);
    object->m_inner.Release();
    return FAILED(hr) ? hr : S_OK;
}

CSurface::CSurface(IUnknown* outer)
    : m_inner(this), m_pOuterUnknown(outer ? outer : &m_inner), m_pGrid(new (std::nothrow) CSurfaceGrid) {
    g_module.Lock();
    m_vEye = zorvel::EyeFromAngles(m_fAzimuth, m_fElevation, m_fRadius);
}

CSurface::~CSurface() {
    g_module.Unlock();
}
