// The four pieces of 3D math the renderer needs, under the names and in the
// layout the Direct3D 8 device takes: row vectors, left-handed, matrices row
// by row.  Every function writes through its output pointer and returns it.
#pragma once

#include <cstddef>

struct D3DXVECTOR3 {
    D3DXVECTOR3() = default;
    constexpr D3DXVECTOR3(float vx, float vy, float vz) : x(vx), y(vy), z(vz) {}
    float x;
    float y;
    float z;
};

// Same layout as the device's D3DMATRIX, so the renderer can hand it over
// with a cast.
struct D3DXMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};

static_assert(sizeof(D3DXVECTOR3) == 12, "three packed floats");
static_assert(sizeof(D3DXMATRIX) == 64, "sixteen packed floats");
static_assert(offsetof(D3DXMATRIX, _44) == 60, "row by row");

// Rotation and normalisation go through a table of variants chosen on first
// use (render/d3dx_variants.h); the other two have a single variant.
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye,
                               const D3DXVECTOR3* pAt, const D3DXVECTOR3* pUp);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect,
                                       float zn, float zf);
// pOut may be pV.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV);

namespace zorvel {

// The plain single-precision variants: the reference for any faster variant
// that may later sit behind the entry points above.
D3DXMATRIX* MatrixRotationXPlain(D3DXMATRIX* pOut, float angle);
D3DXVECTOR3* Vec3NormalizePlain(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV);

}  // namespace zorvel
