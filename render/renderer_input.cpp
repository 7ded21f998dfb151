// What the control's window does with timer, mouse and keyboard messages:
// the timer turns the camera, the rest is consumed without moving it unless
// the mouse navigates (renderer_navigation.cpp).
#include "render/renderer.h"

namespace zorvel {
namespace {

// A drag lasts while the cursor stays this far inside the client area.
constexpr int kDragMargin = 10;

}  // namespace

LRESULT Renderer::OnMouseMove(LPARAM lParam) {
    // Unsigned 16-bit words, as the message carries them.
    POINT pt;
    pt.x = static_cast<LONG>(LOWORD(lParam));
    pt.y = static_cast<LONG>(HIWORD(lParam));
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    InflateRect(&rc, -kDragMargin, -kDragMargin);
    if (!PtInRect(&rc, pt)) m_bDragging = FALSE;
    return 0;
}

bool Renderer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    using Handler = LRESULT (*)(Renderer&, WPARAM, LPARAM);
    // Each message's handler, and the navigating mouse's where it has its
    // own; a message with no handler for the mode is left to the default.
    struct Entry {
        UINT msg;
        Handler handler;
        Handler navigating;
    };
    static const Entry kMessages[] = {
        {WM_TIMER, [](Renderer& s, WPARAM, LPARAM) { return s.OnTimer(); }, nullptr},
        {WM_KEYDOWN, [](Renderer&, WPARAM, LPARAM) -> LRESULT { return 0; }, nullptr},
        {WM_CHAR, [](Renderer&, WPARAM, LPARAM) -> LRESULT { return 0; }, nullptr},
        {WM_KILLFOCUS, [](Renderer& s, WPARAM, LPARAM) -> LRESULT { s.m_bDragging = FALSE; return 0; },
         [](Renderer& s, WPARAM, LPARAM) -> LRESULT { s.EndNavigationDrag(); return 0; }},
        {WM_MOUSEMOVE, [](Renderer& s, WPARAM, LPARAM l) { return s.OnMouseMove(l); },
         [](Renderer& s, WPARAM, LPARAM l) { return s.OnNavigationMove(l); }},
        {WM_LBUTTONDOWN, [](Renderer& s, WPARAM, LPARAM) -> LRESULT { s.m_bDragging = TRUE; return 0; },
         [](Renderer& s, WPARAM, LPARAM l) { return s.OnNavigationDown(l); }},
        {WM_LBUTTONUP, [](Renderer& s, WPARAM, LPARAM) -> LRESULT { s.m_bDragging = FALSE; return 0; },
         [](Renderer& s, WPARAM, LPARAM) -> LRESULT { s.EndNavigationDrag(); return 0; }},
        {WM_CAPTURECHANGED, nullptr, [](Renderer& s, WPARAM, LPARAM) -> LRESULT { s.EndNavigationDrag(); return 0; }},
        {WM_MOUSEWHEEL, nullptr, [](Renderer& s, WPARAM w, LPARAM) { return s.OnWheel(w); }},
        {WM_LBUTTONDBLCLK, nullptr, [](Renderer& s, WPARAM, LPARAM) { return s.OnDoubleClick(); }},
    };
    for (const Entry& entry : kMessages) {
        if (entry.msg != msg) continue;
        const Handler handler = m_bMouseNavigate && entry.navigating ? entry.navigating : entry.handler;
        if (!handler) return false;
        result = handler(*this, wParam, lParam);
        return true;
    }
    return false;
}

}  // namespace zorvel
