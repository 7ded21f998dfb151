// The surface strip: vertex count and order, the model-space mapping, the
// normals, and grids too small or too broken to give a strip.

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "control/status.h"
#include "control/surface_grid.h"
#include "render/mesh.h"

namespace {

std::vector<SurfaceVertex> Strip(const CSurfaceGrid& grid)
{
    std::vector<SurfaceVertex> vertices(zorvel::StripVertexCount(grid.View()));
    EXPECT_EQ(vertices.size(), zorvel::BuildStrip(grid.View(), vertices.data()));
    return vertices;
}

// Sets every height from f(x, y), keeping the coordinates.
template <typename F>
void SetHeights(CSurfaceGrid& grid, F f)
{
    for (uint32_t row = 0; row < grid.CountY(); ++row)
        for (uint32_t col = 0; col < grid.CountX(); ++col) {
            const float x = grid.XValues()[col];
            const float y = grid.YValues()[row];
            ASSERT_EQ(zorvel::kOk, grid.SetPoint(col, row, x, y, f(x, y)));
        }
}

// Exact comparison of all three components, printed in full on failure.
::testing::AssertionResult Vec3Is(float x, float y, float z, const D3DXVECTOR3& v)
{
    if (v.x == x && v.y == y && v.z == z)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << std::setprecision(9) << "(" << v.x << ", " << v.y << ", " << v.z
           << ") instead of (" << x << ", " << y << ", " << z << ")";
}

::testing::AssertionResult Vec3Near(double x, double y, double z, const D3DXVECTOR3& v,
                                    double tolerance)
{
    if (std::fabs(v.x - x) <= tolerance && std::fabs(v.y - y) <= tolerance &&
        std::fabs(v.z - z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << std::setprecision(9) << "(" << v.x << ", " << v.y << ", " << v.z
           << ") not within " << tolerance << " of (" << x << ", " << y << ", " << z << ")";
}

constexpr double kNormalTolerance = 1e-6;
const double kHalfRoot2 = std::sqrt(0.5);

TEST(SurfaceStrip, VertexCountCoversEveryBand)
{
    const struct {
        uint32_t countX, countY, vertices;
    } cases[] = {{2, 2, 4}, {2, 3, 8}, {5, 4, 30}, {1, 5, 8}, {173, 173, 59512}, {0, 5, 0}};
    for (const auto& c : cases) {
        CSurfaceGrid grid;
        ASSERT_EQ(zorvel::kOk, grid.Resize(c.countX, c.countY));
        EXPECT_EQ(c.vertices, zorvel::StripVertexCount(grid.View())) << c.countX << "x" << c.countY;
    }
}

TEST(SurfaceStrip, BandsRunInSerpentineOrder)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(2, 3));
    // Height 10 * row + col names each point.
    for (uint32_t row = 0; row < 3; ++row)
        for (uint32_t col = 0; col < 2; ++col)
            ASSERT_EQ(zorvel::kOk, grid.SetPoint(col, row, grid.XValues()[col],
                                                 grid.YValues()[row], 10.0f * row + col));

    const std::vector<SurfaceVertex> strip = Strip(grid);
    // (0,1) (0,0) (1,1) (1,0) (1,1) (1,2) (0,1) (0,2)
    const int expected[8][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {1, 1}, {1, 2}, {0, 1}, {0, 2}};
    ASSERT_EQ(8u, strip.size());
    for (int i = 0; i < 8; ++i) {
        const int col = expected[i][0];
        const int row = expected[i][1];
        EXPECT_EQ(10.0f * row + col, strip[i].z) << "vertex " << i;
        EXPECT_EQ(col == 0 ? -10.0f : 10.0f, strip[i].x) << "vertex " << i;
        EXPECT_EQ(-10.0f + 10.0f * row, strip[i].y) << "vertex " << i;
    }
}

TEST(SurfaceStrip, DefaultFlatGridFacesStraightUp)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.ResizeFromTotal(30000, 0, 0));
    const std::vector<SurfaceVertex> strip = Strip(grid);
    ASSERT_EQ(59512u, strip.size());

    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    size_t notUp = 0;
    for (const SurfaceVertex& v : strip) {
        if (!(v.nx == 0.0f && v.ny == 0.0f && v.nz == 1.0f))
            ++notUp;
        EXPECT_EQ(0.0f, v.z);
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    EXPECT_EQ(0u, notUp) << "vertices whose normal is not exactly (0, 0, 1)";
    EXPECT_EQ(-10.0f, minX);
    EXPECT_EQ(10.0f, maxX);
    EXPECT_EQ(-10.0f, minY);
    EXPECT_EQ(10.0f, maxY);
}

TEST(SurfaceStrip, AnyRangeIsScaledToMinusTenToTen)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.SetXAxis(0.0f, 100.0f));
    ASSERT_EQ(zorvel::kOk, grid.SetYAxis(-1.0f, 1.0f));
    ASSERT_EQ(zorvel::kOk, grid.Resize(5, 3));
    SetHeights(grid, [](float x, float y) { return x * y; });

    const std::vector<SurfaceVertex> strip = Strip(grid);
    ASSERT_EQ(20u, strip.size());
    // Band 0 runs left to right, upper row first: x = 0, 25, ... scale by 0.2
    // and y = 0 and -1 scale by 10.
    for (int col = 0; col < 5; ++col) {
        const SurfaceVertex& upper = strip[2 * col];
        const SurfaceVertex& lower = strip[2 * col + 1];
        EXPECT_NEAR(-10.0 + 5.0 * col, upper.x, 1e-5) << col;
        EXPECT_EQ(upper.x, lower.x);
        EXPECT_EQ(0.0f, upper.y);
        EXPECT_EQ(-10.0f, lower.y);
        // Heights pass through in data units.
        EXPECT_EQ(0.0f, upper.z);
        EXPECT_EQ(-25.0f * col, lower.z);
    }
    EXPECT_EQ(-10.0f, strip[0].x);
    EXPECT_EQ(10.0f, strip[8].x);
    EXPECT_EQ(10.0f, strip[19].y);  // last vertex: column 0, row 2
}

TEST(SurfaceStrip, NarrowRangeFarFromZeroIsScaledUpToMinusTenToTen)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.SetXAxis(1000.0f, 1000.5f));
    ASSERT_EQ(zorvel::kOk, grid.Resize(5, 2));
    const std::vector<SurfaceVertex> strip = Strip(grid);
    ASSERT_EQ(10u, strip.size());
    // Band 0 runs left to right: the step of 0.125 becomes 5.
    for (int col = 0; col < 5; ++col)
        EXPECT_EQ(-10.0f + 5.0f * col, strip[2 * col].x) << col;
}

TEST(SurfaceStrip, AllEqualXCoordinatesLandOnTen)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(3, 2));
    for (uint32_t col = 0; col < 3; ++col)
        for (uint32_t row = 0; row < 2; ++row)
            ASSERT_EQ(zorvel::kOk, grid.SetPoint(col, row, 4.0f, grid.YValues()[row], 0.0f));
    for (const SurfaceVertex& v : Strip(grid))
        EXPECT_EQ(10.0f, v.x);
}

TEST(SurfaceStrip, SingleFlatColumnGivesOnlyZeroAreaTriangles)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(1, 5));
    const std::vector<SurfaceVertex> strip = Strip(grid);
    ASSERT_EQ(8u, strip.size());
    for (size_t i = 0; i + 2 < strip.size(); ++i) {
        const SurfaceVertex& a = strip[i];
        const SurfaceVertex& b = strip[i + 1];
        const SurfaceVertex& c = strip[i + 2];
        const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        EXPECT_EQ(0.0, uy * vz - uz * vy) << "triangle " << i;
        EXPECT_EQ(0.0, uz * vx - ux * vz) << "triangle " << i;
        EXPECT_EQ(0.0, ux * vy - uy * vx) << "triangle " << i;
        EXPECT_EQ(10.0f, a.x);
    }
}

TEST(SurfaceStrip, NoStripFromASingleRowOrAGridWithoutArrays)
{
    const SurfaceVertex sentinel = {1, 2, 3, 4, 5, 6};
    SurfaceVertex out = sentinel;

    CSurfaceGrid oneRow;
    ASSERT_EQ(zorvel::kOk, oneRow.Resize(5, 1));
    EXPECT_EQ(0u, zorvel::StripVertexCount(oneRow.View()));
    EXPECT_EQ(0u, zorvel::BuildStrip(oneRow.View(), &out));

    CSurfaceGrid never;
    EXPECT_EQ(0u, zorvel::StripVertexCount(never.View()));
    EXPECT_EQ(0u, zorvel::BuildStrip(never.View(), &out));

    // Counts without arrays, as a failed resize leaves them.
    CSurfaceGrid failed;
    ASSERT_EQ(zorvel::kOutOfMemory, failed.Resize(65536, 65537));
    EXPECT_EQ(0u, zorvel::StripVertexCount(failed.View()));
    EXPECT_EQ(0u, zorvel::BuildStrip(failed.View(), &out));
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.0f, zorvel::ComputeNormal(failed.View(), 1, 1)));

    CSurfaceGrid released;
    ASSERT_EQ(zorvel::kOk, released.Resize(10, 10));
    released.ReleaseArrays();
    EXPECT_EQ(0u, zorvel::StripVertexCount(released.View()));
    EXPECT_EQ(0u, zorvel::BuildStrip(released.View(), &out));
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.0f, zorvel::ComputeNormal(released.View(), 1, 1)));

    EXPECT_EQ(0, std::memcmp(&sentinel, &out, sizeof out));
}

TEST(SurfaceNormal, FlatGridCornersUseTheFixedEdges)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(4, 3));
    const uint32_t corners[4][2] = {{0, 0}, {3, 0}, {0, 2}, {3, 2}};
    for (const auto& corner : corners)
        EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 1.0f, zorvel::ComputeNormal(grid.View(), corner[0], corner[1])));
    // A single point: all four edges fixed.
    CSurfaceGrid point;
    ASSERT_EQ(zorvel::kOk, point.Resize(1, 1));
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 1.0f, zorvel::ComputeNormal(point.View(), 0, 0)));
}

TEST(SurfaceNormal, TiltedPlaneInsideAndAtTheCorner)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(5, 5));
    SetHeights(grid, [](float x, float) { return x; });

    // Inside, all four faces agree: the unit normal of z = x.
    EXPECT_TRUE(Vec3Near(-kHalfRoot2, 0.0, kHalfRoot2, zorvel::ComputeNormal(grid.View(), 2, 2),
                     kNormalTolerance));
    // At (0, 0) two faces use the fixed flat edges: (0, 0, 1) twice and the
    // plane's normal twice, averaged and left short of unit length.
    EXPECT_TRUE(Vec3Near(-kHalfRoot2 / 2, 0.0, 0.5 + kHalfRoot2 / 2,
                     zorvel::ComputeNormal(grid.View(), 0, 0), kNormalTolerance));
}

TEST(SurfaceNormal, CreaseNormalIsNotRenormalised)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(5, 3));  // x = -10, -5, 0, 5, 10
    SetHeights(grid, [](float x, float) { return std::fabs(x); });
    // The left faces lean right, the right faces left: only z survives.
    EXPECT_TRUE(Vec3Near(0.0, 0.0, kHalfRoot2, zorvel::ComputeNormal(grid.View(), 2, 1), kNormalTolerance));
}

TEST(SurfaceNormal, CoincidentNeighbourAddsNothing)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(3, 3));
    // Column 0 moved onto column 1: at (1, 1) the left edge has no length,
    // so U x L and L x D vanish and the other two faces give half of up.
    for (uint32_t row = 0; row < 3; ++row)
        ASSERT_EQ(zorvel::kOk, grid.SetPoint(0, row, 0.0f, grid.YValues()[row], 0.0f));
    ASSERT_EQ(0.0f, grid.XValues()[1]);
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.5f, zorvel::ComputeNormal(grid.View(), 1, 1)));
}

TEST(SurfaceNormal, OutsideTheGridIsZero)
{
    CSurfaceGrid grid;
    ASSERT_EQ(zorvel::kOk, grid.Resize(3, 3));
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.0f, zorvel::ComputeNormal(grid.View(), 3, 0)));
    EXPECT_TRUE(Vec3Is(0.0f, 0.0f, 0.0f, zorvel::ComputeNormal(grid.View(), 0, 3)));
}

// A bumpy surface with a distinct height at every point, so each vertex
// tells which grid point it came from.
void MakeBumpy(CSurfaceGrid& grid, uint32_t countX, uint32_t countY)
{
    ASSERT_EQ(zorvel::kOk, grid.Resize(countX, countY));
    SetHeights(grid, [](float x, float y) {
        return 3.0f * std::sin(0.7f * x) * std::cos(0.4f * y) + 0.01f * x + 0.001f * y;
    });
}

TEST(SurfaceStrip, EveryVertexCarriesItsPointsNormal)
{
    CSurfaceGrid grid;
    MakeBumpy(grid, 7, 6);
    std::map<float, std::pair<uint32_t, uint32_t>> pointOf;
    for (uint32_t row = 0; row < 6; ++row)
        for (uint32_t col = 0; col < 7; ++col)
            pointOf[grid.Heights()[col + row * 7]] = {col, row};
    ASSERT_EQ(42u, pointOf.size()) << "heights must be distinct";

    const std::vector<SurfaceVertex> strip = Strip(grid);
    ASSERT_EQ(2u * 7 * 5, strip.size());
    for (size_t i = 0; i < strip.size(); ++i) {
        const auto found = pointOf.find(strip[i].z);
        ASSERT_NE(pointOf.end(), found) << "vertex " << i;
        const D3DXVECTOR3 n = zorvel::ComputeNormal(grid.View(), found->second.first, found->second.second);
        EXPECT_EQ(n.x, strip[i].nx) << "vertex " << i;
        EXPECT_EQ(n.y, strip[i].ny) << "vertex " << i;
        EXPECT_EQ(n.z, strip[i].nz) << "vertex " << i;
    }
}

// Counts heap requests and refuses them while asked to.
bool g_refuse = false;
int g_requests = 0;
bool CountingHook(uint64_t)
{
    ++g_requests;
    return !g_refuse;
}

TEST(SurfaceStrip, SameStripWithoutScratchMemory)
{
    CSurfaceGrid grid;
    MakeBumpy(grid, 31, 17);
    const std::vector<SurfaceVertex> withScratch = Strip(grid);

    const zorvel::AllocationHook previous = zorvel::SetAllocationHook(&CountingHook);
    g_refuse = true;
    g_requests = 0;
    const std::vector<SurfaceVertex> without = Strip(grid);
    g_refuse = false;
    zorvel::SetAllocationHook(previous);

    EXPECT_GT(g_requests, 0) << "the build never asked for memory";
    ASSERT_EQ(withScratch.size(), without.size());
    EXPECT_EQ(0, std::memcmp(withScratch.data(), without.data(),
                             withScratch.size() * sizeof(SurfaceVertex)));
}

TEST(MinMax, StrictComparisonsFromTheFirstElement)
{
    float min = -1;
    float max = -1;
    const float values[] = {3.0f, -1.0f, 7.0f, -1.0f, 7.0f, 2.0f};
    zorvel::FindMinMax(values, 6, &min, &max);
    EXPECT_EQ(-1.0f, min);
    EXPECT_EQ(7.0f, max);

    zorvel::FindMinMax(values, 1, &min, &max);
    EXPECT_EQ(3.0f, min);
    EXPECT_EQ(3.0f, max);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float nanLater[] = {1.0f, nan, 3.0f};
    zorvel::FindMinMax(nanLater, 3, &min, &max);
    EXPECT_EQ(1.0f, min);
    EXPECT_EQ(3.0f, max);
    const float nanFirst[] = {nan, 1.0f, 3.0f};
    zorvel::FindMinMax(nanFirst, 3, &min, &max);
    EXPECT_TRUE(std::isnan(min));
    EXPECT_TRUE(std::isnan(max));

    zorvel::FindMinMax(nullptr, 0, &min, &max);
    EXPECT_EQ(0.0f, min);
    EXPECT_EQ(0.0f, max);
}

}  // namespace
