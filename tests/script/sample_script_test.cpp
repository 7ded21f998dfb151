// The sample script of the script test form, run through RunScript.
#include "script_test_support.h"

#include <cmath>

#include "hosts/script_form/sample_script.h"

namespace {

TEST(SampleScript, IsTheFormsText) {
    const std::string text(kSampleScript, kSampleScriptLength);
    EXPECT_EQ(557u, text.size());
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(31u, lines);
    EXPECT_EQ(std::string(61, '-') + "\r\n", text.substr(0, 63));
    EXPECT_EQ("\r\nDraw()\r\n\r\n[[!]]\r\n", text.substr(text.size() - 19));
    EXPECT_EQ(std::string::npos, text.find(" \r\n"));
}

TEST(SampleScript, FillsTheGridWithTheSineProductAndStartsTheRotation) {
    zorvel::ComPtr<ISurface> control = script_test::NewControl();
    ASSERT_TRUE(control);
    ASSERT_EQ(S_OK, control->SetPointsPerXY(173, 173));

    script_test::RunResult run = script_test::RunText(control.get(), std::string(kSampleScript, kSampleScriptLength));
    EXPECT_EQ(S_OK, run.hr);

    // The ranges come back from single precision; the rest is Lua's doubles.
    // Every intermediate is kept in a volatile double: Lua stores each one.
    const double minX = -10.0f, maxX = 10.0f, minY = -10.0f, maxY = 10.0f;
    volatile double spanX = maxX - minX;
    volatile double spanY = maxY - minY;
    volatile double deltaX = spanX / (173 - 1);
    volatile double deltaY = spanY / (173 - 1);
    EXPECT_EQ(script_test::LuaNumber(deltaX) + " --- " + script_test::LuaNumber(deltaY) + "\r\n", run.text);

    const CSurfaceGrid& grid = script_test::Impl(control)->Grid();
    ASSERT_EQ(173u, grid.CountX());
    ASSERT_EQ(173u, grid.CountY());
    int mismatches = 0;
    for (int i = 0; i < 173; ++i) {
        volatile double stepX = i * deltaX;
        volatile double x = minX + stepX;
        EXPECT_EQ(static_cast<float>(x), grid.XValues()[i]) << "column " << i;
        for (int j = 0; j < 173; ++j) {
            volatile double stepY = j * deltaY;
            volatile double y = minY + stepY;
            volatile double sx = std::sin(x);
            volatile double sy = std::sin(y);
            volatile double z = 10 * sx;
            z = z * sy;
            if (static_cast<float>(z) != grid.Heights()[i + j * 173]) ++mismatches;
            if (i == 0) {
                EXPECT_EQ(static_cast<float>(y), grid.YValues()[j]) << "row " << j;
            }
        }
    }
    EXPECT_EQ(0, mismatches);

    LONG rotate = 0;
    ASSERT_EQ(S_OK, control->get_XYRotate(&rotate));
    EXPECT_EQ(1, rotate);
    LONG countX = 0, countY = 0;
    ASSERT_EQ(S_OK, control->GetPointsPerXY(&countX, &countY));
    EXPECT_EQ(173, countX);
    EXPECT_EQ(173, countY);
}

TEST(SampleScript, CallsBeyondTheGridAreRefusedAndLeaveItIntact) {
    zorvel::ComPtr<ISurface> control = script_test::NewControl();
    ASSERT_TRUE(control);
    ASSERT_EQ(S_OK, control->SetPointsPerXY(173, 173));
    // The loops of the sample run one column and one row past the grid.
    EXPECT_EQ(1, control->SetData(173, 0, 0, 0, 1));
    EXPECT_EQ(1, control->SetData(0, 173, 0, 0, 1));
    // Count the calls the script makes and which of them the control accepts.
    script_test::Output(control.get(),
                        "local original = SetData accepted, refused = 0, 0"
                        " SetData = function(i, j, ...)"
                        "  if i < 173 and j < 173 then accepted = accepted + 1 else refused = refused + 1 end"
                        "  return original(i, j, ...)"
                        " end");
    script_test::RunText(control.get(), std::string(kSampleScript, kSampleScriptLength));
    const int inside = 173 * 173;
    const int calls = 174 * 174;
    EXPECT_EQ(std::to_string(inside) + " " + std::to_string(calls - inside) + "\r\n",
              script_test::Output(control.get(), "print(accepted .. ' ' .. refused)"));
}

}  // namespace
