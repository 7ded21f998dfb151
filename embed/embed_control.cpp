// IOleControl: the control has no mnemonics and no events to freeze, but it
// keeps count of what the container asks.
#include "embed/embedding.h"

STDMETHODIMP CSurfaceEmbedding::GetControlInfo(CONTROLINFO*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::OnAmbientPropertyChange(DISPID) {
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::FreezeEvents(BOOL bFreeze) {
    if (bFreeze)
        ++m_embed.freezeEvents;
    else
        --m_embed.freezeEvents;
    return S_OK;
}
