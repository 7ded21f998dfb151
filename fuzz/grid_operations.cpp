#include "fuzz/grid_operations.h"

#include <cmath>
#include <cstring>

#include "control/status.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/heap_limit.h"

namespace zorvel_fuzz {
namespace {

std::vector<float> Copy(const float* values, uint64_t count)
{
    return values ? std::vector<float>(values, values + count) : std::vector<float>();
}

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

bool Finite(float value)
{
    return std::isfinite(value);
}

// The linear spread of [min, max] over count points, as far as it can be
// told without recomputing it: the first point is min, the points never go
// down, and the last is max unless rounding of a far wider difference than
// max itself moves it.
void CheckSpread(const float* values, uint32_t count, float min, float max)
{
    if (count == 0)
        return;
    FUZZ_CHECK(values != nullptr);
    if (count == 1) {
        FUZZ_CHECK(SameBits(values[0], min));
        return;
    }
    if (!Finite(min) || !Finite(max))
        return;
    FUZZ_CHECK(values[0] == min);
    for (uint32_t i = 1; i < count; ++i) {
        FUZZ_CHECK(values[i - 1] <= values[i]);
        FUZZ_CHECK(Finite(values[i]));
    }
    const double difference = static_cast<double>(max) - min;
    const bool exact = static_cast<double>(max) - difference == static_cast<double>(min);
    const double magnitude = std::fabs(static_cast<double>(max));
    if (exact && magnitude >= FLT_MIN && std::fabs(difference) <= magnitude * 1048576.0)
        FUZZ_CHECK(values[count - 1] == max);
}

void CheckAllZero(const float* heights, uint64_t count)
{
    for (uint64_t i = 0; i < count; ++i)
        FUZZ_CHECK(heights[i] == 0.0f && !std::signbit(heights[i]));
}

bool ResizeFits(uint32_t countX, uint32_t countY)
{
    const uint64_t points = static_cast<uint64_t>(countX) * countY;
    return (countX == 0 || FitsHeap(uint64_t{countX} * sizeof(float))) &&
           (countY == 0 || FitsHeap(uint64_t{countY} * sizeof(float))) &&
           (points == 0 || FitsHeap(points * sizeof(float)));
}

// After Resize(countX, countY) returned status.
void CheckResized(const CSurfaceGrid& grid, uint32_t countX, uint32_t countY, int32_t status)
{
    const bool injected = TakeInjectedFailure();
    FUZZ_CHECK(grid.CountX() == countX && grid.CountY() == countY);
    FUZZ_CHECK(status == zorvel::kOk || status == zorvel::kOutOfMemory);
    if (!ResizeFits(countX, countY))
        FUZZ_CHECK(status == zorvel::kOutOfMemory);
    else if (!injected)
        FUZZ_CHECK(status == zorvel::kOk);
    if (status != zorvel::kOk) {
        // Every array is gone; the counts alone describe nothing.
        FUZZ_CHECK(!grid.HasArrays());
        FUZZ_CHECK(!grid.XValues() && !grid.YValues() && !grid.Heights());
        return;
    }
    FUZZ_CHECK(grid.HasArrays());
    CheckAllZero(grid.Heights(), static_cast<uint64_t>(countX) * countY);
    CheckSpread(grid.XValues(), countX, grid.XMin(), grid.XMax());
    CheckSpread(grid.YValues(), countY, grid.YMin(), grid.YMax());
}

void SetPointPerXY(FuzzInput& in, GridUnderTest& test)
{
    const int32_t lpx = in.SignedCount();
    const int32_t lpy = in.SignedCount();
    // The control's point-count rule: the product wraps in 32 bits.
    const int32_t total = static_cast<int32_t>(static_cast<uint32_t>(lpx) * static_cast<uint32_t>(lpy));
    if (total > 30000 || total < 4)
        return;
    test.pointCount = total;
    const uint32_t countX = static_cast<uint32_t>(lpx);
    const uint32_t countY = static_cast<uint32_t>(lpy);
    CheckResized(test.grid, countX, countY, test.grid.Resize(countX, countY));
}

void Resize(FuzzInput& in, GridUnderTest& test)
{
    const uint32_t countX = in.Count();
    const uint32_t countY = in.Count();
    CheckResized(test.grid, countX, countY, test.grid.Resize(countX, countY));
}

void ResizeFromTotal(GridUnderTest& test, uint32_t total, uint32_t countX, uint32_t countY)
{
    CSurfaceGrid& grid = test.grid;
    const GridSnapshot before = GridSnapshot::Of(grid);
    const int32_t status = grid.ResizeFromTotal(total, countX, countY);
    if (total < 4) {
        FUZZ_CHECK(status == zorvel::kInvalidArg);
        FUZZ_CHECK(GridSnapshot::Of(grid).SameAs(before));
        return;
    }
    if (countX != 0 && countY != 0) {
        CheckResized(grid, countX, countY, status);
        return;
    }
    const uint32_t side = grid.CountX();
    FUZZ_CHECK(grid.CountY() == side);
    // Beyond 2^24 the root is rounded to a float first and may round up.
    if (total <= (1u << 24)) {
        FUZZ_CHECK(uint64_t{side} * side <= total);
        FUZZ_CHECK((uint64_t{side} + 1) * (side + 1) > total);
    }
    CheckResized(grid, side, side, status);
}

void SetAxis(FuzzInput& in, GridUnderTest& test, bool xAxis)
{
    CSurfaceGrid& grid = test.grid;
    const float min = in.Float();
    const float max = in.Float();
    const GridSnapshot before = GridSnapshot::Of(grid);
    const int status = xAxis ? grid.SetXAxis(min, max) : grid.SetYAxis(min, max);
    const bool injected = TakeInjectedFailure();
    const GridSnapshot after = GridSnapshot::Of(grid);
    if (max <= min) {
        FUZZ_CHECK(status == zorvel::kRejected);
        FUZZ_CHECK(after.SameAs(before));
        return;
    }
    const uint32_t count = xAxis ? grid.CountX() : grid.CountY();
    if (status == zorvel::kOutOfMemory) {
        // Only an absent axis array is allocated, and a grid with all its
        // arrays has none absent.
        FUZZ_CHECK(!before.hasArrays);
        FUZZ_CHECK(injected || !FitsHeap(uint64_t{count} * sizeof(float)));
        FUZZ_CHECK(after.SameAs(before));
        return;
    }
    FUZZ_CHECK(status == zorvel::kOk);
    FUZZ_CHECK(SameBits(xAxis ? grid.XMin() : grid.YMin(), min));
    FUZZ_CHECK(SameBits(xAxis ? grid.XMax() : grid.YMax(), max));
    FUZZ_CHECK(after.countX == before.countX && after.countY == before.countY);
    // The other axis and the heights stay.
    FUZZ_CHECK(SameBits(xAxis ? after.range[2] : after.range[0], xAxis ? before.range[2] : before.range[0]));
    FUZZ_CHECK(SameBits(xAxis ? after.range[3] : after.range[1], xAxis ? before.range[3] : before.range[1]));
    if (before.hasArrays) {
        FUZZ_CHECK(after.hasArrays);
        FUZZ_CHECK(SameBits(after.heights, before.heights));
        FUZZ_CHECK(SameBits(xAxis ? after.ys : after.xs, xAxis ? before.ys : before.xs));
    }
    if (after.hasArrays)
        CheckSpread(xAxis ? grid.XValues() : grid.YValues(), count, min, max);
}

void SetPoint(FuzzInput& in, GridUnderTest& test, bool checkEverything)
{
    CSurfaceGrid& grid = test.grid;
    const uint32_t col = in.Index(grid.CountX());
    const uint32_t row = in.Index(grid.CountY());
    const float x = in.Float();
    const float y = in.Float();
    const float z = in.Float();
    GridSnapshot before;
    if (checkEverything)
        before = GridSnapshot::Of(grid);
    const bool inside = col < grid.CountX() && row < grid.CountY() && grid.HasArrays();
    const int status = grid.SetPoint(col, row, x, y, z);
    if (!inside) {
        FUZZ_CHECK(status == zorvel::kRejected);
        if (checkEverything)
            FUZZ_CHECK(GridSnapshot::Of(grid).SameAs(before));
        return;
    }
    FUZZ_CHECK(status == zorvel::kOk);
    const uint64_t element = col + static_cast<uint64_t>(row) * grid.CountX();
    FUZZ_CHECK(SameBits(grid.Heights()[element], z));
    FUZZ_CHECK(SameBits(grid.XValues()[col], x));
    FUZZ_CHECK(SameBits(grid.YValues()[row], y));
    if (checkEverything) {
        before.heights[element] = z;
        before.xs[col] = x;
        before.ys[row] = y;
        FUZZ_CHECK(GridSnapshot::Of(grid).SameAs(before));
    }
}

void ReleaseArrays(GridUnderTest& test)
{
    CSurfaceGrid& grid = test.grid;
    const GridSnapshot before = GridSnapshot::Of(grid);
    grid.ReleaseArrays();
    FUZZ_CHECK(grid.CountX() == before.countX && grid.CountY() == before.countY);
    FUZZ_CHECK(SameBits(grid.XMin(), before.range[0]) && SameBits(grid.XMax(), before.range[1]));
    FUZZ_CHECK(SameBits(grid.YMin(), before.range[2]) && SameBits(grid.YMax(), before.range[3]));
    FUZZ_CHECK(grid.HasArrays() == (before.countX == 0 && before.countY == 0));
}

void ChooseFaults(FuzzInput& in)
{
    switch (in.Below(4)) {
    case 0:
        FailAllocation(static_cast<int>(in.Below(4)));
        break;
    case 1:
        FailAllAllocations(in.Bool());
        break;
    default:
        FailAllocation(-1);
        FailAllAllocations(false);
        break;
    }
    TakeInjectedFailure();
}

}  // namespace

GridSnapshot GridSnapshot::Of(const CSurfaceGrid& grid)
{
    GridSnapshot s;
    s.countX = grid.CountX();
    s.countY = grid.CountY();
    s.range[0] = grid.XMin();
    s.range[1] = grid.XMax();
    s.range[2] = grid.YMin();
    s.range[3] = grid.YMax();
    s.hasArrays = grid.HasArrays();
    if (s.hasArrays) {
        s.xs = Copy(grid.XValues(), s.countX);
        s.ys = Copy(grid.YValues(), s.countY);
        s.heights = Copy(grid.Heights(), static_cast<uint64_t>(s.countX) * s.countY);
    }
    return s;
}

bool GridSnapshot::SameAs(const GridSnapshot& other) const
{
    for (int i = 0; i < 4; ++i) {
        if (!SameBits(range[i], other.range[i]))
            return false;
    }
    return countX == other.countX && countY == other.countY && hasArrays == other.hasArrays &&
           SameBits(xs, other.xs) && SameBits(ys, other.ys) && SameBits(heights, other.heights);
}

void CheckGridInvariants(const CSurfaceGrid& grid)
{
    const bool arrays = grid.HasArrays();
    FUZZ_CHECK((grid.XValues() != nullptr) == (arrays && grid.CountX() != 0));
    FUZZ_CHECK((grid.YValues() != nullptr) == (arrays && grid.CountY() != 0));
    FUZZ_CHECK((grid.Heights() != nullptr) == (arrays && grid.CountX() != 0 && grid.CountY() != 0));
}

void ApplyGridOperation(FuzzInput& in, GridUnderTest& test)
{
    switch (in.Below(12)) {
    case 0:
    case 1:
        SetPointPerXY(in, test);
        break;
    case 2:
        Resize(in, test);
        break;
    case 3:
        // A scene rebuild with the reset flag set.
        ResizeFromTotal(test, static_cast<uint32_t>(test.pointCount), test.grid.CountX(), test.grid.CountY());
        break;
    case 4: {
        const uint32_t total = in.Count();
        const bool square = in.Bool();
        const uint32_t countX = square ? 0 : in.Count();
        const uint32_t countY = square ? 0 : in.Count();
        ResizeFromTotal(test, total, countX, countY);
        break;
    }
    case 5:
        SetAxis(in, test, true);
        break;
    case 6:
        SetAxis(in, test, false);
        break;
    case 7:
        SetPoint(in, test, true);
        break;
    case 8: {
        const uint32_t writes = in.Below(64);
        for (uint32_t i = 0; i < writes && !in.Empty(); ++i)
            SetPoint(in, test, false);
        break;
    }
    case 9:
        ReleaseArrays(test);
        break;
    default:
        ChooseFaults(in);
        break;
    }
    CheckGridInvariants(test.grid);
}

}  // namespace zorvel_fuzz
