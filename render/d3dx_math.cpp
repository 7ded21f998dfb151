// Floats in, floats out; a formula of several operations runs in double and
// is rounded once where its value is stored.  SSE does exactly that on every
// build, whereas x87 code rounds wherever the compiler spills a register.
#if defined(__GNUC__) && defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2", "fpmath=sse")
#endif

#include "render/d3dx_math.h"
#include "render/normalize.h"

#include <cfloat>
#include <cmath>

namespace {

// Sine and cosine are taken in double and rounded once to float.
float Sine(float angle)
{
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}

float Cosine(float angle)
{
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}

// Each component is formed in double and rounded once.
D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const double ax = a.x, ay = a.y, az = a.z;
    return D3DXVECTOR3(static_cast<float>(ay * b.z - az * b.y),
                       static_cast<float>(az * b.x - ax * b.z),
                       static_cast<float>(ax * b.y - ay * b.x));
}

// Summed y term first, then x, then z: the order the view matrix is defined with.
float DotYXZ(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const double ax = a.x, ay = a.y, az = a.z;
    return static_cast<float>((ay * b.y + ax * b.x) + az * b.z);
}

void SetMatrix(D3DXMATRIX* out,
               float m11, float m12, float m13, float m14,
               float m21, float m22, float m23, float m24,
               float m31, float m32, float m33, float m34,
               float m41, float m42, float m43, float m44)
{
    out->_11 = m11; out->_12 = m12; out->_13 = m13; out->_14 = m14;
    out->_21 = m21; out->_22 = m22; out->_23 = m23; out->_24 = m24;
    out->_31 = m31; out->_32 = m32; out->_33 = m33; out->_34 = m34;
    out->_41 = m41; out->_42 = m42; out->_43 = m43; out->_44 = m44;
}

}  // namespace

namespace zorvel {

D3DXMATRIX* MatrixRotationXPlain(D3DXMATRIX* pOut, float angle)
{
    const float s = Sine(angle);
    const float c = Cosine(angle);
    SetMatrix(pOut,
              1.0f, 0.0f, 0.0f, 0.0f,
              0.0f, c,    s,    0.0f,
              0.0f, -s,   c,    0.0f,
              0.0f, 0.0f, 0.0f, 1.0f);
    return pOut;
}

D3DXVECTOR3* Vec3NormalizePlain(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV)
{
    *pOut = NormalizedExact(*pV);
    return pOut;
}

}  // namespace zorvel

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye,
                               const D3DXVECTOR3* pAt, const D3DXVECTOR3* pUp)
{
    const D3DXVECTOR3 eye = *pEye;
    const D3DXVECTOR3 up = *pUp;
    // Every variant of the entry point gives these bits; the formula is used
    // directly so that the single look-at variant needs no table.
    const D3DXVECTOR3 zAxis =
        zorvel::NormalizedExact(D3DXVECTOR3(pAt->x - eye.x, pAt->y - eye.y, pAt->z - eye.z));
    const D3DXVECTOR3 xAxis = zorvel::NormalizedExact(Cross(up, zAxis));
    const D3DXVECTOR3 yAxis = Cross(zAxis, xAxis);

    SetMatrix(pOut,
              xAxis.x, yAxis.x, zAxis.x, 0.0f,
              xAxis.y, yAxis.y, zAxis.y, 0.0f,
              xAxis.z, yAxis.z, zAxis.z, 0.0f,
              -DotYXZ(xAxis, eye), -DotYXZ(yAxis, eye), -DotYXZ(zAxis, eye), 1.0f);
    return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect,
                                       float zn, float zf)
{
    const float half = fovy * 0.5f;
    const float yScale = Cosine(half) / Sine(half);
    const float xScale = yScale / aspect;
    const float q = static_cast<float>(static_cast<double>(zf) / (static_cast<double>(zf) - zn));
    SetMatrix(pOut,
              xScale, 0.0f,   0.0f,       0.0f,
              0.0f,   yScale, 0.0f,       0.0f,
              0.0f,   0.0f,   q,          1.0f,
              0.0f,   0.0f,   -(q * zn),  0.0f);
    return pOut;
}
