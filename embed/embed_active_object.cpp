// IOleInPlaceActiveObject: what the frame asks of the UI-active control.  The
// control has no menus, tools or accelerators of its own.
#include "embed/embedding.h"

namespace {

// The KEYMOD_ bits of IOleControlSite::TranslateAccelerator.
DWORD CurrentKeyModifiers() {
    DWORD modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= 1;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= 2;
    if (GetKeyState(VK_MENU) < 0) modifiers |= 4;
    return modifiers;
}

}  // namespace

STDMETHODIMP CSurfaceEmbedding::TranslateAccelerator(LPMSG lpmsg) {
    if (!lpmsg) return E_POINTER;
    zorvel::ComPtr<IOleControlSite> controlSite;
    if (!m_embed.clientSite || FAILED(m_embed.clientSite.query_to(controlSite)) || !controlSite)
        return S_FALSE;
    MSG msg = *lpmsg;
    return controlSite->TranslateAccelerator(&msg, CurrentKeyModifiers()) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP CSurfaceEmbedding::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::OnDocWindowActivate(BOOL fActivate) {
    // A document window that goes inactive takes our UI activation with it.
    if (!fActivate) UIDeactivate();
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::EnableModeless(BOOL) {
    return S_OK;
}
