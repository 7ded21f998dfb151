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

void TurnCamera(float dx, float dy, float* azimuth, float* elevation)
{
    double a = *azimuth;
    double e = std::remainder(static_cast<double>(*elevation), 360.0);  // (-180, 180]
    if (e > 90.0 || e < -90.0) {
        e = (e > 0.0 ? 180.0 : -180.0) - e;
        a += 180.0;
    }
    e += static_cast<double>(dy) * kDragDegreesPerPixel;
    if (e > kMaxDragElevation) e = kMaxDragElevation;
    if (e < -kMaxDragElevation) e = -kMaxDragElevation;
    *azimuth = static_cast<float>(std::fmod(a + static_cast<double>(dx) * kDragDegreesPerPixel, 360.0));
    *elevation = static_cast<float>(e);
}

float WheelRadius(float radius, int delta)
{
    const double wanted = radius * std::pow(kWheelFactor, -delta / 120.0);
    if (delta > 0)
        return static_cast<float>(std::fmax(wanted, std::fmin(radius, kMinWheelRadius)));
    if (delta < 0)
        return static_cast<float>(std::fmin(wanted, std::fmax(radius, kMaxWheelRadius)));
    return radius;
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
