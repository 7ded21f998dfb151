// The axes: round ticks for a range and their numbers, and where the box's
// edges, the ticks and the labels go for a camera.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/axes_layout.h"
#include "render/camera.h"

namespace {

std::vector<std::string> Texts(double low, double high)
{
    const zorvel::AxisTicks ticks = zorvel::NiceTicks(low, high);
    std::vector<std::string> texts;
    for (int i = 0; i < ticks.count; ++i)
        texts.push_back(zorvel::TickText(ticks, i));
    return texts;
}

using Strings = std::vector<std::string>;

TEST(AxisTicks, KnownRangesGiveTheirRoundNumbers)
{
    struct Case {
        double low, high;
        Strings texts;
    };
    const Case cases[] = {
        {0, 10, {"0", "2", "4", "6", "8", "10"}},
        {0, 1, {"0", "0.2", "0.4", "0.6", "0.8", "1"}},
        {-1, 1, {"-1", "-0.5", "0", "0.5", "1"}},
        {0, 4.75, {"0", "1", "2", "3", "4"}},
        {10, 0, {"0", "2", "4", "6", "8", "10"}},                  // either order
        {-37, -12, {"-35", "-30", "-25", "-20", "-15"}},
        {0.3, 0.7, {"0.3", "0.4", "0.5", "0.6", "0.7"}},           // 0.7 / 0.1 is just under 7
        {999.5, 1000.5, {"999.6", "999.8", "1000", "1000.2", "1000.4"}},
        {1e-4, 4e-4, {"0.0001", "0.0002", "0.0003", "0.0004"}},
        {0, 4e-5, {"0", "1e-5", "2e-5", "3e-5", "4e-5"}},           // below a ten-thousandth
        {0, 5e6, {"0", "1e6", "2e6", "3e6", "4e6", "5e6"}},         // from a million up
        {1e-30, 3e-30, {"1e-30", "1.5e-30", "2e-30", "2.5e-30", "3e-30"}},
        {-2e38, 3e38, {"-2e38", "-1e38", "0", "1e38", "2e38", "3e38"}},
        // No step fits four to eight: twos give nine, fives three; nine wins the tie.
        {1, 18.5, {"2", "4", "6", "8", "10", "12", "14", "16", "18"}},
        // A range of one value: that value, to a float's digits.
        {7, 7, {"7"}},
        {-0.125, -0.125, {"-0.125"}},
        {2.5e7, 2.5e7, {"2.5e7"}},
        {0, 0, {"0"}},
        // Not finite: no ticks.
        {NAN, 1, {}},
        {0, INFINITY, {}},
        {-INFINITY, INFINITY, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.texts, Texts(c.low, c.high)) << c.low << " .. " << c.high;
}

// Across eleven decades and every offset, checked against plain arithmetic:
// the step is 1, 2 or 5 times a power of ten, the ticks are all of its
// multiples inside the range, and there are four to eight of them (three or
// nine only where no step gives four to eight).
TEST(AxisTicks, EveryRangeGetsAllTheMultiplesOfARoundStepInside)
{
    for (int decade = -5; decade <= 5; ++decade) {
        for (int r = 1; r <= 100; ++r) {
            const double range = r * 0.1 * std::pow(10.0, decade);
            for (int o = -7; o <= 7; ++o) {
                const double low = o * 0.37 * range;
                const double high = low + range;
                const zorvel::AxisTicks ticks = zorvel::NiceTicks(low, high);
                SCOPED_TRACE(testing::Message() << low << " .. " << high);
                ASSERT_TRUE(ticks.mantissa == 1 || ticks.mantissa == 2 || ticks.mantissa == 5);
                ASSERT_NEAR(ticks.mantissa * std::pow(10.0, ticks.power), ticks.step, ticks.step * 1e-12);
                const double slack = ticks.step * 1e-6;
                ASSERT_GE(ticks.Value(0), low - slack);
                ASSERT_LE(ticks.Value(ticks.count - 1), high + slack);
                ASSERT_LT(ticks.Value(0) - ticks.step, low - slack);        // none missed below
                ASSERT_GT(ticks.Value(ticks.count - 1) + ticks.step, high + slack);  // nor above
                bool fits = false;  // some round step gives four to eight
                for (int power = decade - 3; power <= decade + 2; ++power)
                    for (int mantissa : {1, 2, 5}) {
                        const double step = mantissa * std::pow(10.0, power);
                        const double n = std::floor(high / step + 1e-9) - std::ceil(low / step - 1e-9) + 1;
                        fits = fits || (n >= 4 && n <= 8);
                    }
                if (fits) {
                    ASSERT_GE(ticks.count, 4);
                    ASSERT_LE(ticks.count, 8);
                } else {
                    ASSERT_TRUE(ticks.count == 3 || ticks.count == 9) << ticks.count;
                }
            }
        }
    }
}

// The default camera over a box of x, y -10..10 and heights 0..5: azimuth 0,
// so the picture is symmetric left to right, +y on the left, +x nearest.
class AxesLayoutTest : public testing::Test {
protected:
    bool LayOut(float azimuth, float elevation, float radius, zorvel::AxesLayout* layout) const
    {
        return zorvel::LayOutAxes(spans, zorvel::EyeFromAngles(azimuth, elevation, radius), 200.0f, 200.0f,
                                  layout);
    }

    zorvel::AxisSpan spans[3] = {{-10, 10, -10, 10}, {-10, 10, -10, 10}, {0, 5, 0, 5}};
};

TEST_F(AxesLayoutTest, EdgesOnAFaceTurnedToTheEyeAreInFront)
{
    zorvel::AxesLayout layout;
    ASSERT_TRUE(LayOut(0.0f, 45.0f, 50.0f, &layout));
    // The eye is beyond x = 10 and z = 5 only: the faces x = 10 and z = 5 are
    // turned to it.  Their edges: 2 along x (on z = 5), 3 along y (on z = 5
    // or x = 10), 2 upright (on x = 10).
    EXPECT_EQ(7, layout.nearCount);
    EXPECT_EQ(5, layout.farCount);
    for (int i = 0; i < layout.farCount; ++i) {
        const zorvel::AxisSegment& e = layout.farEdges[i];
        EXPECT_TRUE(e.from.x == -10.0f || e.from.z == 0.0f) << i;
        EXPECT_FALSE(e.from.x == 10.0f && e.to.x == 10.0f) << i;
        EXPECT_FALSE(e.from.z == 5.0f && e.to.z == 5.0f) << i;
    }
    // From below, the bottom is turned to the eye instead of the top.
    ASSERT_TRUE(LayOut(0.0f, -45.0f, 50.0f, &layout));
    EXPECT_EQ(7, layout.nearCount);
    for (int i = 0; i < layout.nearCount; ++i)
        EXPECT_TRUE(layout.nearEdges[i].from.z == 0.0f || layout.nearEdges[i].from.x == 10.0f) << i;
}

TEST_F(AxesLayoutTest, LabelsSitOutsideTheBoxAndMirrorAcrossTheMiddle)
{
    zorvel::AxesLayout layout;
    ASSERT_TRUE(LayOut(0.0f, 45.0f, 50.0f, &layout));
    ASSERT_EQ(5, layout.ticks[1].count);  // y: -10, -5, 0, 5, 10
    ASSERT_EQ(6, layout.ticks[2].count);  // heights: 0 .. 5
    EXPECT_EQ(5 + 5 + 6, layout.tickMarkCount);
    // The y numbers along the near bottom edge (x = 10), below it: -y on the
    // right, +y on the left, each pair mirrored.
    for (int i = 0; i < 5; ++i) {
        const zorvel::LabelSpot& spot = layout.numbers[1][i];
        const zorvel::LabelSpot& mirror = layout.numbers[1][4 - i];
        ASSERT_TRUE(spot.visible);
        EXPECT_NEAR(200.0f, spot.x + mirror.x, 1e-3f) << i;
        EXPECT_NEAR(spot.y, mirror.y, 1e-3f) << i;
        EXPECT_GT(spot.y, 130.0f) << i;  // the box's near bottom edge is low in the picture
        if (i < 2) {
            EXPECT_GT(spot.x, 100.0f) << i;
        }
    }
    EXPECT_NEAR(100.0f, layout.numbers[1][2].x, 1e-3f);
    EXPECT_NEAR(0.0f, layout.titles[1].dx, 1e-6f);  // pointing straight down the picture
    EXPECT_NEAR(1.0f, layout.titles[1].dy, 1e-6f);
    // The x numbers on the eye's side in y (+10, the left), pointing left;
    // the heights up the front left edge, pointing left and down.
    for (int i = 0; i < layout.ticks[0].count; ++i) {
        EXPECT_LT(layout.numbers[0][i].x, 100.0f) << i;
        EXPECT_LT(layout.numbers[0][i].dx, 0.0f) << i;
    }
    for (int i = 1; i < layout.ticks[2].count; ++i)
        EXPECT_LT(layout.numbers[2][i].y, layout.numbers[2][i - 1].y) << "heights rise up the picture";
    EXPECT_LT(layout.numbers[2][0].x, layout.numbers[1][4].x);
}

TEST_F(AxesLayoutTest, LabelsMoveWithTheCamera)
{
    zorvel::AxesLayout before, turned, nearer;
    ASSERT_TRUE(LayOut(0.0f, 45.0f, 50.0f, &before));
    ASSERT_TRUE(LayOut(20.0f, 45.0f, 50.0f, &turned));
    ASSERT_TRUE(LayOut(0.0f, 45.0f, 30.0f, &nearer));
    // Turned: the mirror pair of y = -10 and 10 is no longer level.
    EXPECT_GT(std::fabs(turned.numbers[1][0].y - turned.numbers[1][4].y), 5.0f);
    EXPECT_GT(std::fabs(turned.numbers[1][2].x - before.numbers[1][2].x), 5.0f);
    // Nearer: the ends of the y axis spread apart.
    EXPECT_GT(nearer.numbers[1][0].x - nearer.numbers[1][4].x, before.numbers[1][0].x - before.numbers[1][4].x + 20.0f);
    // With the eye inside the box, spots behind it are not shown.
    zorvel::AxesLayout inside;
    ASSERT_TRUE(LayOut(0.0f, 10.0f, 2.0f, &inside));
    int hidden = 0;
    for (int i = 0; i < inside.ticks[1].count; ++i) hidden += !inside.numbers[1][i].visible;
    EXPECT_EQ(5, hidden);  // the y axis runs along x = 10, behind an eye looking towards -x
}

TEST_F(AxesLayoutTest, FlatAndNonFiniteSpans)
{
    zorvel::AxesLayout layout;
    spans[2] = {3.5, 3.5, 3.5, 3.5};
    ASSERT_TRUE(LayOut(0.0f, 45.0f, 50.0f, &layout));
    ASSERT_EQ(1, layout.ticks[2].count);
    EXPECT_EQ("3.5", zorvel::TickText(layout.ticks[2], 0));
    EXPECT_EQ(3.5f, spans[2].Model(3.5));
    spans[0].dataHigh = NAN;
    EXPECT_FALSE(LayOut(0.0f, 45.0f, 50.0f, &layout));
    EXPECT_EQ(0, layout.nearCount + layout.farCount + layout.tickMarkCount);
}

// The frames' projection: the origin in the middle, +y on the left at azimuth
// 0, higher points higher; nothing behind the eye.
TEST(AxesLabels, ProjectionPutsTheOriginInTheMiddle)
{
    const zorvel::ScreenProjection projection(zorvel::EyeFromAngles(0.0f, 45.0f, 50.0f), 200.0f, 100.0f);
    float x = 0, y = 0;
    ASSERT_TRUE(projection.Project(D3DXVECTOR3(0.0f, 0.0f, 0.0f), &x, &y));
    EXPECT_NEAR(100.0f, x, 1e-4f);
    EXPECT_NEAR(50.0f, y, 1e-4f);
    // (0, 10, 0) is 50 away straight across: 10 / 50 of the half-height's
    // tangent (1 / 2.4142135) left of the middle in a 200-pixel-wide view.
    ASSERT_TRUE(projection.Project(D3DXVECTOR3(0.0f, 10.0f, 0.0f), &x, &y));
    EXPECT_NEAR(100.0f - 100.0f * 0.2f * 2.4142135f, x, 1e-3f);
    EXPECT_NEAR(50.0f, y, 1e-4f);
    ASSERT_TRUE(projection.Project(D3DXVECTOR3(0.0f, 0.0f, 5.0f), &x, &y));
    EXPECT_LT(y, 50.0f);
    EXPECT_FALSE(projection.Project(zorvel::EyeFromAngles(0.0f, 45.0f, 60.0f), &x, &y));
}

// A label touches its spot with the edge facing the axis, on whole pixels.
TEST(AxesLabels, PlacedAwayFromTheAxisAlongTheSpotsDirection)
{
    struct Case {
        float dx, dy, clearance;
        float left, top;
    };
    const Case cases[] = {
        {1.0f, 0.0f, 0.0f, 100.0f, 45.0f},  {-1.0f, 0.0f, 0.0f, 80.0f, 45.0f},
        {0.0f, 1.0f, 0.0f, 90.0f, 50.0f},   {0.0f, -1.0f, 0.0f, 90.0f, 40.0f},
        {1.0f, 0.0f, 6.0f, 106.0f, 45.0f},  {0.6f, 0.8f, 0.0f, 96.0f, 53.0f},
    };
    for (const Case& c : cases) {
        const zorvel::LabelSpot spot = {100.0f, 50.0f, c.dx, c.dy, true};
        const zorvel::LabelBox box = zorvel::PlaceLabel(spot, 20.0f, 10.0f, c.clearance);
        EXPECT_EQ(c.left, box.left) << c.dx << "," << c.dy;
        EXPECT_EQ(c.top, box.top) << c.dx << "," << c.dy;
        EXPECT_EQ(c.left + 20.0f, box.right) << c.dx << "," << c.dy;
        EXPECT_EQ(c.top + 10.0f, box.bottom) << c.dx << "," << c.dy;
    }
    // Kept inside the view, by the least move; one too large keeps its top left corner in.
    const zorvel::LabelBox out = zorvel::KeepInside(zorvel::LabelBox{-7.0f, 95.0f, 13.0f, 105.0f}, 200.0f, 100.0f);
    EXPECT_EQ(0.0f, out.left);
    EXPECT_EQ(90.0f, out.top);
    EXPECT_EQ(20.0f, out.right);
    EXPECT_EQ(100.0f, out.bottom);
    const zorvel::LabelBox in = zorvel::KeepInside(zorvel::LabelBox{5.0f, 6.0f, 25.0f, 16.0f}, 200.0f, 100.0f);
    EXPECT_EQ(5.0f, in.left);
    EXPECT_EQ(6.0f, in.top);
    EXPECT_EQ(0.0f, zorvel::KeepInside(zorvel::LabelBox{-5.0f, 0.0f, 300.0f, 10.0f}, 200.0f, 100.0f).left);
    // Labels closer than two pixels touch.
    const zorvel::LabelBox a = {0.0f, 0.0f, 20.0f, 10.0f};
    EXPECT_TRUE(zorvel::Overlap(a, zorvel::LabelBox{21.0f, 0.0f, 41.0f, 10.0f}));
    EXPECT_FALSE(zorvel::Overlap(a, zorvel::LabelBox{22.0f, 0.0f, 42.0f, 10.0f}));
    EXPECT_TRUE(zorvel::Overlap(a, zorvel::LabelBox{5.0f, 11.0f, 25.0f, 21.0f}));
    EXPECT_FALSE(zorvel::Overlap(a, zorvel::LabelBox{5.0f, 12.0f, 25.0f, 22.0f}));
    EXPECT_FALSE(zorvel::Overlap(a, zorvel::LabelBox{-30.0f, 0.0f, -10.0f, 10.0f}));
}

}  // namespace
