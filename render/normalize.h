// The unit-length formula behind D3DXVec3Normalize, inline so that the mesh
// builder's tight loops can use it without a call per face.  Both must give
// the same bits: the tests compare the mesh's normals with the entry point.
#pragma once

#include <cfloat>
#include <cmath>

#include "render/d3dx_math.h"

namespace zorvel {

inline D3DXVECTOR3 NormalizedExact(const D3DXVECTOR3& v)
{
    const double x = v.x, y = v.y, z = v.z;
    const float q = static_cast<float>(x * x + y * y + z * z);
    // Within one float epsilon of unit length already: spare the square root.
    if (std::fabs(q - 1.0f) <= FLT_EPSILON)
        return v;
    if (q <= FLT_MIN || std::isnan(q))
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    // k stays in double: rounded to float first, it would leave many
    // axis-aligned vectors one last-place unit short of length 1.
    const double k = 1.0 / std::sqrt(static_cast<double>(q));
    return D3DXVECTOR3(static_cast<float>(k * x), static_cast<float>(k * y),
                       static_cast<float>(k * z));
}

}  // namespace zorvel
