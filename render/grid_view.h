// A read-only look at a grid of heights: all the renderer and the mesh ever
// see of the control's grid.  Point (col, row) is heights[col + row * countX].
#pragma once

#include <cstddef>
#include <cstdint>

namespace zorvel {

struct GridView {
    // Null when the grid has no arrays, and for an axis of 0 points.
    const float* xs = nullptr;
    const float* ys = nullptr;
    const float* heights = nullptr;
    uint32_t countX = 0;
    uint32_t countY = 0;
    // False after a failed allocation: the counts stand but the arrays are gone.
    bool hasArrays = true;

    float Height(uint32_t col, uint32_t row) const
    {
        return heights[col + static_cast<size_t>(row) * countX];
    }
};

}  // namespace zorvel
