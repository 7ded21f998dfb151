// Camera arithmetic: the eye on a sphere around the origin, the automatic
// rotation of a timer tick, and the view and projection of every frame.
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

// Looks from eye at the origin with z up.
D3DXMATRIX* CameraViewMatrix(D3DXMATRIX* out, const D3DXVECTOR3& eye);
D3DXMATRIX* CameraProjectionMatrix(D3DXMATRIX* out);

}  // namespace zorvel
