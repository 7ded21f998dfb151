// The mesh builder on fuzzed grids: counts from the edges (one row, one
// column, none, more than the heap holds), heights and coordinates with NaN,
// infinities, denormals and huge values, axes overwritten out of order.  The
// strip must have its documented size and order, must come out the same with
// and without its scratch memory (any NaN standing for any other), and its
// normals must match the single-point normal and never be longer than unit
// length.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "control/status.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/grid_operations.h"
#include "fuzz/heap_limit.h"
#include "render/mesh.h"

namespace {

using zorvel_fuzz::FuzzInput;

bool SameBits(const void* a, const void* b, size_t size)
{
    return std::memcmp(a, b, size) == 0;
}

// The same number, or both not numbers: which NaN comes out of an operation
// on two NaNs depends on the order the compiler gave the operands.
bool SameValue(float a, float b)
{
    return SameBits(&a, &b, sizeof a) || (std::isnan(a) && std::isnan(b));
}

bool SameVertices(const SurfaceVertex* a, const SurfaceVertex* b, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (!SameValue(a[i].x, b[i].x) || !SameValue(a[i].y, b[i].y) || !SameValue(a[i].z, b[i].z) ||
            !SameValue(a[i].nx, b[i].nx) || !SameValue(a[i].ny, b[i].ny) || !SameValue(a[i].nz, b[i].nz))
            return false;
    }
    return true;
}

// A grid worth drawing: a few operations from the grid fuzzer, then mostly a
// small size, then data.
void ShapeGrid(FuzzInput& in, zorvel_fuzz::GridUnderTest& test)
{
    CSurfaceGrid& grid = test.grid;
    const uint32_t operations = in.Below(4);
    for (uint32_t i = 0; i < operations; ++i)
        zorvel_fuzz::ApplyGridOperation(in, test);
    zorvel_fuzz::ResetHeapFaults();
    if (in.Below(4) != 0) {
        const uint32_t countX = in.Below(4) == 0 ? in.Count() : in.Below(24);
        const uint32_t countY = in.Below(4) == 0 ? in.Count() : in.Below(24);
        grid.Resize(countX, countY);
    }
    if (in.Bool())
        grid.SetXAxis(in.Float(), in.Float());
    if (in.Bool())
        grid.SetYAxis(in.Float(), in.Float());
    if (!grid.HasArrays() || grid.CountX() == 0 || grid.CountY() == 0)
        return;

    const uint32_t countX = grid.CountX();
    const uint32_t countY = grid.CountY();
    switch (in.Below(3)) {
    case 0:  // every point from the input
        for (uint32_t row = 0; row < countY && !in.Empty(); ++row)
            for (uint32_t col = 0; col < countX && !in.Empty(); ++col)
                grid.SetPoint(col, row, in.Bool() ? grid.XValues()[col] : in.Float(),
                              in.Bool() ? grid.YValues()[row] : in.Float(), in.Float());
        break;
    case 1: {  // a smooth surface with a few odd points
        for (uint32_t row = 0; row < countY; ++row)
            for (uint32_t col = 0; col < countX; ++col) {
                const float x = grid.XValues()[col];
                const float y = grid.YValues()[row];
                grid.SetPoint(col, row, x, y, static_cast<float>(10.0 * std::sin(x) * std::sin(y)));
            }
        const uint32_t odd = in.Below(8);
        for (uint32_t i = 0; i < odd; ++i)
            grid.SetPoint(in.Byte() % countX, in.Byte() % countY, in.Float(), in.Float(), in.Float());
        break;
    }
    default:  // a flat surface at one height
        const float z = in.Float();
        for (uint32_t row = 0; row < countY; ++row)
            for (uint32_t col = 0; col < countX; ++col)
                grid.SetPoint(col, row, grid.XValues()[col], grid.YValues()[row], z);
        break;
    }
}

void CheckNormal(const D3DXVECTOR3& normal)
{
    if (std::isnan(normal.x) || std::isnan(normal.y) || std::isnan(normal.z))
        return;
    const double length2 = static_cast<double>(normal.x) * normal.x +
                           static_cast<double>(normal.y) * normal.y +
                           static_cast<double>(normal.z) * normal.z;
    FUZZ_CHECK(length2 <= 1.0 + 1e-5);
}

void CheckStrip(const CSurfaceGrid& grid, const SurfaceVertex* strip, uint32_t count)
{
    const uint32_t countX = grid.CountX();
    const uint32_t countY = grid.CountY();
    const float* heights = grid.Heights();
    // Every vertex of a column shares its model x, every vertex of a row its model y.
    std::unique_ptr<float[]> columnX(new float[countX]);
    std::unique_ptr<float[]> rowY(new float[countY]);
    std::unique_ptr<bool[]> seenX(new bool[countX]());
    std::unique_ptr<bool[]> seenY(new bool[countY]());
    uint32_t k = 0;
    auto expect = [&](uint32_t col, uint32_t row) {
        FUZZ_CHECK(k < count);
        const SurfaceVertex& v = strip[k++];
        FUZZ_CHECK(SameBits(&v.z, &heights[col + static_cast<size_t>(row) * countX], sizeof(float)));
        if (seenX[col])
            FUZZ_CHECK(SameValue(v.x, columnX[col]));
        columnX[col] = v.x;
        seenX[col] = true;
        if (seenY[row])
            FUZZ_CHECK(SameValue(v.y, rowY[row]));
        rowY[row] = v.y;
        seenY[row] = true;
        const D3DXVECTOR3 normal = zorvel::ComputeNormal(grid.View(), col, row);
        FUZZ_CHECK(SameValue(v.nx, normal.x) && SameValue(v.ny, normal.y) && SameValue(v.nz, normal.z));
        CheckNormal(normal);
    };
    // Even bands run left to right from the upper row, odd bands back from the lower one.
    for (uint32_t r = 0; r + 1 < countY; ++r) {
        if (r % 2 == 0) {
            for (uint32_t col = 0; col < countX; ++col) {
                expect(col, r + 1);
                expect(col, r);
            }
        } else {
            for (uint32_t col = countX; col-- > 0;) {
                expect(col, r);
                expect(col, r + 1);
            }
        }
    }
    FUZZ_CHECK(k == count);
}

void CheckMesh(FuzzInput& in, const CSurfaceGrid& grid)
{
    const uint32_t count = zorvel::StripVertexCount(grid.View());
    uint64_t expected = 0;
    if (grid.HasArrays() && grid.CountY() >= 2)
        expected = 2 * static_cast<uint64_t>(grid.CountX()) * (grid.CountY() - 1);
    if (expected * sizeof(SurfaceVertex) > 0xFFFFFFFFu)
        expected = 0;
    FUZZ_CHECK(count == expected);

    // Outside the grid, or without arrays, a normal is zero.
    const D3DXVECTOR3 outside = zorvel::ComputeNormal(grid.View(), in.Index(grid.CountX()), grid.CountY());
    FUZZ_CHECK(outside.x == 0.0f && outside.y == 0.0f && outside.z == 0.0f);

    if (count == 0) {
        FUZZ_CHECK(zorvel::BuildStrip(grid.View(), nullptr) == 0);
        return;
    }
    // Exactly as many vertices as promised: one more written is a heap overflow.
    std::unique_ptr<SurfaceVertex[]> withScratch(new SurfaceVertex[count]);
    std::unique_ptr<SurfaceVertex[]> withoutScratch(new SurfaceVertex[count]);
    zorvel_fuzz::ResetHeapFaults();
    FUZZ_CHECK(zorvel::BuildStrip(grid.View(), withScratch.get()) == count);
    zorvel_fuzz::FailAllAllocations(true);
    FUZZ_CHECK(zorvel::BuildStrip(grid.View(), withoutScratch.get()) == count);
    zorvel_fuzz::ResetHeapFaults();
    FUZZ_CHECK(SameVertices(withScratch.get(), withoutScratch.get(), count));
    CheckStrip(grid, withScratch.get(), count);
}

void CheckMinMax(FuzzInput& in)
{
    float values[16];
    const uint32_t count = in.Below(17);
    bool anyNaN = false;
    for (uint32_t i = 0; i < count; ++i) {
        values[i] = in.Float();
        anyNaN = anyNaN || std::isnan(values[i]);
    }
    float min = 1.0f;
    float max = -1.0f;
    zorvel::FindMinMax(values, count, &min, &max);
    if (count == 0) {
        FUZZ_CHECK(min == 0.0f && max == 0.0f);
        return;
    }
    if (anyNaN)
        return;
    bool minFound = false;
    bool maxFound = false;
    for (uint32_t i = 0; i < count; ++i) {
        FUZZ_CHECK(min <= values[i] && values[i] <= max);
        minFound = minFound || SameBits(&min, &values[i], sizeof(float));
        maxFound = maxFound || SameBits(&max, &values[i], sizeof(float));
    }
    FUZZ_CHECK(minFound && maxFound);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zorvel_fuzz::ResetHeapFaults();
    FuzzInput in(data, size);
    zorvel_fuzz::SetHeapLimit(in.Below(16) == 0 ? zorvel_fuzz::kLargeHeapBytes : zorvel_fuzz::kSmallHeapBytes);
    CheckMinMax(in);
    {
        zorvel_fuzz::GridUnderTest test;
        ShapeGrid(in, test);
        CheckMesh(in, test.grid);
    }
    zorvel_fuzz::ResetHeapFaults();
    return 0;
}
