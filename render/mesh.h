// The surface as one triangle strip of positioned, lit vertices, built from
// the grid into any array the caller provides (a locked vertex buffer or
// plain memory).
#pragma once

#include <cstdint>

#include "render/grid_view.h"
#include "render/d3dx_math.h"

struct SurfaceVertex {
    float x, y, z;     // model space: x and y scaled to -10..10, z the height
    float nx, ny, nz;  // normal of the data surface, not renormalised
};
static_assert(sizeof(SurfaceVertex) == 24, "the strip's stride");

namespace zorvel {

constexpr uint32_t kSurfaceVertexFvf = 0x12;  // D3DFVF_XYZ | D3DFVF_NORMAL

// 2 * countX * (countY - 1): the strip walks each band between neighbouring
// rows.  0 when there is no band (countY < 2 or countX = 0), when the grid has
// no arrays, or when the strip's byte size would not fit 32 bits (a vertex
// buffer's size is a 32-bit number).
uint32_t StripVertexCount(const GridView& grid);

// Writes StripVertexCount(grid) vertices to out and returns that count.  Bands
// alternate direction (even bands left to right, odd ones back), so each band
// joins the next through two zero-area triangles at the end column.
uint32_t BuildStrip(const GridView& grid, SurfaceVertex* out);

// Normal at a grid point from its four neighbours in data units, with fixed
// unit edges past the border; (0, 0, 0) for a point outside the grid or a
// grid without arrays.
D3DXVECTOR3 ComputeNormal(const GridView& grid, uint32_t col, uint32_t row);

// Smallest and largest element, replaced only on strict comparisons, so a
// NaN in element 0 stays.  An empty array gives 0 and 0.
void FindMinMax(const float* values, uint32_t count, float* min, float* max);

}  // namespace zorvel
