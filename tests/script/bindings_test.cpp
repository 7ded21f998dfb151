// The sixteen Lua globals: which arguments they accept, which they refuse,
// and what they return.
#include "script_test_support.h"

using script_test::LuaNumber;
using script_test::NewControl;
using script_test::Output;

namespace {

class BindingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_control = NewControl();
        ASSERT_TRUE(m_control);
    }
    ISurface* control() { return m_control.get(); }
    const CSurfaceGrid& grid() { return script_test::Impl(m_control)->Grid(); }

    zorvel::ComPtr<ISurface> m_control;
};

TEST_F(BindingsTest, AllSixteenAndTheNineOfTheSecondInterfaceAreGlobalFunctions) {
    std::string expected;
    for (int i = 0; i < 25; ++i) expected += i ? " function" : "function";
    EXPECT_EQ(expected + "\r\n",
              Output(control(),
                     "local types = {}"
                     " for _, name in ipairs{'GetXYRotate', 'SetXYRotate', 'GetZRotate', 'SetZRotate',"
                     " 'GetRadius', 'SetRadius', 'SetPointsPerXY', 'GetPointsPerXY', 'SetXRange',"
                     " 'GetXRange', 'SetYRange', 'GetYRange', 'SetData', 'Refresh',"
                     " 'RunScriptFromFile', 'RunScript', 'SetGrid', 'GetHeight', 'SetColorMap',"
                     " 'SetShowLegend', 'SetFitHeights', 'SaveImage', 'SetShowAxes', 'SetAxisTitle',"
                     " 'SetMouseNavigate'} do types[#types + 1] = type(_G[name]) end"
                     " print(table.concat(types, ' '))"));
}

// SetGrid takes a table of rows (rows[iy][ix]), optionally with ranges;
// anything but rows of numbers of one length is refused and changes nothing.
TEST_F(BindingsTest, SecondInterfaceGlobalsTakeTablesNumbersAndSwitches) {
    EXPECT_EQ("3 2 6 0.5\r\n",
              Output(control(), "SetGrid({{1, 2, 3}, {4, 5, 6}}, -1, 1, 0, 0.5)"
                                " local x, y = GetPointsPerXY() local _, yMax = GetYRange()"
                                " print(x .. ' ' .. y .. ' ' .. GetHeight(2, 1) .. ' ' .. yMax)"));
    EXPECT_EQ("3 2 0\r\n",
              Output(control(), "SetGrid({{1, 2}, {3}}) SetGrid({{1, 'a'}}) SetGrid(5) SetGrid({})"
                                " local x, y = GetPointsPerXY() print(x .. ' ' .. y .. ' ' .. GetHeight(7, 7))"));
    ISurface2* plot = script_test::Impl(m_control);
    EXPECT_EQ("", Output(control(), "SetColorMap(2) SetColorMap(9) SetShowLegend(true) SetFitHeights(1)"));
    LONG map = 0;
    VARIANT_BOOL legend = VARIANT_FALSE, fit = VARIANT_FALSE;
    plot->get_ColorMap(&map);
    plot->get_ShowLegend(&legend);
    plot->get_FitHeights(&fit);
    EXPECT_EQ(2, map);
    EXPECT_EQ(VARIANT_TRUE, legend);
    EXPECT_EQ(VARIANT_TRUE, fit);
    const std::string path = script_test::TempDirectory() + "zorvel_bindings.png";
    std::string escaped;
    for (char c : path) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_EQ("truefalse\r\n", Output(control(), "print(SaveImage('" + escaped + "', 64, 48), SaveImage('', 64, 48))"));
    EXPECT_FALSE(script_test::ReadTestFile(path).empty());
    DeleteFileA(path.c_str());
}

// The switches as SetShowLegend takes them; a title for axis 0, 1 or 2 from
// a string (the empty one removes it).  Anything else is refused, returns
// nothing and changes nothing.
TEST_F(BindingsTest, AxesAndMouseGlobalsTakeSwitchesAndTitles) {
    CSurface* plot = script_test::Impl(m_control);
    EXPECT_EQ("0000\r\n",
              Output(control(), "print(select('#', SetShowAxes(true)), select('#', SetMouseNavigate(2)),"
                                " select('#', SetAxisTitle(2, 'depth')), select('#', SetAxisTitle(0, 'x')))"));
    VARIANT_BOOL axes = VARIANT_FALSE, mouse = VARIANT_FALSE;
    plot->get_ShowAxes(&axes);
    plot->get_MouseNavigate(&mouse);
    EXPECT_EQ(VARIANT_TRUE, axes);
    EXPECT_EQ(VARIANT_TRUE, mouse);
    EXPECT_EQ(L"depth", plot->Renderer().AxisTitle(2));
    EXPECT_EQ(L"x", plot->Renderer().AxisTitle(0));
    EXPECT_EQ("", Output(control(), "SetShowAxes('no') SetShowAxes() SetMouseNavigate({}) SetAxisTitle(3, 'y')"
                                    " SetAxisTitle(-1, 'y') SetAxisTitle('1', 'y') SetAxisTitle(1, 5) SetAxisTitle(1)"));
    plot->get_ShowAxes(&axes);
    plot->get_MouseNavigate(&mouse);
    EXPECT_EQ(VARIANT_TRUE, axes);
    EXPECT_EQ(VARIANT_TRUE, mouse);
    EXPECT_EQ(L"", plot->Renderer().AxisTitle(1));
    EXPECT_EQ("", Output(control(), "SetShowAxes(false) SetMouseNavigate(0) SetAxisTitle(2, '')"));
    plot->get_ShowAxes(&axes);
    plot->get_MouseNavigate(&mouse);
    EXPECT_EQ(VARIANT_FALSE, axes);
    EXPECT_EQ(VARIANT_FALSE, mouse);
    EXPECT_EQ(L"", plot->Renderer().AxisTitle(2));
}

TEST_F(BindingsTest, StandardLibrariesAreAllOpen) {
    EXPECT_EQ("tabletabletabletabletabletabletablefunctionfunction\r\n",
              Output(control(),
                     "print(type(string), type(table), type(math), type(io), type(os), type(debug),"
                     " type(package), type(require), type(package.loadlib))"));
}

TEST_F(BindingsTest, XRangeSetterTakesTwoNumbersOnly) {
    // A numeric string is refused although Lua would convert it.
    EXPECT_EQ("0\r\n", Output(control(), "print(select('#', SetXRange('1', 2)))"));
    EXPECT_EQ("0\r\n", Output(control(), "print(select('#', SetXRange(1)))"));
    EXPECT_EQ("0\r\n", Output(control(), "print(select('#', SetXRange(1, '2')))"));
    EXPECT_EQ("0\r\n", Output(control(), "print(select('#', SetXRange(1, nil)))"));
    float minX = 0, maxX = 0;
    ASSERT_EQ(S_OK, control()->GetXRange(&minX, &maxX));
    EXPECT_EQ(-10.0f, minX);
    EXPECT_EQ(10.0f, maxX);

    EXPECT_EQ("0\r\n", Output(control(), "print(select('#', SetXRange(-2, 3, 'ignored')))"));
    ASSERT_EQ(S_OK, control()->GetXRange(&minX, &maxX));
    EXPECT_EQ(-2.0f, minX);
    EXPECT_EQ(3.0f, maxX);
}

TEST_F(BindingsTest, RangeRefusedByTheControlLooksLikeSuccess) {
    EXPECT_EQ("0\r\n-10\r\n10\r\n",
              Output(control(), "print(select('#', SetXRange(5, 1))) local lo, hi = GetXRange() print(lo) print(hi)"));
    EXPECT_EQ("0\r\n-1\r\n0.5\r\n",
              Output(control(), "print(select('#', SetYRange(-1, 0.5))) local lo, hi = GetYRange() print(lo) print(hi)"));
}

TEST_F(BindingsTest, RangeGettersReturnMinimumThenMaximumWidened) {
    const std::string expected = LuaNumber(static_cast<float>(0.1)) + "\r\n" + LuaNumber(static_cast<float>(7.3)) + "\r\n";
    EXPECT_EQ(expected, Output(control(), "SetXRange(0.1, 7.3) local lo, hi = GetXRange() print(lo) print(hi)"));
    EXPECT_EQ("2\r\n", Output(control(), "print(select('#', GetYRange()))"));
}

TEST_F(BindingsTest, PointCountsComeBackXFirst) {
    EXPECT_EQ("0\r\n0\r\n", Output(control(), "local x, y = GetPointsPerXY() print(x) print(y)"));
    EXPECT_EQ("20\r\n50\r\n", Output(control(), "SetPointsPerXY(20, 50) local x, y = GetPointsPerXY() print(x) print(y)"));
    EXPECT_EQ(20u, grid().CountX());
    EXPECT_EQ(50u, grid().CountY());
    // Refused by the control (product above 30000) and refused by type.
    EXPECT_EQ("20 50\r\n", Output(control(), "SetPointsPerXY(101, 300) SetPointsPerXY('30', 30) SetPointsPerXY(30)"
                                             " local x, y = GetPointsPerXY() print(x .. ' ' .. y)"));
}

TEST_F(BindingsTest, SetDataTestsFourArgumentsAndConvertsTheFifth) {
    ASSERT_EQ(S_OK, control()->SetPointsPerXY(3, 4));
    const size_t at12 = 1 + 2 * 3;
    EXPECT_EQ("", Output(control(), "SetData(1, 2, 0.5, 0.25, 9)"));
    ASSERT_EQ(9.0f, grid().Heights()[at12]);

    // Four numbers: z is taken as 0.
    EXPECT_EQ("", Output(control(), "SetData(1, 2, 0.5, 0.25)"));
    EXPECT_EQ(0.0f, grid().Heights()[at12]);
    EXPECT_EQ(0.5f, grid().XValues()[1]);
    EXPECT_EQ(0.25f, grid().YValues()[2]);

    // Three numbers: nothing is stored.
    const float x0 = grid().XValues()[0];
    EXPECT_EQ("", Output(control(), "SetData(0, 0, 1.5)"));
    EXPECT_EQ(x0, grid().XValues()[0]);
    EXPECT_EQ(0.0f, grid().Heights()[0]);

    // A numeric string as fifth argument is converted.
    EXPECT_EQ("", Output(control(), "SetData(1, 2, 0.5, 0.25, '3')"));
    EXPECT_EQ(3.0f, grid().Heights()[at12]);
    // One that cannot be converted gives 0.
    EXPECT_EQ("", Output(control(), "SetData(1, 2, 0.5, 0.25, {})"));
    EXPECT_EQ(0.0f, grid().Heights()[at12]);

    // A string among the tested four refuses the call.
    EXPECT_EQ("", Output(control(), "SetData('1', 2, 0.5, 0.25, 8)"));
    EXPECT_EQ(0.0f, grid().Heights()[at12]);
    // Outside the grid: refused by the control, silently.
    EXPECT_EQ("0 0\r\n", Output(control(), "print(select('#', SetData(3, 0, 1, 1, 5)) .. ' ' .. select('#', SetData(-1, 0, 1, 1, 5)))"));
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_NE(5.0f, grid().Heights()[i]) << i;
    }
}

TEST_F(BindingsTest, RotationFlagsAreIntegers) {
    EXPECT_EQ("0\r\n1\r\n", Output(control(), "print(GetXYRotate()) SetXYRotate(7) print(GetXYRotate())"));
    LONG value = 0;
    ASSERT_EQ(S_OK, control()->get_XYRotate(&value));
    EXPECT_EQ(1, value);
    EXPECT_EQ("1\r\n", Output(control(), "SetXYRotate('0') SetXYRotate(true) SetXYRotate() print(GetXYRotate())"));
    EXPECT_EQ("0\r\n1\r\n0\r\n", Output(control(), "print(GetZRotate()) SetZRotate(-1) print(GetZRotate()) SetZRotate(0) print(GetZRotate())"));
}

TEST_F(BindingsTest, RadiusIsNarrowedToSinglePrecision) {
    EXPECT_EQ(LuaNumber(50.0f) + "\r\n" + LuaNumber(0.1f) + "\r\n",
              Output(control(), "print(GetRadius()) SetRadius(0.1) print(GetRadius())"));
    float radius = 0;
    ASSERT_EQ(S_OK, control()->get_Radius(&radius));
    EXPECT_EQ(0.1f, radius);
    // Refused by type, and ignored by the control when not above 0 or infinite
    // (1e39 becomes infinite as a float).
    EXPECT_EQ(LuaNumber(0.1f) + "\r\n",
              Output(control(), "SetRadius('9') SetRadius(-3) SetRadius(0) SetRadius(1/0) SetRadius(1e39) "
                                 "print(GetRadius())"));
}

TEST_F(BindingsTest, ScriptRunnersTakeStringsOnly) {
    // A number is refused although lua_tolstring would convert it.
    EXPECT_EQ("00stringtrue\r\n",
              Output(control(), "local a = select('#', RunScript(5))"
                                " local b = select('#', RunScriptFromFile(5))"
                                " local c = RunScriptFromFile('no such file')"
                                " print(a, b, type(c), c == '')"));
}

TEST_F(BindingsTest, RefreshWithoutADeviceRaisesNothing) {
    EXPECT_EQ("0\r\nafter\r\n", Output(control(), "print(select('#', Refresh())) print('after')"));
}

TEST_F(BindingsTest, InsideACoroutineArgumentsAndResultsUseItsStack) {
    EXPECT_EQ("true-34\r\n",
              Output(control(),
                     "local co = coroutine.create(function(a, b)"
                     "  SetXRange(a, b)"
                     "  local lo, hi = GetXRange()"
                     "  return lo, hi"
                     " end)"
                     " print(coroutine.resume(co, -3, 4))"));
    // The nested run empties the capture before print runs.
    EXPECT_EQ("1\r\ntrue2true\r\n",
              Output(control(),
                     "local co = coroutine.wrap(function()"
                     "  local n = select('#', GetPointsPerXY())"
                     "  coroutine.yield(n)"
                     "  return type(RunScript('print(1)')) == 'string'"
                     " end)"
                     " print(true, co(), co())"));
}

TEST_F(BindingsTest, ExtraArgumentsAreIgnored) {
    EXPECT_EQ("1\r\n1\r\n", Output(control(), "print(select('#', GetXYRotate(1, 2, 3))) print(select('#', GetRadius('x')))"));
}

}  // namespace
