// The embedding object itself: it belongs to the control, so identity and
// lifetime are the control's, and it tells the renderer's window that it
// wants to see each message first.
#include "embed/embedding.h"

CSurfaceEmbedding::CSurfaceEmbedding(IUnknown* controllingUnknown, zorvel::Renderer& renderer)
    : m_outer(controllingUnknown), m_renderer(renderer) {
    m_renderer.SetMessageFilter(this);
}

CSurfaceEmbedding::~CSurfaceEmbedding() {
    m_renderer.SetMessageFilter(nullptr);
}

STDMETHODIMP CSurfaceEmbedding::QueryInterface(REFIID riid, void** ppv) {
    return m_outer->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CSurfaceEmbedding::AddRef() {
    return m_outer->AddRef();
}

STDMETHODIMP_(ULONG) CSurfaceEmbedding::Release() {
    return m_outer->Release();
}

zorvel::ComPtr<IUnknown> CSurfaceEmbedding::Identity() {
    zorvel::ComPtr<IUnknown> unknown;
    m_outer->QueryInterface(IID_IUnknown, unknown.put_void());
    return unknown;
}
