// Operation sequences on a grid, as the control and its renderer drive it,
// each followed by the properties that must hold after it.
#pragma once

#include <cstdint>
#include <vector>

#include "control/surface_grid.h"
#include "fuzz/fuzz_input.h"

namespace zorvel_fuzz {

// The grid with the one piece of the control's state that feeds it: the
// requested total point count, which a scene rebuild re-sizes from.
struct GridUnderTest {
    CSurfaceGrid grid;
    int32_t pointCount = 30000;
};

// Everything observable of a grid, compared bit for bit.
struct GridSnapshot {
    uint32_t countX = 0;
    uint32_t countY = 0;
    float range[4] = {};
    bool hasArrays = false;
    std::vector<float> xs;
    std::vector<float> ys;
    std::vector<float> heights;

    static GridSnapshot Of(const CSurfaceGrid& grid);
    bool SameAs(const GridSnapshot& other) const;
};

// Reads one operation from the input, applies it and checks it.
void ApplyGridOperation(FuzzInput& in, GridUnderTest& test);

// The invariants every grid keeps between operations.
void CheckGridInvariants(const CSurfaceGrid& grid);

}  // namespace zorvel_fuzz
