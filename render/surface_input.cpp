// What the control's window does with timer, mouse and keyboard messages:
// the timer turns the camera, the rest is consumed without moving it.
#include "control/surface.h"

namespace {

// A drag lasts while the cursor stays this far inside the client area.
constexpr int kDragMargin = 10;

}  // namespace

LRESULT CSurface::OnMouseMove(LPARAM lParam) {
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

bool CSurface::ProcessWindowMessage(HWND /*hWnd*/, UINT msg, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result) {
    using Handler = LRESULT (*)(CSurface&, WPARAM, LPARAM);
    struct Entry {
        UINT msg;
        Handler handler;
    };
    static const Entry kMessages[] = {
        {WM_KILLFOCUS, [](CSurface& s, WPARAM, LPARAM) -> LRESULT { s.m_bDragging = FALSE; return 0; }},
        {WM_KEYDOWN, [](CSurface&, WPARAM, LPARAM) -> LRESULT { return 0; }},
        {WM_CHAR, [](CSurface&, WPARAM, LPARAM) -> LRESULT { return 0; }},
        {WM_TIMER, [](CSurface& s, WPARAM w, LPARAM) { return s.OnTimer(static_cast<UINT_PTR>(w)); }},
        {WM_MOUSEMOVE, [](CSurface& s, WPARAM, LPARAM l) { return s.OnMouseMove(l); }},
        {WM_LBUTTONDOWN, [](CSurface& s, WPARAM, LPARAM) -> LRESULT { s.m_bDragging = TRUE; return 0; }},
        {WM_LBUTTONUP, [](CSurface& s, WPARAM, LPARAM) -> LRESULT { s.m_bDragging = FALSE; return 0; }},
    };
    for (const Entry& entry : kMessages) {
        if (entry.msg == msg) {
            result = entry.handler(*this, wParam, lParam);
            return true;
        }
    }
    return false;
}
