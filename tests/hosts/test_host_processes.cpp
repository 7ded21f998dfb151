// The built host programs in processes of their own, on the registered
// Zorvel.dll, driven through their windows like a user would; the control's
// state is read through the IDispatch each publishes when started with /test.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host_test_support.h"

using host_test::HostProcess;

namespace {

constexpr int kScriptText = 101;
constexpr int kRunScript = 102;

struct ScriptForm : HostProcess {
    ScriptForm() : HostProcess(L"LuaZorvelTest.exe", L"LuaZorvelTest", L"LuaZorvelTestForm", L"Lua Zorvel Test") {}
};

struct Kandel : HostProcess {
    Kandel() : HostProcess(L"KandelTest.exe", L"KandelTest", L"#32770", L"KandelTest") {}
};

// The first paint sizes the default grid; a test waits for it.
bool WaitForDefaultGrid(IDispatch* control) {
    return host_test::PumpUntil([&] {
        LONG nx = 0, ny = 0;
        host_test::GetPointCounts(control, nx, ny);
        return nx == 173 && ny == 173;
    }, 15000);
}

void SetText(HWND window, const wchar_t* text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &result);
}

// The text of another process's control (GetWindowText reads captions only).
std::wstring ControlText(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL,
                        5000, &copied);
    text.resize(copied);
    return text;
}

}  // namespace

TEST(ScriptFormProcess, ItsWindowsAreTheDesigned) {
    ScriptForm form;
    ASSERT_TRUE(form.Started());
    HWND text = GetDlgItem(form.Window(), kScriptText);
    HWND run = GetDlgItem(form.Window(), kRunScript);
    ASSERT_TRUE(text);
    ASSERT_TRUE(run);
    EXPECT_EQ(L"Run Script", host_test::WindowText(run));
    const std::wstring sample = ControlText(text);
    EXPECT_EQ(557u, sample.size());
    EXPECT_EQ(0u, sample.find(L"---------"));
    EXPECT_TRUE(GetDlgItem(form.Window(), 100));
}

TEST(ScriptFormProcess, RunScriptFillsTheGridAndStartsTheRotation) {
    ScriptForm form;
    ASSERT_TRUE(form.Started());
    IDispatch* control = form.Control();
    ASSERT_TRUE(WaitForDefaultGrid(control));
    EXPECT_EQ(0, host_test::GetLongProperty(control, 9));

    ASSERT_TRUE(form.Click(kRunScript));
    EXPECT_EQ(1, host_test::GetLongProperty(control, 9));
    EXPECT_EQ(0, host_test::GetLongProperty(control, 10));
    LONG nx = 0, ny = 0;
    host_test::GetPointCounts(control, nx, ny);
    EXPECT_EQ(173, nx);
    EXPECT_EQ(173, ny);
    EXPECT_TRUE(form.OtherDialogs().empty());

    // The close box ends the program.
    form.ReleaseControl();
    PostMessageW(form.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, form.WaitForExit(20000));
}

TEST(ScriptFormProcess, EmptyAndBrokenScriptsChangeNothingAndShowNothing) {
    ScriptForm form;
    ASSERT_TRUE(form.Started());
    IDispatch* control = form.Control();
    ASSERT_TRUE(WaitForDefaultGrid(control));
    HWND text = GetDlgItem(form.Window(), kScriptText);

    SetText(text, L"");
    ASSERT_TRUE(form.Click(kRunScript, 10000));  // a message box would hold the click
    EXPECT_EQ(0, host_test::GetLongProperty(control, 9));

    SetText(text, L"SetXYRotate(1) SetXRange(1,");
    ASSERT_TRUE(form.Click(kRunScript, 10000));
    EXPECT_EQ(0, host_test::GetLongProperty(control, 9));
    float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    host_test::GetRanges(control, xmin, xmax, ymin, ymax);
    EXPECT_EQ(-10.0f, xmin);
    EXPECT_TRUE(form.OtherDialogs().empty());
}

TEST(KandelProcess, ItsItemsAreTheDesigned) {
    Kandel dialog;
    ASSERT_TRUE(dialog.Started());
    const struct {
        int id;
        const wchar_t* caption;
    } items[] = {{1001, L"Init graph control"}, {1002, L"Set Data"}, {1003, L"X-Y rotate"},
                 {1004, L"Z rotate"}, {1005, L"Zoom"}, {1006, L"10*sin(x)*sin(y)"},
                 {1007, L"10*j0(x)*j0(y)"}, {1008, L"x*j0(y)"}, {1009, L"Flash"}, {1010, L"Rand"}};
    for (const auto& item : items) {
        HWND button = GetDlgItem(dialog.Window(), item.id);
        ASSERT_TRUE(button) << item.id;
        EXPECT_EQ(item.caption, host_test::WindowText(button));
    }
    HWND control = GetDlgItem(dialog.Window(), 1000);
    ASSERT_TRUE(control);
    EXPECT_EQ(0u, host_test::ClassName(control).find(L"ATL:"));
}

TEST(KandelProcess, ButtonsDriveTheControl) {
    Kandel dialog;
    ASSERT_TRUE(dialog.Started());
    IDispatch* control = dialog.Control();
    ASSERT_TRUE(WaitForDefaultGrid(control));

    ASSERT_TRUE(dialog.Click(1001));
    LONG nx = 0, ny = 0;
    host_test::GetPointCounts(control, nx, ny);
    EXPECT_EQ(100, nx);
    EXPECT_EQ(100, ny);
    EXPECT_EQ(50.0f, host_test::GetRadius(control));
    ASSERT_TRUE(dialog.Click(1006));
    ASSERT_TRUE(dialog.Click(1010));

    ASSERT_TRUE(dialog.Click(1003));
    EXPECT_EQ(1, host_test::GetLongProperty(control, 9));
    ASSERT_TRUE(dialog.Click(1004));
    EXPECT_EQ(1, host_test::GetLongProperty(control, 10));
    ASSERT_TRUE(dialog.Click(1003));
    EXPECT_EQ(0, host_test::GetLongProperty(control, 9));
    EXPECT_EQ(1, host_test::GetLongProperty(control, 10));

    // The real 10 ms timer: the radius comes down in steps of a tenth.
    ASSERT_TRUE(dialog.Click(1005));
    ASSERT_TRUE(host_test::PumpUntil([&] { return host_test::GetRadius(control) < 49.65f; }, 20000));
    ASSERT_TRUE(dialog.Click(1005));
    const float stopped = host_test::GetRadius(control);
    const double steps = (50.0 - stopped) / 0.1;
    EXPECT_NEAR(std::round(steps), steps, 1e-3);
    host_test::PumpFor(100);
    EXPECT_EQ(stopped, host_test::GetRadius(control));
    EXPECT_TRUE(dialog.OtherDialogs().empty());
}

TEST(KandelProcess, EscapeAndTheCloseBoxEndTheProgram) {
    {
        Kandel dialog;
        ASSERT_TRUE(dialog.Started());
        dialog.ReleaseControl();
        // Keys reach the dialog manager through the program's message loop.
        PostMessageW(GetDlgItem(dialog.Window(), 1001), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(0u, dialog.WaitForExit(20000));
    }
    {
        Kandel dialog;
        ASSERT_TRUE(dialog.Started());
        dialog.ReleaseControl();
        PostMessageW(dialog.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(0u, dialog.WaitForExit(20000));
    }
}
