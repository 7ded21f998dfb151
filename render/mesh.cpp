// Floats in, floats out; a formula of several operations runs in double and
// is rounded once where its value is stored.  SSE does exactly that on every
// build, whereas x87 code rounds wherever the compiler spills a register.
#if defined(__GNUC__) && defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2", "fpmath=sse")
#endif

#include "render/mesh.h"
#include "render/normalize.h"
#include "common/float_arrays.h"

#include <utility>

namespace zorvel {
namespace {

constexpr uint64_t kMaxStripBytes = 0xFFFFFFFFu;

// Model x = data x * scale - offset maps [min, max] onto [-10, 10]; a
// degenerate axis keeps scale 1 and lands on 10.
struct AxisMapping {
    float scale;
    float offset;
};

AxisMapping MapAxis(const float* values, uint32_t count)
{
    float min;
    float max;
    FindMinMax(values, count, &min, &max);
    const float scale =
        (max != min) ? static_cast<float>(20.0 / (static_cast<double>(max) - min)) : 1.0f;
    return AxisMapping{scale, static_cast<float>(static_cast<double>(max) * scale - 10.0)};
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const double ax = a.x, ay = a.y, az = a.z;
    return D3DXVECTOR3(static_cast<float>(ay * b.z - az * b.y),
                       static_cast<float>(az * b.x - ax * b.z),
                       static_cast<float>(ax * b.y - ay * b.x));
}

// ((a + b) + c + d) / 4, rounded once.
float Average(float a, float b, float c, float d)
{
    return static_cast<float>(((static_cast<double>(a) + b) + c + d) * 0.25);
}

// The four face normals around a point before normalising: U x L, R x U,
// D x R, L x D.  Edges are neighbour minus point in data units; p - p is
// written out rather than 0 so that infinite coordinates give NaN as the
// plain formula does.
void FacesAt(const GridView& g, uint32_t col, uint32_t row, D3DXVECTOR3* faces)
{
    const float px = g.xs[col];
    const float py = g.ys[row];
    const float pz = g.Height(col, row);

    const D3DXVECTOR3 left = col == 0
        ? D3DXVECTOR3(-1.0f, 0.0f, 0.0f)
        : D3DXVECTOR3(g.xs[col - 1] - px, py - py, g.Height(col - 1, row) - pz);
    const D3DXVECTOR3 up = row == g.countY - 1
        ? D3DXVECTOR3(0.0f, 1.0f, 0.0f)
        : D3DXVECTOR3(px - px, g.ys[row + 1] - py, g.Height(col, row + 1) - pz);
    const D3DXVECTOR3 right = col == g.countX - 1
        ? D3DXVECTOR3(1.0f, 0.0f, 0.0f)
        : D3DXVECTOR3(g.xs[col + 1] - px, py - py, g.Height(col + 1, row) - pz);
    const D3DXVECTOR3 down = row == 0
        ? D3DXVECTOR3(0.0f, -1.0f, 0.0f)
        : D3DXVECTOR3(px - px, g.ys[row - 1] - py, g.Height(col, row - 1) - pz);

    faces[0] = Cross(up, left);
    faces[1] = Cross(right, up);
    faces[2] = Cross(down, right);
    faces[3] = Cross(left, down);
}

// Averaged without renormalising: where the faces disagree the normal is
// shorter and the point is lit more dimly, which shows creases.
D3DXVECTOR3 AverageFaces(const D3DXVECTOR3* faces)
{
    return D3DXVECTOR3(Average(faces[0].x, faces[1].x, faces[2].x, faces[3].x),
                       Average(faces[0].y, faces[1].y, faces[2].y, faces[3].y),
                       Average(faces[0].z, faces[1].z, faces[2].z, faces[3].z));
}

D3DXVECTOR3 NormalAt(const GridView& g, uint32_t col, uint32_t row)
{
    D3DXVECTOR3 faces[4];
    FacesAt(g, col, row, faces);
    for (D3DXVECTOR3& face : faces)
        face = NormalizedExact(face);
    return AverageFaces(faces);
}

// The same normals as NormalAt for a whole row; the square roots run in one
// tight loop, which keeps the divider busier than four at a time.
void RowNormals(const GridView& g, uint32_t row, D3DXVECTOR3* faces, D3DXVECTOR3* normals)
{
    for (uint32_t col = 0; col < g.countX; ++col)
        FacesAt(g, col, row, faces + 4 * static_cast<size_t>(col));
    const size_t faceCount = 4 * static_cast<size_t>(g.countX);
    for (size_t i = 0; i < faceCount; ++i)
        faces[i] = NormalizedExact(faces[i]);
    for (uint32_t col = 0; col < g.countX; ++col)
        normals[col] = AverageFaces(faces + 4 * static_cast<size_t>(col));
}

struct StripWriter {
    const GridView& grid;
    AxisMapping mapX;
    AxisMapping mapY;

    // Model coordinates of every column and row, when there was memory for them.
    const float* modelX = nullptr;
    const float* modelY = nullptr;

    static float Model(float value, const AxisMapping& map)
    {
        return static_cast<float>(static_cast<double>(value) * map.scale - map.offset);
    }

    void Put(SurfaceVertex* out, uint32_t col, uint32_t row, const D3DXVECTOR3& normal) const
    {
        out->x = modelX ? modelX[col] : Model(grid.xs[col], mapX);
        out->y = modelY ? modelY[row] : Model(grid.ys[row], mapY);
        out->z = grid.Height(col, row);
        out->nx = normal.x;
        out->ny = normal.y;
        out->nz = normal.z;
    }

    // Band r joins rows r and r + 1: even bands run left to right starting
    // with the upper row, odd bands run back starting with the lower one.
    template <typename NormalOf>
    SurfaceVertex* Band(SurfaceVertex* out, uint32_t r, NormalOf normalOf) const
    {
        if (r % 2 == 0) {
            for (uint32_t col = 0; col < grid.countX; ++col) {
                Put(out++, col, r + 1, normalOf(col, r + 1));
                Put(out++, col, r, normalOf(col, r));
            }
        } else {
            for (uint32_t col = grid.countX; col-- > 0;) {
                Put(out++, col, r, normalOf(col, r));
                Put(out++, col, r + 1, normalOf(col, r + 1));
            }
        }
        return out;
    }
};

}  // namespace

uint32_t StripVertexCount(const GridView& grid)
{
    if (grid.countY < 2 || !grid.hasArrays)
        return 0;
    const uint64_t count = 2 * static_cast<uint64_t>(grid.countX) * (grid.countY - 1);
    if (count * sizeof(SurfaceVertex) > kMaxStripBytes)
        return 0;
    return static_cast<uint32_t>(count);
}

uint32_t BuildStrip(const GridView& g, SurfaceVertex* out)
{
    const uint32_t count = StripVertexCount(g);
    if (count == 0)
        return 0;
    StripWriter writer{g, MapAxis(g.xs, g.countX), MapAxis(g.ys, g.countY)};

    // Every inner row appears in two bands; with two rows of normals at hand
    // each normal is computed once, and each model coordinate is mapped once.
    // Without the memory, compute them for every vertex.
    const uint64_t vectorCount = 6 * static_cast<uint64_t>(g.countX);  // 4 faces, 2 rows
    float* const scratch =
        AllocateFloats(3 * vectorCount + static_cast<uint64_t>(g.countX) + g.countY);
    if (!scratch) {
        for (uint32_t r = 0; r + 1 < g.countY; ++r)
            out = writer.Band(out, r, [&g](uint32_t col, uint32_t row) {
                return NormalAt(g, col, row);
            });
        return count;
    }

    float* const modelX = scratch + 3 * vectorCount;
    float* const modelY = modelX + g.countX;
    for (uint32_t col = 0; col < g.countX; ++col)
        modelX[col] = StripWriter::Model(g.xs[col], writer.mapX);
    for (uint32_t row = 0; row < g.countY; ++row)
        modelY[row] = StripWriter::Model(g.ys[row], writer.mapY);
    writer.modelX = modelX;
    writer.modelY = modelY;

    D3DXVECTOR3* const faces = reinterpret_cast<D3DXVECTOR3*>(scratch);
    D3DXVECTOR3* lower = faces + 4 * static_cast<size_t>(g.countX);
    D3DXVECTOR3* upper = lower + g.countX;
    RowNormals(g, 0, faces, lower);
    for (uint32_t r = 0; r + 1 < g.countY; ++r) {
        RowNormals(g, r + 1, faces, upper);
        out = writer.Band(out, r, [r, lower, upper](uint32_t col, uint32_t row) {
            return (row == r ? lower : upper)[col];
        });
        std::swap(lower, upper);
    }
    FreeFloats(scratch);
    return count;
}

D3DXVECTOR3 ComputeNormal(const GridView& grid, uint32_t col, uint32_t row)
{
    if (col >= grid.countX || row >= grid.countY || !grid.hasArrays)
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return NormalAt(grid, col, row);
}

void FindMinMax(const float* values, uint32_t count, float* min, float* max)
{
    if (count == 0) {
        *min = 0.0f;
        *max = 0.0f;
        return;
    }
    float low = values[0];
    float high = values[0];
    for (uint32_t i = 1; i < count; ++i) {
        if (values[i] < low)
            low = values[i];
        if (values[i] > high)
            high = values[i];
    }
    *min = low;
    *max = high;
}

}  // namespace zorvel
