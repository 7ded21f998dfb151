// The embedding layer's part of the control's window: it sees each message
// before the control's own table.  Focus changes are told to the container,
// a click UI-activates the control, and notifications the container reflects
// back to us get default processing of the original message.
#include "embed/embedding.h"

namespace {

// Reflected notifications arrive as OCM__BASE plus the original message.
constexpr UINT kReflectBase = OCM__BASE;
constexpr UINT kReflectLast = OCM__BASE + WM_USER - 1;

}  // namespace

bool CSurfaceEmbedding::FilterMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                                LRESULT& result) {
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        if (!m_embed.inPlaceActive || !m_embed.clientSite) return false;
        // Focus moving to one of our own children is no loss.
        const bool gained = msg == WM_SETFOCUS;
        if (!gained && IsChild(hWnd, GetFocus())) return false;
        zorvel::ComPtr<IOleControlSite> controlSite;
        if (SUCCEEDED(m_embed.clientSite.query_to(controlSite)) && controlSite)
            controlSite->OnFocus(gained ? TRUE : FALSE);
        return false;  // the control's table sees it too
    }
    case WM_MOUSEACTIVATE: {
        // In design mode a click selects the control; the container does that.
        bool userMode = true;
        if ((FAILED(GetAmbientUserMode(userMode)) || userMode) && m_embed.clientSite) {
            zorvel::ComPtr<IOleClientSite> site = m_embed.clientSite;
            DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.get(), 0, hWnd, &m_embed.posRect);
        }
        return false;  // default processing activates the window
    }
    default:
        if (msg >= kReflectBase && msg <= kReflectLast) {
            result = DefWindowProcW(hWnd, msg - kReflectBase, wParam, lParam);
            return true;
        }
        return false;
    }
}
