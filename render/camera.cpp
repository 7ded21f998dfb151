// Floats in, floats out; a formula of several operations runs in double and
// is rounded once where its value is stored.  SSE does exactly that on every
// build, whereas x87 code rounds wherever the compiler spills a register.
#if defined(__GNUC__) && defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2", "fpmath=sse")
#endif

#include "render/camera.h"

#include <cmath>

namespace zorvel {
namespace {

float Sine(float radians)
{
    return static_cast<float>(std::sin(static_cast<double>(radians)));
}

float Cosine(float radians)
{
    return static_cast<float>(std::cos(static_cast<double>(radians)));
}

}  // namespace

D3DXVECTOR3 EyeFromAngles(float azimuth, float elevation, float radius)
{
    const float a = azimuth * kDegreesToRadians;
    const float e = elevation * kDegreesToRadians;
    // cos(e) * radius stays in double; each coordinate is rounded once.
    const double horizontal = static_cast<double>(Cosine(e)) * radius;
    return D3DXVECTOR3(static_cast<float>(Cosine(a) * horizontal),
                       static_cast<float>(Sine(a) * horizontal), Sine(e) * radius);
}

bool StepRotation(bool xyRotate, bool zRotate, float step,
                  float* azimuth, float* elevation)
{
    // The remainder is exact: inside the first turn nothing changes, and the
    // angles never grow so large that a step of a few degrees gets lost.
    if (xyRotate)
        *azimuth = std::fmod(*azimuth - step, 360.0f);
    if (zRotate)
        *elevation = std::fmod(*elevation - step, 360.0f);
    return xyRotate || zRotate;
}

D3DXMATRIX* CameraViewMatrix(D3DXMATRIX* out, const D3DXVECTOR3& eye)
{
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    return D3DXMatrixLookAtLH(out, &eye, &at, &up);
}

D3DXMATRIX* CameraProjectionMatrix(D3DXMATRIX* out)
{
    return D3DXMatrixPerspectiveFovLH(out, kFieldOfViewY, kAspectRatio, kNearPlane, kFarPlane);
}

}  // namespace zorvel
