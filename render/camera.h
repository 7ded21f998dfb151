// Camera arithmetic: the eye on a sphere around the origin, the automatic
// rotation of a timer tick, the mouse's turns and zoom, and the view and
// projection of every frame.
#pragma once

#include "render/d3dx_math.h"

namespace zorvel {

constexpr float kDegreesToRadians = 0.017453292f;  // pi/180 in single precision

// The camera of a new control.
constexpr float kInitialAzimuth = 0.0f;
constexpr float kInitialElevation = 45.0f;
constexpr float kInitialRadius = 50.0f;
constexpr float kRotateStep = 2.0f;

// The fixed projection; the aspect ratio stays 1 whatever the window's shape.
constexpr float kFieldOfViewY = 0.7853982f;
constexpr float kAspectRatio = 1.0f;
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 100.0f;

// Azimuth about z from +x towards +y, elevation above the x-y plane, both in
// degrees; the eye is radius away from the origin.
D3DXVECTOR3 EyeFromAngles(float azimuth, float elevation, float radius);

// One timer tick: the azimuth turns by -step when xyRotate is on, then the
// elevation when zRotate is on.  Each angle stays within one turn (its sign
// kept), so that the step is the same after days of ticks.  Returns true when
// a frame is due, that is when either rotation is on.
bool StepRotation(bool xyRotate, bool zRotate, float step,
                  float* azimuth, float* elevation);

// A drag turns the camera by this many degrees per pixel: across a window of
// 360 pixels, half a turn.  Rightwards raises the azimuth and downwards the
// elevation, so the surface follows the cursor as if held.
constexpr float kDragDegreesPerPixel = 0.5f;
// A drag keeps the elevation this far inside the poles, where the view,
// always upright about z, would turn over.
constexpr float kMaxDragElevation = 85.0f;
// Each notch of the wheel (120 units; finer wheels in proportion) brings the
// camera nearer (forwards) or farther by this factor, between these radii:
// nearer than 16 the eye enters the box around fitted heights (half-diagonal
// 15) plus the near plane; farther than 85 the far corners pass the far plane.
constexpr double kWheelFactor = 1.1;
constexpr float kMinWheelRadius = 16.0f;
constexpr float kMaxWheelRadius = 85.0f;

// A drag of dx, dy pixels.  An elevation beyond a pole (from the automatic
// rotation) is first taken to the same view on this side of it, the azimuth
// half a turn round; the azimuth stays within one turn, as the timer keeps it.
void TurnCamera(float dx, float dy, float* azimuth, float* elevation);

// The radius after a wheel turn of delta units (positive: forwards, nearer).
// A radius already outside the limits is not pushed farther out of them.
float WheelRadius(float radius, int delta);

// Looks from eye at the origin with z up.
D3DXMATRIX* CameraViewMatrix(D3DXMATRIX* out, const D3DXVECTOR3& eye);
D3DXMATRIX* CameraProjectionMatrix(D3DXMATRIX* out);

}  // namespace zorvel
