// Identity, lifetime and creation of the control: the interface table, the
// non-delegating unknown used for aggregation, and the creation steps.
#include "control/surface.h"

#include <new>

#include "common/module.h"

namespace {

using Cast = IUnknown* (*)(CSurface*);

struct InterfaceEntry {
    const IID* iid;
    Cast cast;
};

// The control's own interfaces, and those of its embedding part.
template <typename I>
IUnknown* As(CSurface* s) {
    return static_cast<I*>(s);
}
template <typename I>
IUnknown* Embedded(CSurface* s) {
    return static_cast<I*>(&s->Embedding());
}

// Searched in this order; the first entry is the object's identity.  Where an
// interface derives from another, the derived one answers for both; IOleWindow
// is the in-place active object's.
const InterfaceEntry kInterfaceTable[] = {
    {&IID_ISurface, As<ISurface>},
    {&IID_ISurface2, As<ISurface2>},
    {&IID_IDispatch, As<ISurface>},
    {&IID_IPersistStreamInit, Embedded<IPersistStreamInit>},
    {&IID_IPersist, Embedded<IPersistStreamInit>},
    {&IID_IOleControl, Embedded<IOleControl>},
    {&IID_IOleObject, Embedded<IOleObject>},
    {&IID_IOleInPlaceActiveObject, Embedded<IOleInPlaceActiveObject>},
    {&IID_IOleWindow, Embedded<IOleInPlaceActiveObject>},
    {&IID_IViewObjectEx, Embedded<IViewObjectEx>},
    {&IID_IViewObject2, Embedded<IViewObjectEx>},
    {&IID_IViewObject, Embedded<IViewObjectEx>},
    {&IID_IOleInPlaceObjectWindowless, Embedded<IOleInPlaceObjectWindowless>},
    {&IID_IOleInPlaceObject, Embedded<IOleInPlaceObjectWindowless>},
    {&IID_IPersistStorage, Embedded<IPersistStorage>},
    {&IID_ISpecifyPropertyPages, Embedded<ISpecifyPropertyPages>},
    {&IID_IQuickActivate, Embedded<IQuickActivate>},
    {&IID_IDataObject, Embedded<IDataObject>},
    {&IID_IProvideClassInfo2, Embedded<IProvideClassInfo2>},
    {&IID_IProvideClassInfo, Embedded<IProvideClassInfo2>},
    {&IID_ISupportErrorInfo, As<ISupportErrorInfo>},
};

}  // namespace

STDMETHODIMP CSurface::InnerUnknown::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    CSurface* owner = m_pOwner;
    if (IsEqualIID(riid, IID_IUnknown)) {
        // A plain object's identity is the table's first entry; the inner
        // object of an aggregate hands out its own, non-delegating unknown.
        IUnknown* identity = owner->m_pOuterUnknown == this ? static_cast<ISurface*>(owner)
                                                             : static_cast<IUnknown*>(this);
        identity->AddRef();
        *ppv = identity;
        return S_OK;
    }
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

    // A temporary reference keeps the object alive through its construction step.
    object->m_inner.AddRef();
    HRESULT hr = object->FinalConstruct();
    if (SUCCEEDED(hr)) hr = object->m_inner.QueryInterface(riid, ppv);
    object->m_inner.Release();
    return FAILED(hr) ? hr : S_OK;
}

CSurface::CSurface(IUnknown* outer)
    : m_inner(this),
      m_pOuterUnknown(outer ? outer : &m_inner),
      m_renderer(*this),
      m_embedding(m_pOuterUnknown, m_renderer) {
    zorvel::LockModule();
}

CSurface::~CSurface() {
    zorvel::UnlockModule();
}

HRESULT CSurface::FinalConstruct() {
    return m_scripts.Attach(this);
}

void CSurface::FinalRelease() {
    // The window goes first: its last messages still reach the embedding.
    m_renderer.Shutdown();
    m_scripts.Detach();
}

void CSurface::ResetGrid() {
    // Whatever grid this leaves is drawn, so its result does not matter here.
    m_grid.ResizeFromTotal(static_cast<uint32_t>(m_nPointCount), m_grid.CountX(), m_grid.CountY());
}

zorvel::GridView CSurface::FirstDrawGrid() {
    m_firstDrawGrid.Resize(0, 0);
    m_firstDrawGrid.SetXAxis(m_grid.XMin(), m_grid.XMax());
    m_firstDrawGrid.SetYAxis(m_grid.YMin(), m_grid.YMax());
    m_firstDrawGrid.ResizeFromTotal(static_cast<uint32_t>(m_nPointCount), m_grid.CountX(), m_grid.CountY());
    return m_firstDrawGrid.View();
}
