// When the embedding layer takes the control's window away, whatever was made
// for that window goes with it: the device presents into the window it was
// created for, and the timer lives on it.  The next window's first paint
// starts the renderer again; grid, camera and flags stay as they are.
#include "control/surface.h"

void CSurface::ReleaseDeviceObjects() {
    if (m_nTimerId != 0 && m_hWnd && IsWindow(m_hWnd)) KillTimer(m_hWnd, m_nTimerId);
    m_nTimerId = 0;
    // Once drawn, the grid is the user's: the new device's first rebuild keeps it.
    if (m_bDeviceReady) m_bResetGridOnRebuild = FALSE;
    m_bDeviceReady = FALSE;
    m_bDeviceLost = FALSE;
    m_pVertexBuffer.reset();
    m_nVertexCount = 0;
    m_pDevice.reset();
    m_hDeviceWindow = nullptr;
}
