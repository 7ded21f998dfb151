#include "render/colour_map.h"

#include <cmath>

namespace zorvel {
namespace {

struct Rgb {
    float r, g, b;
};

// Anchors at even steps of t.  The sequential map's lightness rises evenly
// from end to end, so equal steps of height look like equal steps of colour
// and the map still reads in grey; the diverging map is lightest in the
// middle, for heights on either side of a level.
const Rgb kSequential[] = {
    {0.267f, 0.005f, 0.329f}, {0.283f, 0.141f, 0.458f}, {0.254f, 0.265f, 0.530f},
    {0.207f, 0.372f, 0.553f}, {0.164f, 0.471f, 0.558f}, {0.128f, 0.567f, 0.551f},
    {0.267f, 0.679f, 0.480f}, {0.578f, 0.803f, 0.262f}, {0.993f, 0.906f, 0.144f},
};
const Rgb kDiverging[] = {
    {0.230f, 0.299f, 0.754f}, {0.552f, 0.690f, 0.996f}, {0.865f, 0.865f, 0.865f},
    {0.958f, 0.604f, 0.482f}, {0.706f, 0.016f, 0.150f},
};

template <size_t N>
Rgb Interpolate(const Rgb (&anchors)[N], float t) {
    const float at = t * static_cast<float>(N - 1);
    const size_t i = at >= static_cast<float>(N - 1) ? N - 2 : static_cast<size_t>(at);
    const float f = at - static_cast<float>(i);
    const Rgb& a = anchors[i];
    const Rgb& b = anchors[i + 1];
    return Rgb{a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}

uint32_t Byte(float v) {
    return static_cast<uint32_t>(std::lround(v * 255.0f)) & 0xFFu;
}

}  // namespace

uint32_t MapColour(int32_t map, float t) {
    if (!(t > 0.0f)) t = 0.0f;  // NaN too
    if (t > 1.0f) t = 1.0f;
    const Rgb c = map == kDivergingMap ? Interpolate(kDiverging, t) : Interpolate(kSequential, t);
    return 0xFF000000u | (Byte(c.r) << 16) | (Byte(c.g) << 8) | Byte(c.b);
}

void ColourStrip(const SurfaceVertex* in, uint32_t count, float low, float high, int32_t map,
                 ColouredVertex* out) {
    const double span = static_cast<double>(high) - low;
    for (uint32_t i = 0; i < count; ++i) {
        const SurfaceVertex& v = in[i];
        const float t = span > 0.0 ? static_cast<float>((static_cast<double>(v.z) - low) / span) : 0.5f;
        out[i] = ColouredVertex{v.x, v.y, v.z, v.nx, v.ny, v.nz, MapColour(map, t)};
    }
}

}  // namespace zorvel
