// The grid model: sizing, axis spreads, point writes, and what is left after
// an allocation fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

#include "control/status.h"
#include "control/surface_grid.h"

namespace {

static_assert(!std::is_copy_constructible<CSurfaceGrid>::value, "the grid owns its arrays");
static_assert(!std::is_copy_assignable<CSurfaceGrid>::value, "the grid owns its arrays");

std::vector<float> Copy(const float* values, size_t count)
{
    return values ? std::vector<float>(values, values + count) : std::vector<float>();
}

std::vector<float> HeightsOf(const CSurfaceGrid& grid)
{
    return Copy(grid.Heights(), size_t(grid.CountX()) * grid.CountY());
}

// Fills every height with a distinct non-zero value.
void FillHeights(CSurfaceGrid& grid)
{
    for (uint32_t row = 0; row < grid.CountY(); ++row)
        for (uint32_t col = 0; col < grid.CountX(); ++col)
            ASSERT_EQ(zorvel::kOk, grid.SetPoint(col, row, grid.XValues()[col],
                                                 grid.YValues()[row], 1.0f + col + 100.0f * row));
}

// Ends exact, strictly increasing, each value within a few float roundings of
// the even step.
void ExpectEvenSpread(const float* values, uint32_t count, float min, float max)
{
    ASSERT_NE(nullptr, values);
    const double tolerance = 4 * FLT_EPSILON * std::max(std::fabs(min), std::fabs(max));
    EXPECT_EQ(min, values[0]);
    EXPECT_EQ(max, values[count - 1]);
    const double step = (double(max) - min) / (count - 1);
    for (uint32_t i = 1; i < count; ++i) {
        EXPECT_LT(values[i - 1], values[i]) << "index " << i;
        EXPECT_NEAR(min + step * i, values[i], tolerance)
            << "index " << i;
    }
}

TEST(SurfaceGrid, StartsEmptyOverMinusTenToTen)
{
    CSurfaceGrid grid;
    EXPECT_EQ(-10.0f, grid.XMin());
    EXPECT_EQ(10.0f, grid.XMax());
    EXPECT_EQ(-10.0f, grid.YMin());
    EXPECT_EQ(10.0f, grid.YMax());
    EXPECT_EQ(0u, grid.CountX());
    EXPECT_EQ(0u, grid.CountY());
    EXPECT_EQ(nullptr, grid.XValues());
    EXPECT_EQ(nullptr, grid.YValues());
    EXPECT_EQ(nullptr, grid.Heights());
    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(0, 0, 1.0f, 2.0f, 3.0f));
}

TEST(SurfaceGrid, AxisRangeOnUnsizedGridIsKeptForTheNextResize)
{
    CSurfaceGrid grid;
    EXPECT_EQ(zorvel::kOk, grid.SetXAxis(-5.0f, 5.0f));
    EXPECT_EQ(-5.0f, grid.XMin());
    EXPECT_EQ(5.0f, grid.XMax());
    EXPECT_EQ(nullptr, grid.XValues());

    ASSERT_EQ(zorvel::kOk, grid.Resize(3, 2));
    EXPECT_EQ(-5.0f, grid.XValues()[0]);
    EXPECT_EQ(0.0f, grid.XValues()[1]);
    EXPECT_EQ(5.0f, grid.XValues()[2]);
    EXPECT_EQ(-10.0f, grid.YValues()[0]);
    EXPECT_EQ(10.0f, grid.YValues()[1]);
}

TEST(SurfaceGrid, EmptyOrReversedRangeIsRejectedAndChangesNothing)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(4, 3));
    FillHeights(grid);
    const std::vector<float> xs = Copy(grid.XValues(), 4);
    const std::vector<float> ys = Copy(grid.YValues(), 3);
    const std::vector<float> heights = HeightsOf(grid);

    EXPECT_EQ(zorvel::kRejected, grid.SetXAxis(3.0f, 3.0f));
    EXPECT_EQ(zorvel::kRejected, grid.SetXAxis(4.0f, 3.0f));
    EXPECT_EQ(zorvel::kRejected, grid.SetYAxis(3.0f, 3.0f));
    EXPECT_EQ(zorvel::kRejected, grid.SetYAxis(4.0f, 3.0f));

    EXPECT_EQ(-10.0f, grid.XMin());
    EXPECT_EQ(10.0f, grid.XMax());
    EXPECT_EQ(-10.0f, grid.YMin());
    EXPECT_EQ(10.0f, grid.YMax());
    EXPECT_EQ(xs, Copy(grid.XValues(), 4));
    EXPECT_EQ(ys, Copy(grid.YValues(), 3));
    EXPECT_EQ(heights, HeightsOf(grid));
}

TEST(SurfaceGrid, NotANumberBoundPassesTheRangeTest)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(3, 3));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(zorvel::kOk, grid.SetXAxis(nan, 1.0f));
    EXPECT_TRUE(std::isnan(grid.XMin()));
    EXPECT_TRUE(std::isnan(grid.XValues()[1]));
}

TEST(SurfaceGrid, AxisSetterRespreadsItsAxisAndKeepsHeights)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(20, 50));
    FillHeights(grid);
    ASSERT_EQ(zorvel::kOk, grid.SetPoint(7, 3, 123.0f, -456.0f, 9.0f));
    const std::vector<float> heights = HeightsOf(grid);
    const std::vector<float> ys = Copy(grid.YValues(), 50);

    EXPECT_EQ(zorvel::kOk, grid.SetXAxis(0.0f, 19.0f));
    // With 20 points over 0..19 the spread is the whole numbers.
    for (uint32_t col = 0; col < 20; ++col)
        EXPECT_EQ(float(col), grid.XValues()[col]) << "column " << col;
    EXPECT_EQ(heights, HeightsOf(grid));
    EXPECT_EQ(ys, Copy(grid.YValues(), 50));

    EXPECT_EQ(zorvel::kOk, grid.SetYAxis(-1.0f, 1.0f));
    ExpectEvenSpread(grid.YValues(), 50, -1.0f, 1.0f);
    EXPECT_EQ(heights, HeightsOf(grid));
}

TEST(SurfaceGrid, ResizeFromTotalMakesTheDefaultSquareGrid)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.ResizeFromTotal(30000, 0, 0));
    EXPECT_EQ(173u, grid.CountX());
    EXPECT_EQ(173u, grid.CountY());
    ASSERT_TRUE(grid.HasArrays());
    ExpectEvenSpread(grid.XValues(), 173, -10.0f, 10.0f);
    ExpectEvenSpread(grid.YValues(), 173, -10.0f, 10.0f);
    EXPECT_EQ(0.0f, grid.XValues()[86]);  // the middle of a symmetric range
    EXPECT_EQ(std::vector<float>(173 * 173, 0.0f), HeightsOf(grid));
}

TEST(SurfaceGrid, ResizeFromTotalTakesTheFlooredSquareRoot)
{
    const struct {
        uint32_t total;
        uint32_t side;
    } cases[] = {{4, 2}, {8, 2}, {9, 3}, {99, 9}, {10000, 100}, {30000, 173}};
    for (const auto& c : cases) {
        CSurfaceGrid grid;
        EXPECT_EQ(zorvel::kOk, grid.ResizeFromTotal(c.total, 0, 0)) << c.total;
        EXPECT_EQ(c.side, grid.CountX()) << c.total;
        EXPECT_EQ(c.side, grid.CountY()) << c.total;
    }
    // One count of 0 is enough to ask for the square grid.
    CSurfaceGrid grid;
    EXPECT_EQ(zorvel::kOk, grid.ResizeFromTotal(100, 7, 0));
    EXPECT_EQ(10u, grid.CountX());
    EXPECT_EQ(10u, grid.CountY());
}

TEST(SurfaceGrid, ResizeFromTotalBelowFourIsInvalidAndChangesNothing)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(3, 2));
    FillHeights(grid);
    const std::vector<float> heights = HeightsOf(grid);

    EXPECT_EQ(zorvel::kInvalidArg, grid.ResizeFromTotal(3, 0, 0));
    EXPECT_EQ(zorvel::kInvalidArg, grid.ResizeFromTotal(0, 3, 2));
    EXPECT_EQ(3u, grid.CountX());
    EXPECT_EQ(2u, grid.CountY());
    EXPECT_EQ(heights, HeightsOf(grid));
}

TEST(SurfaceGrid, ResizeDiscardsAllDataEvenAtTheSameSize)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(20, 50));
    FillHeights(grid);
    ASSERT_EQ(zorvel::kOk, grid.SetPoint(0, 0, 55.0f, 66.0f, 1.0f));

    EXPECT_EQ(zorvel::kOk, grid.ResizeFromTotal(30000, 20, 50));
    EXPECT_EQ(20u, grid.CountX());
    EXPECT_EQ(50u, grid.CountY());
    EXPECT_EQ(std::vector<float>(20 * 50, 0.0f), HeightsOf(grid));
    ExpectEvenSpread(grid.XValues(), 20, -10.0f, 10.0f);
    ExpectEvenSpread(grid.YValues(), 50, -10.0f, 10.0f);

    FillHeights(grid);
    EXPECT_EQ(zorvel::kOk, grid.Resize(20, 50));
    EXPECT_EQ(std::vector<float>(20 * 50, 0.0f), HeightsOf(grid));
}

TEST(SurfaceGrid, SetPointWritesHeightAndBothCoordinates)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(20, 50));
    EXPECT_EQ(zorvel::kOk, grid.SetPoint(19, 49, 1.5f, -2.5f, 7.0f));
    EXPECT_EQ(7.0f, grid.Heights()[999]);
    EXPECT_EQ(1.5f, grid.XValues()[19]);
    EXPECT_EQ(-2.5f, grid.YValues()[49]);
    // Nothing else moved.
    EXPECT_EQ(0.0f, grid.Heights()[998]);
    EXPECT_EQ(-10.0f, grid.XValues()[0]);
    EXPECT_EQ(-10.0f, grid.YValues()[0]);
}

TEST(SurfaceGrid, SetPointOutsideTheGridIsRejectedAndWritesNothing)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(20, 50));
    FillHeights(grid);
    const std::vector<float> xs = Copy(grid.XValues(), 20);
    const std::vector<float> ys = Copy(grid.YValues(), 50);
    const std::vector<float> heights = HeightsOf(grid);

    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(20, 0, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(0, 50, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(20, 49, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(0xFFFFFFFFu, 0, 1.0f, 1.0f, 1.0f));  // -1
    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(0, 0xFFFFFFFFu, 1.0f, 1.0f, 1.0f));

    EXPECT_EQ(xs, Copy(grid.XValues(), 20));
    EXPECT_EQ(ys, Copy(grid.YValues(), 50));
    EXPECT_EQ(heights, HeightsOf(grid));
}

TEST(SurfaceGrid, AxisOfOnePointHoldsTheMinimum)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(1, 4));
    EXPECT_EQ(-10.0f, grid.XValues()[0]);
    ExpectEvenSpread(grid.YValues(), 4, -10.0f, 10.0f);

    EXPECT_EQ(zorvel::kOk, grid.SetXAxis(2.0f, 6.0f));
    EXPECT_EQ(2.0f, grid.XValues()[0]);
}

TEST(SurfaceGrid, ZeroCountsAllocateNothing)
{
    CSurfaceGrid grid;
    EXPECT_EQ(zorvel::kOk, grid.Resize(0, 5));
    EXPECT_TRUE(grid.HasArrays());
    EXPECT_EQ(nullptr, grid.XValues());
    EXPECT_EQ(nullptr, grid.Heights());
    ExpectEvenSpread(grid.YValues(), 5, -10.0f, 10.0f);
    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(0, 0, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(zorvel::kOk, grid.SetXAxis(1.0f, 2.0f));
    EXPECT_EQ(1.0f, grid.XMin());

    EXPECT_EQ(zorvel::kOk, grid.Resize(0, 0));
    EXPECT_EQ(nullptr, grid.YValues());
}

TEST(SurfaceGrid, ReleasedArraysKeepCountsAndRangesButRefusePoints)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.SetXAxis(-2.0f, 2.0f));
    ASSERT_EQ(zorvel::kOk, grid.Resize(4, 4));
    grid.ReleaseArrays();

    EXPECT_EQ(4u, grid.CountX());
    EXPECT_EQ(4u, grid.CountY());
    EXPECT_EQ(-2.0f, grid.XMin());
    EXPECT_FALSE(grid.HasArrays());
    EXPECT_EQ(nullptr, grid.XValues());
    EXPECT_EQ(nullptr, grid.YValues());
    EXPECT_EQ(nullptr, grid.Heights());
    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(1, 1, 1.0f, 1.0f, 1.0f));

    ASSERT_EQ(zorvel::kOk, grid.Resize(4, 4));
    EXPECT_EQ(zorvel::kOk, grid.SetPoint(1, 1, 1.0f, 1.0f, 1.0f));
}

// Sizes whose byte count does not fit 32 bits fail before any heap call, so
// these run without the hook.
TEST(SurfaceGrid, SizeBeyondThirtyTwoBitBytesFailsAsOutOfMemory)
{
    EXPECT_EQ(nullptr, zorvel::AllocateFloats(0x40000000u));
    EXPECT_EQ(nullptr, zorvel::AllocateFloats(0));

    const struct {
        uint32_t countX;
        uint32_t countY;
    } cases[] = {
        {0x40000000u, 1},             // one axis alone is 4 GiB
        {0xFFFFFFFEu, 0xFFFFFFFEu},   // two counts that were negative
        {65536, 65536},               // 2^32 points
        {65536, 65537},               // a product that wraps to 65536 in 32 bits
    };
    for (const auto& c : cases) {
        CSurfaceGrid grid;
        ASSERT_EQ(zorvel::kOk, grid.Resize(3, 3));
        EXPECT_EQ(zorvel::kOutOfMemory, grid.Resize(c.countX, c.countY)) << c.countX;
        EXPECT_EQ(c.countX, grid.CountX());
        EXPECT_EQ(c.countY, grid.CountY());
        EXPECT_FALSE(grid.HasArrays());
        EXPECT_EQ(nullptr, grid.XValues());
        EXPECT_EQ(nullptr, grid.YValues());
        EXPECT_EQ(nullptr, grid.Heights());
        EXPECT_EQ(zorvel::kRejected, grid.SetPoint(0, 0, 1.0f, 1.0f, 1.0f));
        EXPECT_EQ(zorvel::kRejected, grid.SetPoint(65535, 65536, 1.0f, 1.0f, 1.0f));
    }

    // The largest square a 32-bit total can ask for is 65536 a side.
    CSurfaceGrid grid;
    EXPECT_EQ(zorvel::kOutOfMemory, grid.ResizeFromTotal(0xFFFFFFFFu, 0, 0));
    EXPECT_EQ(65536u, grid.CountX());
    EXPECT_FALSE(grid.HasArrays());
}

TEST(SurfaceGrid, AxisSetterOnAnUnallocatableAxisKeepsItsRange)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOutOfMemory, grid.Resize(0x40000000u, 0x40000000u));
    EXPECT_EQ(zorvel::kOutOfMemory, grid.SetXAxis(1.0f, 2.0f));
    EXPECT_EQ(zorvel::kOutOfMemory, grid.SetYAxis(1.0f, 2.0f));
    EXPECT_EQ(-10.0f, grid.XMin());
    EXPECT_EQ(10.0f, grid.XMax());
    EXPECT_EQ(-10.0f, grid.YMin());
    EXPECT_EQ(10.0f, grid.YMax());
    EXPECT_FALSE(grid.HasArrays());
    // A rejected range is still reported as rejected.
    EXPECT_EQ(zorvel::kRejected, grid.SetXAxis(2.0f, 1.0f));
}

// Counts the heap requests and refuses chosen ones.
class GridAllocationFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls = 0;
        refuseFrom = 0;
        refuseTo = 0;
        previous = zorvel::SetAllocationHook(&Hook);
    }
    void TearDown() override { zorvel::SetAllocationHook(previous); }

    // Refuses requests first..last (counted from 1); 0 refuses none.
    static void Refuse(int first, int last)
    {
        calls = 0;
        refuseFrom = first;
        refuseTo = last;
    }

    static bool Hook(uint64_t)
    {
        ++calls;
        return !(calls >= refuseFrom && calls <= refuseTo);
    }

    static int calls;
    static int refuseFrom;
    static int refuseTo;
    zorvel::AllocationHook previous = nullptr;
};

int GridAllocationFailure::calls = 0;
int GridAllocationFailure::refuseFrom = 0;
int GridAllocationFailure::refuseTo = 0;

TEST_F(GridAllocationFailure, AnyFailedArrayLeavesAGridThatRefusesPoints)
{
    // x, y and the heights are requested in this order.
    for (int failing = 1; failing <= 3; ++failing) {
        CSurfaceGrid grid;
        ASSERT_EQ(zorvel::kOk, grid.Resize(5, 4));
        FillHeights(grid);

        Refuse(failing, failing);
        EXPECT_EQ(zorvel::kOutOfMemory, grid.Resize(10, 8)) << "failing " << failing;
        EXPECT_EQ(failing, calls) << "nothing requested after the failure";
        EXPECT_EQ(10u, grid.CountX());
        EXPECT_EQ(8u, grid.CountY());
        EXPECT_FALSE(grid.HasArrays());
        EXPECT_EQ(nullptr, grid.XValues());
        EXPECT_EQ(nullptr, grid.YValues());
        EXPECT_EQ(nullptr, grid.Heights());
        EXPECT_EQ(zorvel::kRejected, grid.SetPoint(0, 0, 1.0f, 1.0f, 1.0f));
        EXPECT_EQ(zorvel::kRejected, grid.SetPoint(9, 7, 1.0f, 1.0f, 1.0f));

        Refuse(0, 0);
        EXPECT_EQ(zorvel::kOk, grid.Resize(10, 8));
        EXPECT_TRUE(grid.HasArrays());
        EXPECT_EQ(zorvel::kOk, grid.SetPoint(9, 7, 1.0f, 1.0f, 1.0f));
        EXPECT_EQ(1.0f, grid.Heights()[79]);
    }
}

TEST_F(GridAllocationFailure, ResizeFromTotalReportsTheFailure)
{
    CSurfaceGrid grid;
    Refuse(3, 3);
    EXPECT_EQ(zorvel::kOutOfMemory, grid.ResizeFromTotal(30000, 0, 0));
    EXPECT_EQ(173u, grid.CountX());
    EXPECT_FALSE(grid.HasArrays());
}

TEST_F(GridAllocationFailure, AxisSetterWhoseArrayCannotBeMadeKeepsTheOldRange)
{
    CSurfaceGrid grid;
    Refuse(1, 3);
    ASSERT_EQ(zorvel::kOutOfMemory, grid.Resize(6, 5));

    Refuse(1, 1);
    EXPECT_EQ(zorvel::kOutOfMemory, grid.SetXAxis(0.0f, 5.0f));
    EXPECT_EQ(-10.0f, grid.XMin());
    EXPECT_EQ(10.0f, grid.XMax());
    Refuse(1, 1);
    EXPECT_EQ(zorvel::kOutOfMemory, grid.SetYAxis(0.0f, 4.0f));
    EXPECT_EQ(-10.0f, grid.YMin());
    EXPECT_EQ(10.0f, grid.YMax());

    // Once the axis array can be made the range applies, but without heights
    // the grid still takes no points.
    Refuse(0, 0);
    EXPECT_EQ(zorvel::kOk, grid.SetXAxis(0.0f, 5.0f));
    EXPECT_EQ(0.0f, grid.XMin());
    EXPECT_EQ(5.0f, grid.XMax());
    EXPECT_FALSE(grid.HasArrays());
    EXPECT_EQ(nullptr, grid.XValues());
    EXPECT_EQ(zorvel::kRejected, grid.SetPoint(1, 1, 1.0f, 1.0f, 1.0f));

    // The next successful resize spreads the range that was applied.
    ASSERT_EQ(zorvel::kOk, grid.Resize(6, 5));
    for (uint32_t col = 0; col < 6; ++col)
        EXPECT_EQ(float(col), grid.XValues()[col]);
    ExpectEvenSpread(grid.YValues(), 5, -10.0f, 10.0f);
}

TEST_F(GridAllocationFailure, AxisSetterAllocatesOnlyAnAbsentArray)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(6, 5));
    Refuse(1, 1000);
    EXPECT_EQ(zorvel::kOk, grid.SetXAxis(0.0f, 1.0f));
    EXPECT_EQ(zorvel::kOk, grid.SetYAxis(0.0f, 1.0f));
    EXPECT_EQ(0, calls);
}

}  // namespace
