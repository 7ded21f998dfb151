// The renderer's matrix and vector math: layout, the four operations, and the
// degenerate inputs the formulas define.

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <cstddef>
#include <limits>

#include "render/d3dx_math.h"

namespace {

constexpr float kPi = 3.14159265358979f;

struct Point4 {
    double x, y, z, w;
};

// Row vector times matrix, in double so the check adds no float error.
Point4 Transform(const D3DXMATRIX& m, double x, double y, double z)
{
    return Point4{x * m._11 + y * m._21 + z * m._31 + m._41,
                  x * m._12 + y * m._22 + z * m._32 + m._42,
                  x * m._13 + y * m._23 + z * m._33 + m._43,
                  x * m._14 + y * m._24 + z * m._34 + m._44};
}

D3DXVECTOR3 Normalized(float x, float y, float z)
{
    const D3DXVECTOR3 in(x, y, z);
    D3DXVECTOR3 out(-7.0f, -7.0f, -7.0f);
    EXPECT_EQ(&out, D3DXVec3Normalize(&out, &in));
    return out;
}

// Exact comparison of all three components, printed in full on failure.
::testing::AssertionResult Vec3Is(float x, float y, float z, const D3DXVECTOR3& v)
{
    if (v.x == x && v.y == y && v.z == z)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << std::setprecision(9) << "(" << v.x << ", " << v.y << ", " << v.z
           << ") instead of (" << x << ", " << y << ", " << z << ")";
}

TEST(MathLayout, MatrixIsSixteenFloatsRowByRow)
{
    static_assert(offsetof(D3DXMATRIX, _11) == 0, "");
    static_assert(offsetof(D3DXMATRIX, _14) == 12, "");
    static_assert(offsetof(D3DXMATRIX, _21) == 16, "");
    static_assert(offsetof(D3DXMATRIX, _43) == 56, "");
    static_assert(offsetof(D3DXVECTOR3, z) == 8, "");
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i)
        m.m[i / 4][i % 4] = float(i);
    EXPECT_EQ(1.0f, m._12);
    EXPECT_EQ(6.0f, m._23);
    EXPECT_EQ(14.0f, m._43);
}

TEST(MatrixRotationX, ZeroAngleIsExactlyTheIdentity)
{
    D3DXMATRIX m;
    EXPECT_EQ(&m, D3DXMatrixRotationX(&m, 0.0f));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(row == col ? 1.0f : 0.0f, m.m[row][col]) << row << "," << col;
}

TEST(MatrixRotationX, QuarterTurnTurnsYIntoZ)
{
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, kPi / 2);
    const Point4 y = Transform(m, 0, 1, 0);
    EXPECT_NEAR(0.0, y.x, 1e-7);
    EXPECT_NEAR(0.0, y.y, 1e-7);
    EXPECT_NEAR(1.0, y.z, 1e-7);
    const Point4 z = Transform(m, 0, 0, 1);
    EXPECT_NEAR(-1.0, z.y, 1e-7);
    EXPECT_NEAR(0.0, z.z, 1e-7);
    // x stays, and nothing is translated.
    EXPECT_EQ(1.0f, m._11);
    EXPECT_EQ(0.0f, m._41);
    EXPECT_EQ(1.0f, m._44);
}

TEST(MatrixRotationX, EntriesAreCosineAndSineOfTheAngle)
{
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, 0.5f);
    EXPECT_NEAR(std::cos(0.5), m._22, 1e-7);
    EXPECT_NEAR(std::sin(0.5), m._23, 1e-7);
    EXPECT_EQ(-m._23, m._32);
    EXPECT_EQ(m._22, m._33);
}

TEST(Vec3Normalize, ScalesToUnitLength)
{
    EXPECT_TRUE(Vec3Is(0.6f, 0.0f, 0.8f, Normalized(3.0f, 0.0f, 4.0f)));
    EXPECT_TRUE(Vec3Is(0.0f, -0.6f, 0.8f, Normalized(0.0f, -30.0f, 40.0f)));

    const D3DXVECTOR3 v = Normalized(1.0f, 2.0f, 3.0f);
    const double length = std::sqrt(14.0);
    EXPECT_FLOAT_EQ(float(1 / length), v.x);
    EXPECT_FLOAT_EQ(float(2 / length), v.y);
    EXPECT_FLOAT_EQ(float(3 / length), v.z);
}

// Flat surfaces rely on this: every normal there is a normalised vertical.
TEST(Vec3Normalize, AxisVectorsOfAnyLengthBecomeExactlyOne)
{
    for (float length = 1e-15f; length < 1e15f; length *= 1.37f) {
        EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 1.0f, Normalized(0.0f, 0.0f, length))) << length;
        EXPECT_TRUE(Vec3Is(-1.0f, 0.0f, 0.0f, Normalized(-length, 0.0f, 0.0f))) << length;
    }
}

TEST(Vec3Normalize, NearUnitVectorIsCopiedUnchanged)
{
    // 0.99999994^2 lies one float epsilon below 1: taken as normalised.
    const float nearOne = 0.99999994f;
    EXPECT_TRUE(Vec3Is(nearOne, 0.0f, 0.0f, Normalized(nearOne, 0.0f, 0.0f)));
    EXPECT_TRUE(Vec3Is(1.0f, 0.0f, 0.0f, Normalized(1.0f, 0.0f, 0.0f)));
    // 1.0000001^2 is two epsilons above 1: scaled back to 1.
    EXPECT_TRUE(Vec3Is(1.0f, 0.0f, 0.0f, Normalized(1.0000001f, 0.0f, 0.0f)));
}

TEST(Vec3Normalize, ZeroTinyAndNotANumberGiveZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.0f, Normalized(0.0f, 0.0f, 0.0f)));
    // The squared length 1e-40 is below the smallest normal float.
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.0f, Normalized(1e-20f, 0.0f, 0.0f)));
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.0f, Normalized(nan, 1.0f, 2.0f)));
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.0f, Normalized(1.0f, 2.0f, nan)));
}

TEST(Vec3Normalize, InPlaceGivesTheSameResults)
{
    const D3DXVECTOR3 inputs[] = {{3, 0, 4}, {1, 2, 3}, {0, 0, 0}, {0.99999994f, 0, 0},
                                  {-5e-3f, 7e4f, 1.5f}, {1e-20f, 0, 0}};
    for (const D3DXVECTOR3& input : inputs) {
        D3DXVECTOR3 separate;
        D3DXVec3Normalize(&separate, &input);
        D3DXVECTOR3 inPlace = input;
        EXPECT_EQ(&inPlace, D3DXVec3Normalize(&inPlace, &inPlace));
        EXPECT_TRUE(Vec3Is(separate.x, separate.y, separate.z, inPlace));
    }
}

TEST(MatrixLookAtLH, EyeGoesToTheOriginAndTheTargetStraightAhead)
{
    const D3DXVECTOR3 eye(35.3553f, 0.0f, 35.3553f);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXMATRIX view;
    EXPECT_EQ(&view, D3DXMatrixLookAtLH(&view, &eye, &at, &up));

    const Point4 e = Transform(view, eye.x, eye.y, eye.z);
    EXPECT_NEAR(0.0, e.x, 1e-5);
    EXPECT_NEAR(0.0, e.y, 1e-5);
    EXPECT_NEAR(0.0, e.z, 1e-5);
    const Point4 origin = Transform(view, 0, 0, 0);
    EXPECT_NEAR(0.0, origin.x, 1e-5);
    EXPECT_NEAR(0.0, origin.y, 1e-5);
    EXPECT_NEAR(50.0, origin.z, 1e-4);  // 35.3553 * sqrt(2)
    EXPECT_EQ(1.0f, origin.w);

    // Up stays up on screen; left-handed, so +y of the world is on the left
    // when looking from +x towards the origin.
    EXPECT_GT(Transform(view, 0, 0, 10).y, origin.y);
    EXPECT_LT(Transform(view, 0, 10, 0).x, origin.x);
    EXPECT_EQ(0.0f, view._14);
    EXPECT_EQ(0.0f, view._24);
    EXPECT_EQ(0.0f, view._34);
    EXPECT_EQ(1.0f, view._44);
}

TEST(MatrixLookAtLH, AxesAreOrthonormal)
{
    const D3DXVECTOR3 eye(12.0f, -30.0f, 7.0f);
    const D3DXVECTOR3 at(1.0f, 2.0f, -3.0f);
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            double dot = 0;
            for (int k = 0; k < 3; ++k)
                dot += double(view.m[k][a]) * view.m[k][b];
            EXPECT_NEAR(a == b ? 1.0 : 0.0, dot, 1e-6) << a << "," << b;
        }
    }
}

TEST(MatrixLookAtLH, DegenerateViewsCollapseTheAxesToZero)
{
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    D3DXMATRIX view;

    // Eye on the target: no direction at all.
    const D3DXVECTOR3 same(3.0f, 4.0f, 5.0f);
    D3DXMatrixLookAtLH(&view, &same, &same, &up);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(0.0f, view.m[row][col]) << row << "," << col;
    EXPECT_EQ(1.0f, view._44);

    // Looking straight down the up vector: the sideways axes vanish.
    const D3DXVECTOR3 above(0.0f, 0.0f, 10.0f);
    D3DXMatrixLookAtLH(&view, &above, &origin, &up);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(0.0f, view.m[row][0]) << row;
        EXPECT_EQ(0.0f, view.m[row][1]) << row;
    }
    EXPECT_EQ(-1.0f, view._33);
    EXPECT_EQ(10.0f, view._43);
}

TEST(MatrixPerspectiveFovLH, RendererProjection)
{
    D3DXMATRIX proj;
    EXPECT_EQ(&proj, D3DXMatrixPerspectiveFovLH(&proj, 0.7853982f, 1.0f, 1.0f, 100.0f));
    EXPECT_NEAR(2.4142135, proj._11, 1e-6);  // cot(pi/8)
    EXPECT_EQ(proj._11, proj._22);
    EXPECT_NEAR(100.0 / 99.0, proj._33, 1e-6);
    EXPECT_EQ(1.0f, proj._34);
    EXPECT_EQ(-proj._33, proj._43);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            const bool used = (row == col && row < 3) || (row == 2 && col == 3) ||
                              (row == 3 && col == 2);
            if (!used) {
                EXPECT_EQ(0.0f, proj.m[row][col]) << row << "," << col;
            }
        }
}

TEST(MatrixPerspectiveFovLH, NearAndFarPlanesMapToZeroAndOne)
{
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, 0.7853982f, 1.0f, 1.0f, 100.0f);
    const Point4 nearPoint = Transform(proj, 0.3, -0.2, 1.0);
    EXPECT_EQ(1.0, nearPoint.w);
    EXPECT_NEAR(0.0, nearPoint.z / nearPoint.w, 1e-7);
    const Point4 farPoint = Transform(proj, 5.0, 7.0, 100.0);
    EXPECT_EQ(100.0, farPoint.w);
    EXPECT_NEAR(1.0, farPoint.z / farPoint.w, 1e-6);
}

TEST(MatrixPerspectiveFovLH, AspectDividesOnlyTheHorizontalScale)
{
    D3DXMATRIX square;
    D3DXMATRIX wide;
    D3DXMatrixPerspectiveFovLH(&square, 0.7853982f, 1.0f, 1.0f, 100.0f);
    D3DXMatrixPerspectiveFovLH(&wide, 0.7853982f, 2.0f, 1.0f, 100.0f);
    EXPECT_EQ(square._11 / 2, wide._11);
    EXPECT_EQ(square._22, wide._22);
}

}  // namespace
