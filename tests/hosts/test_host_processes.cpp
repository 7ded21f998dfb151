// The built host programs in processes of their own, driven through their
// windows; the control's state is read through the IDispatch each publishes
// when started with /test.
#include <gtest/gtest.h>

#include <cmath>

#include "host_test_support.h"

using host_test::HostProcess;

namespace {

constexpr int kScriptText = 101;
constexpr int kRunScript = 102;

HostProcess* StartScriptForm() {
    return new HostProcess(L"LuaZorvelTest.exe", L"LuaZorvelTest", L"LuaZorvelTestForm", L"Lua Zorvel Test");
}

}  // namespace

TEST(ScriptFormProcess, RunScriptFillsTheGridAndStartsTheRotation) {
    HostProcess form(L"LuaZorvelTest.exe", L"LuaZorvelTest", L"LuaZorvelTestForm", L"Lua Zorvel Test");
    ASSERT_TRUE(form.Started());
    IDispatch* control = form.Control();
    // The first paint sized the grid.
    ASSERT_TRUE(host_test::PumpUntil([&] {
        LONG nx = 0, ny = 0;
        host_test::GetPointCounts(control, nx, ny);
        return nx == 173 && ny == 173;
    }, 15000));
    EXPECT_EQ(0, host_test::GetLongProperty(control, 9));

    ASSERT_TRUE(form.Click(kRunScript));
    EXPECT_EQ(1, host_test::GetLongProperty(control, 9));
    EXPECT_EQ(0, host_test::GetLongProperty(control, 10));
    LONG nx = 0, ny = 0;
    host_test::GetPointCounts(control, nx, ny);
    EXPECT_EQ(173, nx);
    EXPECT_EQ(173, ny);
    EXPECT_TRUE(form.OtherDialogs().empty());

    form.ReleaseControl();
    PostMessageW(form.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, form.WaitForExit(20000));
}
