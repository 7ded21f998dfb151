// Colouring the surface by height: the strip with a colour per vertex, from
// one of two maps.  Platform-free, like the mesh it extends.
#pragma once

#include <cstdint>

#include "render/mesh.h"

struct ColouredVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;  // 0xAARRGGBB
};
static_assert(sizeof(ColouredVertex) == 28, "the coloured strip's stride");

namespace zorvel {

constexpr uint32_t kColouredVertexFvf = 0x52;  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE

enum ColourMapKind : int32_t {
    kNoColourMap = 0,
    kSequentialMap = 1,  // dark blue-violet through teal to yellow, lightness rising evenly
    kDivergingMap = 2,   // blue through near-white to red, the middle height white
};
constexpr int32_t kLastColourMap = kDivergingMap;

// The map's colour at t in [0, 1] (outside, and NaN, clamped to an end), as
// 0xFFRRGGBB.
uint32_t MapColour(int32_t map, float t);

// The strip's vertices with their height's colour: z from low (t = 0) to high
// (t = 1); a flat strip takes the middle of the map.
void ColourStrip(const SurfaceVertex* in, uint32_t count, float low, float high, int32_t map,
                 ColouredVertex* out);

}  // namespace zorvel
