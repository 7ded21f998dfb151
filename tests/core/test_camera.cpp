// The camera: eye from angles and radius, the timer's rotation step, the
// mouse's turns and zoom, and the view and projection built from them.

#include <gtest/gtest.h>

#include <cmath>

#include "render/camera.h"

namespace {

constexpr double kTolerance = 1e-5;  // a few float roundings at magnitude 50

TEST(CameraEye, NewControlLooksFromAboveThePlusXAxis)
{
    const D3DXVECTOR3 eye =
        zorvel::EyeFromAngles(zorvel::kInitialAzimuth, zorvel::kInitialElevation,
                              zorvel::kInitialRadius);
    EXPECT_NEAR(35.355339, eye.x, kTolerance);
    EXPECT_EQ(0.0f, eye.y);
    EXPECT_NEAR(35.355339, eye.z, kTolerance);
}

TEST(CameraEye, RadiusMovesTheEyeAlongTheSameRay)
{
    const D3DXVECTOR3 eye = zorvel::EyeFromAngles(0.0f, 45.0f, 80.0f);
    EXPECT_NEAR(56.568542, eye.x, kTolerance);
    EXPECT_EQ(0.0f, eye.y);
    EXPECT_NEAR(56.568542, eye.z, kTolerance);
}

TEST(CameraEye, AzimuthTurnsFromPlusXTowardsPlusY)
{
    const D3DXVECTOR3 eye = zorvel::EyeFromAngles(90.0f, 0.0f, 10.0f);
    EXPECT_NEAR(0.0, eye.x, kTolerance);
    EXPECT_NEAR(10.0, eye.y, kTolerance);
    EXPECT_EQ(0.0f, eye.z);

    const D3DXVECTOR3 below = zorvel::EyeFromAngles(0.0f, -30.0f, 10.0f);
    EXPECT_NEAR(8.660254, below.x, kTolerance);
    EXPECT_NEAR(-5.0, below.z, kTolerance);
}

TEST(CameraRotation, XYTickTurnsOnlyTheAzimuth)
{
    float azimuth = 0.0f;
    float elevation = 45.0f;
    EXPECT_TRUE(zorvel::StepRotation(true, false, zorvel::kRotateStep, &azimuth, &elevation));
    EXPECT_EQ(-2.0f, azimuth);
    EXPECT_EQ(45.0f, elevation);

    const D3DXVECTOR3 eye = zorvel::EyeFromAngles(azimuth, elevation, 50.0f);
    EXPECT_NEAR(35.33380, eye.x, kTolerance);
    EXPECT_NEAR(-1.23388, eye.y, kTolerance);
    EXPECT_NEAR(35.35534, eye.z, kTolerance);
}

TEST(CameraRotation, ZTickTurnsOnlyTheElevation)
{
    float azimuth = 0.0f;
    float elevation = 45.0f;
    EXPECT_TRUE(zorvel::StepRotation(false, true, 2.0f, &azimuth, &elevation));
    EXPECT_EQ(0.0f, azimuth);
    EXPECT_EQ(43.0f, elevation);
}

TEST(CameraRotation, BothOnTurnBothAnglesAndBothOffDrawNothing)
{
    float azimuth = 10.0f;
    float elevation = 45.0f;
    EXPECT_TRUE(zorvel::StepRotation(true, true, 2.0f, &azimuth, &elevation));
    EXPECT_EQ(8.0f, azimuth);
    EXPECT_EQ(43.0f, elevation);

    EXPECT_FALSE(zorvel::StepRotation(false, false, 2.0f, &azimuth, &elevation));
    EXPECT_EQ(8.0f, azimuth);
    EXPECT_EQ(43.0f, elevation);
}

// 17 million ticks is 47 hours at 100 Hz: unwrapped, the azimuth would have
// reached 2^25 degrees, where a step of 2 no longer changes a float.
TEST(CameraRotation, AnglesWrapIntoOneTurnAndKeepTheirStep)
{
    float azimuth = 0.0f;
    float elevation = 45.0f;
    for (int tick = 0; tick < 200; ++tick)
        zorvel::StepRotation(true, true, 2.0f, &azimuth, &elevation);
    EXPECT_EQ(-40.0f, azimuth);
    EXPECT_EQ(-355.0f, elevation);

    azimuth = 0.0f;
    for (int tick = 0; tick < 17000000; ++tick) {
        const float before = azimuth;
        zorvel::StepRotation(true, false, 2.0f, &azimuth, &elevation);
        if (azimuth != before - 2.0f && azimuth != before + 358.0f)
            FAIL() << "tick " << tick << " turned from " << before << " to " << azimuth;
    }
    EXPECT_EQ(-160.0f, azimuth);
}

// From 45 degrees in steps of 2 the elevation takes only odd values, so the
// eye never sits on the z axis where the view would collapse.
TEST(CameraRotation, ElevationStepsNeverCollapseTheView)
{
    float azimuth = 0.0f;
    float elevation = 45.0f;
    for (int tick = 0; tick < 400; ++tick) {
        zorvel::StepRotation(true, true, 2.0f, &azimuth, &elevation);
        D3DXMATRIX view;
        zorvel::CameraViewMatrix(&view, zorvel::EyeFromAngles(azimuth, elevation, 50.0f));
        const double sideways = std::sqrt(double(view._11) * view._11 +
                                          double(view._21) * view._21 +
                                          double(view._31) * view._31);
        ASSERT_NEAR(1.0, sideways, 1e-6) << "elevation " << elevation;
        // The origin stays straight ahead, at the radius.
        ASSERT_NEAR(50.0, view._43, 1e-4) << "elevation " << elevation;
    }
}

// A drag: half a degree per pixel, the elevation held inside the poles, the
// azimuth within one turn; an elevation past a pole (left by the timer) is
// first taken to the same eye on this side of it.
TEST(CameraMouse, DragTurnsByHalfADegreePerPixelInsideThePoles)
{
    struct Case {
        float azimuth, elevation, dx, dy;
        float wantAzimuth, wantElevation;
    };
    const Case cases[] = {
        {0.0f, 45.0f, 40.0f, 20.0f, 20.0f, 55.0f},
        {0.0f, 45.0f, -3.0f, -1.0f, -1.5f, 44.5f},
        {0.0f, 80.0f, 0.0f, 40.0f, 0.0f, 85.0f},       // held below the top pole
        {0.0f, 45.0f, 0.0f, -400.0f, 0.0f, -85.0f},    // and above the bottom one
        {350.0f, 0.0f, 40.0f, 0.0f, 10.0f, 0.0f},      // within one turn
        {-350.0f, 0.0f, -40.0f, 0.0f, -10.0f, 0.0f},   // its sign kept, as the timer keeps it
        {10.0f, 135.0f, 0.0f, 0.0f, 190.0f, 45.0f},    // over the top pole
        {10.0f, -135.0f, 0.0f, 0.0f, 190.0f, -45.0f},  // under the bottom one
        {0.0f, 405.0f, 0.0f, 0.0f, 0.0f, 45.0f},       // a whole turn more
        {0.0f, 90.0f, 0.0f, 0.0f, 0.0f, 85.0f},        // on the pole
    };
    for (const Case& c : cases) {
        float azimuth = c.azimuth, elevation = c.elevation;
        zorvel::TurnCamera(c.dx, c.dy, &azimuth, &elevation);
        EXPECT_EQ(c.wantAzimuth, azimuth) << c.azimuth << " " << c.elevation << " " << c.dx << " " << c.dy;
        EXPECT_EQ(c.wantElevation, elevation) << c.azimuth << " " << c.elevation << " " << c.dx << " " << c.dy;
    }
    // Over the pole and back this side of it, the eye stays where it was.
    const D3DXVECTOR3 over = zorvel::EyeFromAngles(10.0f, 135.0f, 50.0f);
    float azimuth = 10.0f, elevation = 135.0f;
    zorvel::TurnCamera(0.0f, 0.0f, &azimuth, &elevation);
    const D3DXVECTOR3 here = zorvel::EyeFromAngles(azimuth, elevation, 50.0f);
    EXPECT_NEAR(over.x, here.x, kTolerance);
    EXPECT_NEAR(over.y, here.y, kTolerance);
    EXPECT_NEAR(over.z, here.z, kTolerance);
}

// The wheel: a factor of 1.1 a notch (120 units), finer wheels in
// proportion, between radii 16 and 85; a radius the host put outside them is
// not pushed farther out.
TEST(CameraMouse, WheelScalesTheRadiusWithinItsLimits)
{
    struct Case {
        float radius;
        int delta;
        double want;
    };
    const Case cases[] = {
        {50.0f, 120, 50.0 / 1.1},   {50.0f, -120, 55.0},          {50.0f, 240, 50.0 / 1.21},
        {50.0f, 60, 50.0 / std::sqrt(1.1)}, {50.0f, 0, 50.0},
        {17.0f, 120, 16.0},          {16.0f, 120, 16.0},           {80.0f, -120, 85.0},
        {85.0f, -360, 85.0},         {10.0f, 120, 10.0},           {10.0f, -120, 11.0},
        {200.0f, -120, 200.0},       {200.0f, 120, 200.0 / 1.1},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(static_cast<float>(c.want), zorvel::WheelRadius(c.radius, c.delta))
            << c.radius << " " << c.delta;
}

TEST(CameraMatrices, ViewLooksAtTheOriginFromTheEye)
{
    const D3DXVECTOR3 eye = zorvel::EyeFromAngles(30.0f, 20.0f, 50.0f);
    D3DXMATRIX view;
    EXPECT_EQ(&view, zorvel::CameraViewMatrix(&view, eye));
    EXPECT_NEAR(0.0, view._41, kTolerance);
    EXPECT_NEAR(0.0, view._42, kTolerance);
    EXPECT_NEAR(50.0, view._43, 1e-4);
    // The eye itself lands on the view origin.
    const double z = eye.x * view._13 + eye.y * view._23 + eye.z * view._33 + view._43;
    EXPECT_NEAR(0.0, z, 1e-4);
}

TEST(CameraMatrices, ProjectionIsTheFixedSquareFrustum)
{
    D3DXMATRIX proj;
    EXPECT_EQ(&proj, zorvel::CameraProjectionMatrix(&proj));
    EXPECT_NEAR(2.4142135, proj._11, 1e-6);
    EXPECT_EQ(proj._11, proj._22);
    EXPECT_NEAR(100.0 / 99.0, proj._33, 1e-6);
    EXPECT_NEAR(-100.0 / 99.0, proj._43, 1e-6);
    EXPECT_EQ(1.0f, proj._34);
}

}  // namespace
