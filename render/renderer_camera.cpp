// The camera: the eye on its sphere, the redraw a new eye or radius asks
// for, and the automatic rotation driven by the window timer.
#include "render/renderer.h"

#include <cmath>

#include "render/camera.h"

namespace zorvel {

HRESULT Renderer::UpdateCamera(BOOL bRedraw) {
    m_vEye = EyeFromAngles(m_fAzimuth, m_fElevation, m_fRadius);
    if (!bRedraw) return S_OK;
    RETURN_IF_FAILED(RenderScene(FALSE));
    return PresentFrame();
}

HRESULT Renderer::SetRadius(float radius) {
    // "Not above 0" also catches NaN; an infinite radius would blank the view for good.
    if (!(radius > 0.0f) || std::isinf(radius)) return S_OK;
    m_fRadius = radius;
    UpdateCamera(TRUE);  // a frame that cannot be drawn yet is drawn by the first paint
    return S_OK;
}

// Every timer of the window turns the camera, unless the mouse holds it.
LRESULT Renderer::OnTimer() {
    const bool held = m_bMouseNavigate && m_bDragging;
    if (!StepRotation(m_bXYRotate && !held, m_bZRotate && !held, m_fRotateStep,
                      &m_fAzimuth, &m_fElevation)) {
        // A still camera's frame is drawn again once a lost device is back.
        if (m_bDeviceLost) PresentFrame();
        return 0;
    }
    UpdateCamera(TRUE);  // a frame that fails is drawn again on the next tick
    return 0;
}

}  // namespace zorvel
