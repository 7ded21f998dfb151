// The camera in the control: the eye on its sphere, the redraw a new eye
// asks for, and the automatic rotation driven by the window timer.
#include "control/surface.h"

#include "render/camera.h"

HRESULT CSurface::UpdateCamera(BOOL bRedraw) {
    const D3DXVECTOR3 eye = zorvel::EyeFromAngles(m_fAzimuth, m_fElevation, m_fRadius);
    return SetEye(eye.x, eye.y, eye.z, bRedraw);
}

HRESULT CSurface::SetEye(float x, float y, float z, BOOL bRedraw) {
    m_vEye = D3DXVECTOR3{x, y, z};
    if (!bRedraw) return S_OK;
    RETURN_IF_FAILED(RenderScene(FALSE));
    return PresentFrame();
}

LRESULT CSurface::OnTimer(UINT_PTR /*nTimerId: every timer turns the camera*/) {
    if (!zorvel::StepRotation(m_bXYRotate != FALSE, m_bZRotate != FALSE, m_fRotateStep,
                              &m_fAzimuth, &m_fElevation)) {
        // A still camera's frame is drawn again once a lost device is back.
        if (m_bDeviceLost) PresentFrame();
        return 0;
    }
    UpdateCamera(TRUE);  // a frame that fails is drawn again on the next tick
    return 0;
}
