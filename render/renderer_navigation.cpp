// The mouse turning the camera, when the owner switches it on: a drag with
// the left button turns it, the wheel moves it nearer or farther, a double
// click brings back the view from before the mouse moved it.  The window's
// message table (renderer_input.cpp) sends the mouse here in that mode.
#include "render/renderer.h"

#include <windowsx.h>

#include "render/camera.h"

namespace zorvel {
namespace {

// Signed: with the mouse captured, a drag goes on left of and above the window.
POINT CursorOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

}  // namespace

void Renderer::SetMouseNavigate(BOOL on) {
    // A drag begun in the other mode ends with it.
    if ((on != FALSE) != (m_bMouseNavigate != FALSE)) EndNavigationDrag();
    m_bMouseNavigate = on;
}

LRESULT Renderer::OnNavigationDown(LPARAM lParam) {
    m_dragFrom = CursorOf(lParam);
    m_bDragging = TRUE;
    if (m_hWnd) SetCapture(m_hWnd);
    return 0;
}

LRESULT Renderer::OnNavigationMove(LPARAM lParam) {
    if (!m_bDragging) return 0;
    const POINT to = CursorOf(lParam);
    const float dx = static_cast<float>(to.x - m_dragFrom.x), dy = static_cast<float>(to.y - m_dragFrom.y);
    m_dragFrom = to;
    if (dx == 0.0f && dy == 0.0f) return 0;
    RememberView();
    TurnCamera(dx, dy, &m_fAzimuth, &m_fElevation);
    UpdateCamera(TRUE);  // without a device yet, the first paint shows the new view
    return 0;
}

void Renderer::EndNavigationDrag() {
    // Cleared first: giving the capture back sends WM_CAPTURECHANGED here again.
    const bool held = m_bDragging != FALSE;
    m_bDragging = FALSE;
    if (held && m_hWnd && GetCapture() == m_hWnd) ReleaseCapture();
}

LRESULT Renderer::OnWheel(WPARAM wParam) {
    const float radius = WheelRadius(m_fRadius, GET_WHEEL_DELTA_WPARAM(wParam));
    if (radius == m_fRadius) return 0;
    RememberView();
    m_fRadius = radius;
    UpdateCamera(TRUE);
    return 0;
}

LRESULT Renderer::OnDoubleClick() {
    if (!m_bViewRemembered) return 0;
    m_fAzimuth = m_viewBefore.azimuth;
    m_fElevation = m_viewBefore.elevation;
    m_fRadius = m_viewBefore.radius;
    m_bViewRemembered = FALSE;
    UpdateCamera(TRUE);
    return 0;
}

void Renderer::RememberView() {
    if (m_bViewRemembered) return;
    m_viewBefore = View{m_fAzimuth, m_fElevation, m_fRadius};
    m_bViewRemembered = TRUE;
}

}  // namespace zorvel
