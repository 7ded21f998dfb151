// The dialog test host run in-process on the linked control: its template
// against the design, the system menu and about box, and what each button
// and the timer do to the control.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "failing_control.h"
#include "host_test_support.h"
#include "hosts/container/dispatch_call.h"
#include "hosts/dialog/kandel_dialog.h"

using zorvel::ComPtr;
using namespace zorvel::host;

extern "C" double __cdecl _j0(double x);

namespace {

enum : int {
    kSurface = 1000,
    kInit = 1001,
    kSetData = 1002,
    kXYRotate = 1003,
    kZRotate = 1004,
    kZoom = 1005,
    kSinSin = 1006,
    kJ0J0 = 1007,
    kXJ0 = 1008,
    kFlash = 1009,
    kRand = 1010,
};

struct DesignedButton {
    int id;
    const wchar_t* caption;
    bool toggle;
    int x, y, cx, cy;  // dialog units
};

constexpr DesignedButton kButtons[] = {
    {kInit, L"Init graph control", false, 414, 7, 79, 15},
    {kSetData, L"Set Data", false, 414, 25, 79, 15},
    {kXYRotate, L"X-Y rotate", true, 414, 44, 79, 15},
    {kZRotate, L"Z rotate", true, 414, 63, 79, 14},
    {kZoom, L"Zoom", true, 414, 82, 79, 14},
    {kSinSin, L"10*sin(x)*sin(y)", false, 414, 118, 79, 14},
    {kJ0J0, L"10*j0(x)*j0(y)", false, 414, 136, 79, 14},
    {kXJ0, L"x*j0(y)", false, 414, 155, 79, 14},
    {kFlash, L"Flash", false, 414, 174, 79, 14},
    {kRand, L"Rand", false, 414, 194, 79, 14},
};

// The dialog manager converts position and size each on its own.
RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy) {
    RECT units = {x, y, cx, cy};
    MapDialogRect(dialog, &units);
    return RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
}

int DpiY() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The test functions as the dialog's design states them.
double Hill(double x, double y) { return 10.0 / (std::sqrt(x * x + y * y) + 1.0); }
const std::function<double(double, double)> kExpected[] = {
    [](double x, double y) { return 10.0 * std::sin(0.1 * x * y); },
    [](double x, double y) { return 10.0 * std::sin(x) * std::sin(y); },
    [](double x, double y) { return 10.0 * _j0(x) * _j0(y); },
    [](double x, double y) { return x * _j0(y); },
    [](double x, double y) { return Hill(x, y) * std::sin(Hill(x, y)); },
};
constexpr int kExpectedButtons[] = {kSetData, kSinSin, kJ0J0, kXJ0, kFlash};

struct DialogUnderTest {
    DialogUnderTest() {
        if (!controls.Registered()) return;
        if (FAILED(dialog::CreateMainDialog(GetModuleHandleW(nullptr), dialog::DialogOptions(), &window))) return;
        surface = controls.SurfaceOf(dialog::MainDialogControl(window));
        if (!surface || !host_test::WaitForFirstDraw(*surface)) return;
        dispatch = host_test::DispatchOf(dialog::MainDialogControl(window));
    }
    ~DialogUnderTest() {
        dispatch.reset();
        if (IsWindow(window)) DestroyWindow(window);
    }
    bool Ready() const { return surface && dispatch; }

    host_test::LocalControls controls;
    HWND window = nullptr;
    CSurface* surface = nullptr;
    ComPtr<IDispatch> dispatch;
};

// What the dialog looks like: one dialog for all.
class KandelDialogLook : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shared = new DialogUnderTest; }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(shared->Ready());
        dlg = shared->window;
    }
    static DialogUnderTest* shared;
    HWND dlg = nullptr;
};
DialogUnderTest* KandelDialogLook::shared = nullptr;

// What the dialog does: a new dialog for each test.
class KandelDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(under.Ready());
        dlg = under.window;
        surface = under.surface;
        control = under.dispatch.get();
    }

    void Click(int id) { SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
    void Tick() { SendMessageW(dlg, WM_TIMER, 1, 0); }
    std::vector<float> Heights() const {
        const CSurfaceGrid* grid = &surface->Grid();
        const size_t count = static_cast<size_t>(grid->CountX()) * grid->CountY();
        return grid->Heights() ? std::vector<float>(grid->Heights(), grid->Heights() + count) : std::vector<float>();
    }
    // Compares the grid with f at the points the fill procedure makes.
    void ExpectGridFollows(const std::function<double(double, double)>& f, int id) {
        const CSurfaceGrid& grid = surface->Grid();
        const int nx = static_cast<int>(grid.CountX()), ny = static_cast<int>(grid.CountY());
        const double dx = (grid.XMax() - grid.XMin()) / (nx - 1), dy = (grid.YMax() - grid.YMin()) / (ny - 1);
        int mismatches = 0;
        for (int i = 0; i < nx; i += 7) {
            for (int j = 0; j < ny; j += 5) {
                const double x = grid.XMin() + i * dx, y = grid.YMin() + j * dy;
                const double want = f(x, y);
                const double got = grid.Heights()[i + j * nx];
                if (std::fabs(want - got) > 1e-3 * (1.0 + std::fabs(want))) {
                    if (++mismatches < 4) ADD_FAILURE() << "button " << id << " at " << i << ", " << j << ": " << got << " for " << want;
                }
            }
        }
        EXPECT_EQ(0, mismatches) << "button " << id;
    }

    DialogUnderTest under;
    HWND dlg = nullptr;
    CSurface* surface = nullptr;
    IDispatch* control = nullptr;
};

}  // namespace

// --- The look

TEST_F(KandelDialogLook, TheMainDialogIsTheDesignedPopup) {
    EXPECT_EQ(L"KandelTest", host_test::WindowText(dlg));
    EXPECT_EQ(L"#32770", host_test::ClassName(dlg));
    const LONG style = GetWindowLongW(dlg, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU),
              style & static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU));
    const LONG exStyle = GetWindowLongW(dlg, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    RECT client;
    GetClientRect(dlg, &client);
    const RECT designed = DialogUnits(dlg, 0, 0, 500, 287);
    EXPECT_EQ(designed.right, client.right);
    EXPECT_EQ(designed.bottom, client.bottom);

    const LOGFONTW font = host_test::FontOf(dlg);
    EXPECT_STREQ(L"MS Sans Serif", font.lfFaceName);
    EXPECT_EQ(-MulDiv(8, DpiY(), 72), font.lfHeight);
}

TEST_F(KandelDialogLook, ButtonsHaveTheirIdsCaptionsKindsAndPlaces) {
    for (const DesignedButton& b : kButtons) {
        HWND button = GetDlgItem(dlg, b.id);
        ASSERT_TRUE(button) << b.id;
        EXPECT_EQ(b.caption, host_test::WindowText(button));
        EXPECT_EQ(L"Button", host_test::ClassName(button));
        const LONG style = GetWindowLongW(button, GWL_STYLE);
        EXPECT_TRUE(style & WS_VISIBLE) << b.id;
        EXPECT_TRUE(style & WS_TABSTOP) << b.id;
        if (b.toggle) {
            EXPECT_EQ(BS_AUTOCHECKBOX, style & BS_TYPEMASK) << b.id;
            EXPECT_TRUE(style & BS_PUSHLIKE) << b.id;
        } else {
            EXPECT_EQ(BS_PUSHBUTTON, style & BS_TYPEMASK) << b.id;
        }
        const RECT want = DialogUnits(dlg, b.x, b.y, b.cx, b.cy);
        const RECT got = host_test::ChildRect(button);
        EXPECT_TRUE(EqualRect(&want, &got)) << b.id << ": " << got.left << "," << got.top << " "
                                            << got.right - got.left << "x" << got.bottom - got.top;
        const LOGFONTW font = host_test::FontOf(button);
        EXPECT_STREQ(L"MS Sans Serif", font.lfFaceName) << b.id;
    }
}

TEST_F(KandelDialogLook, ItemOneThousandIsTheControlsWindow) {
    HWND item = GetDlgItem(dlg, kSurface);
    ASSERT_TRUE(item);
    EXPECT_EQ(shared->surface->Renderer().ControlWindow(), item);
    const RECT want = DialogUnits(dlg, 7, 7, 399, 273);
    const RECT got = host_test::ChildRect(item);
    EXPECT_TRUE(EqualRect(&want, &got));
    const LONG style = GetWindowLongW(item, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(style & WS_TABSTOP);
    // Before the buttons in the tab order, as in the template.
    EXPECT_EQ(GetDlgItem(dlg, kInit), GetWindow(item, GW_HWNDNEXT));

    // Loaded from the template's initialisation data, not started new.
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, dialog::MainDialogControl(dlg)->QueryInterface(IID_IPersistStreamInit, persist.put_void()));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
}

TEST_F(KandelDialogLook, TheSystemMenuOffersTheAboutBox) {
    HMENU menu = GetSystemMenu(dlg, FALSE);
    ASSERT_TRUE(menu);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(16u, GetMenuItemID(menu, count - 1));
    wchar_t text[64] = {};
    GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&About KandelTest...", text);
    MENUITEMINFOW separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoW(menu, count - 2, TRUE, &separator));
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
}

TEST_F(KandelDialogLook, TheProgramIconIsBigSmallAndDragIcon) {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageW(dlg, WM_GETICON, ICON_BIG, 0)));
    EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageW(dlg, WM_GETICON, ICON_SMALL, 0)));
    EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageW(dlg, WM_QUERYDRAGICON, 0, 0)));
}

TEST_F(KandelDialogLook, TheAboutBoxShowsNameVersionAndOk) {
    struct Seen {
        RECT client = {}, icon = {}, version = {}, second = {}, ok = {};
        RECT wantClient = {}, wantIcon = {}, wantVersion = {}, wantSecond = {}, wantOk = {};
        std::wstring okText;
        bool iconIsProgramIcon = false;
    } seen;
    host_test::MessageBoxWatch watch([&](HWND box) {
        GetClientRect(box, &seen.client);
        seen.wantClient = DialogUnits(box, 0, 0, 235, 55);
        std::vector<HWND> statics;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (host_test::ClassName(child) == L"Static") statics.push_back(child);
        if (statics.size() != 3) return;
        seen.icon = host_test::ChildRect(statics[0]);
        seen.version = host_test::ChildRect(statics[1]);
        seen.second = host_test::ChildRect(statics[2]);
        seen.wantIcon = DialogUnits(box, 11, 17, 0, 0);
        seen.wantVersion = DialogUnits(box, 40, 10, 119, 8);
        seen.wantSecond = DialogUnits(box, 40, 25, 119, 8);
        HWND ok = GetDlgItem(box, IDOK);
        seen.ok = host_test::ChildRect(ok);
        seen.wantOk = DialogUnits(box, 178, 7, 50, 14);
        seen.okText = host_test::WindowText(ok);
        seen.iconIsProgramIcon =
            reinterpret_cast<HICON>(SendMessageW(statics[0], STM_GETICON, 0, 0)) != nullptr;
    });
    SendMessageW(dlg, WM_SYSCOMMAND, 16, 0);  // returns when the modal box is closed
    ASSERT_EQ(1u, watch.Seen().size());
    EXPECT_EQ(0u, watch.Seen()[0].find(L"About KandelTest|"));
    EXPECT_NE(std::wstring::npos, watch.Seen()[0].find(L"|KandelTest Version 1.0"));
    EXPECT_EQ(seen.wantClient.right, seen.client.right);
    EXPECT_EQ(seen.wantClient.bottom, seen.client.bottom);
    EXPECT_EQ(seen.wantIcon.left, seen.icon.left);
    EXPECT_EQ(seen.wantIcon.top, seen.icon.top);
    EXPECT_TRUE(seen.iconIsProgramIcon);
    EXPECT_TRUE(EqualRect(&seen.wantVersion, &seen.version));
    EXPECT_TRUE(EqualRect(&seen.wantSecond, &seen.second));
    EXPECT_TRUE(EqualRect(&seen.wantOk, &seen.ok));
    EXPECT_EQ(L"OK", seen.okText);
    EXPECT_TRUE(IsWindow(dlg));
}

// --- What the buttons do

TEST_F(KandelDialogTest, InitSetsRangesCountsAndRadius) {
    Click(kInit);
    float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    host_test::GetRanges(control, xmin, xmax, ymin, ymax);
    EXPECT_EQ(-10.0f, xmin);
    EXPECT_EQ(10.0f, xmax);
    EXPECT_EQ(-10.0f, ymin);
    EXPECT_EQ(10.0f, ymax);
    LONG nx = 0, ny = 0;
    host_test::GetPointCounts(control, nx, ny);
    EXPECT_EQ(100, nx);
    EXPECT_EQ(100, ny);
    EXPECT_EQ(50.0f, host_test::GetRadius(control));
    // The new grid starts flat.
    for (float h : Heights()) ASSERT_EQ(0.0f, h);
}

TEST_F(KandelDialogTest, EachFillButtonGivesItsOwnSurface) {
    Click(kInit);
    std::vector<host_test::Frame> frames = {host_test::ReadFrame(*surface)};
    for (size_t k = 0; k < sizeof(kExpectedButtons) / sizeof(kExpectedButtons[0]); ++k) {
        Click(kExpectedButtons[k]);
        ExpectGridFollows(kExpected[k], kExpectedButtons[k]);
        frames.push_back(host_test::ReadFrame(*surface));
    }
    Click(kRand);
    frames.push_back(host_test::ReadFrame(*surface));
    for (size_t a = 0; a < frames.size(); ++a) {
        EXPECT_GT(frames[a].CountNonBlack(), 0u) << a;
        for (size_t b = a + 1; b < frames.size(); ++b) EXPECT_NE(frames[a], frames[b]) << a << " and " << b;
    }
    // The fills change heights only.
    LONG nx = 0, ny = 0;
    host_test::GetPointCounts(control, nx, ny);
    EXPECT_EQ(100, nx);
    EXPECT_EQ(100, ny);
    EXPECT_EQ(50.0f, host_test::GetRadius(control));
}

TEST_F(KandelDialogTest, RandGivesADifferentSurfaceEachClickWithRareSpikes) {
    Click(kInit);
    std::vector<std::vector<float>> fills;
    std::vector<host_test::Frame> frames;
    for (int click = 0; click < 2; ++click) {
        Click(kRand);
        fills.push_back(Heights());
        frames.push_back(host_test::ReadFrame(*surface));
    }
    EXPECT_NE(fills[0], fills[1]);
    EXPECT_NE(frames[0], frames[1]);

    // Every point is the hill a, or a with a spike of 255 / (30 a) on top.
    const CSurfaceGrid& grid = surface->Grid();
    for (const std::vector<float>& heights : fills) {
        int spikes = 0, others = 0;
        for (int i = 0; i < 100; ++i) {
            for (int j = 0; j < 100; ++j) {
                const double a = Hill(grid.XValues()[i], grid.YValues()[j]);
                const double h = heights[i + j * 100];
                if (std::fabs(h - a) < 1e-4 * a) continue;
                if (std::fabs(h - (a + 255.0 / (30.0 * a))) < 1e-4 * h) ++spikes;
                else ++others;
            }
        }
        EXPECT_EQ(0, others);
        // About one point in 256 of 10000: far outside these bounds by chance only.
        EXPECT_GE(spikes, 8);
        EXPECT_LE(spikes, 90);
    }
}

TEST_F(KandelDialogTest, AFillBeforeInitCoversTheGridOfTheFirstDraw) {
    Click(kSinSin);
    LONG nx = 0, ny = 0;
    host_test::GetPointCounts(control, nx, ny);
    EXPECT_EQ(173, nx);
    EXPECT_EQ(173, ny);
    ExpectGridFollows(kExpected[1], kSinSin);
}

TEST_F(KandelDialogTest, TogglesSwitchTheRotationsOnAndOffIndependently) {
    EXPECT_EQ(0, host_test::GetLongProperty(control, 9));
    Click(kXYRotate);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, kXYRotate));
    EXPECT_EQ(1, host_test::GetLongProperty(control, 9));
    EXPECT_EQ(0, host_test::GetLongProperty(control, 10));
    Click(kZRotate);
    EXPECT_EQ(1, host_test::GetLongProperty(control, 10));
    Click(kXYRotate);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dlg, kXYRotate));
    EXPECT_EQ(0, host_test::GetLongProperty(control, 9));
    EXPECT_EQ(1, host_test::GetLongProperty(control, 10));
    Click(kZRotate);
    EXPECT_EQ(0, host_test::GetLongProperty(control, 10));
}

TEST_F(KandelDialogTest, ZoomComesInByATenthATickAndJumpsBackTo100) {
    Click(kInit);
    Tick();
    EXPECT_EQ(50.0f, host_test::GetRadius(control));  // Zoom is off
    Click(kZoom);
    EXPECT_EQ(50.0f, host_test::GetRadius(control));  // the click itself does nothing

    // The first steps down from 50 ...
    float previous = 50.0f;
    for (int tick = 1; tick <= 5; ++tick) {
        Tick();
        const float radius = host_test::GetRadius(control);
        EXPECT_NEAR(previous - 0.1, radius, 1e-4) << "tick " << tick;
        previous = radius;
    }
    EXPECT_NEAR(49.5f, previous, 1e-4);

    // ... and, from close to 10 (the steps between draw a frame each), the
    // way across it.
    const VARIANT nearTen = ArgR4(10.25f);
    ASSERT_EQ(S_OK, InvokeByDispid(control, 11, DISPATCH_PROPERTYPUT, &nearTen, 1, nullptr, nullptr));
    previous = 10.25f;
    int jumps = 0, ticks = 0;
    while (jumps == 0 && ticks < 10) {
        Tick();
        ++ticks;
        const float radius = host_test::GetRadius(control);
        if (previous - 0.1 < 10.0) {
            EXPECT_EQ(100.0f, radius) << "tick " << ticks;
            ++jumps;
        } else {
            EXPECT_NEAR(previous - 0.1, radius, 1e-4) << "tick " << ticks;
        }
        previous = radius;
    }
    EXPECT_EQ(1, jumps);
    EXPECT_EQ(3, ticks);  // 10.15, 10.05, then below 10
    Tick();
    EXPECT_NEAR(99.9f, host_test::GetRadius(control), 1e-4);

    Click(kZoom);
    const float stopped = host_test::GetRadius(control);
    Tick();
    EXPECT_EQ(stopped, host_test::GetRadius(control));
}

TEST_F(KandelDialogTest, EscapeEnterAndTheCloseBoxCloseIt) {
    // Esc and Enter come through the dialog manager as IDCANCEL and IDOK.
    auto pumpDialog = [&] {
        return host_test::PumpUntil([&] { return !IsWindow(dlg); }, 5000);
    };
    HWND init = GetDlgItem(dlg, kInit);
    PostMessageW(init, WM_KEYDOWN, VK_ESCAPE, 0);
    MSG msg;
    const DWORD start = GetTickCount();
    while (IsWindow(dlg) && GetTickCount() - start < 5000) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        if (dialog::PreTranslateDialogMessage(dlg, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EXPECT_FALSE(IsWindow(dlg));

    // Another dialog for each way, on the same class of controls.
    for (int way = 0; way < 2; ++way) {
        ASSERT_EQ(S_OK, dialog::CreateMainDialog(GetModuleHandleW(nullptr), dialog::DialogOptions(), &dlg));
        if (way == 0) {
            SendMessageW(dlg, WM_COMMAND, IDOK, 0);
            EXPECT_FALSE(IsWindow(dlg));
        } else {
            PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
            EXPECT_TRUE(pumpDialog());
        }
    }
}

TEST_F(KandelDialogTest, ClosingStopsTheTimer) {
    Click(kInit);
    Click(kZoom);
    Tick();
    const float radius = host_test::GetRadius(control);
    EXPECT_LT(radius, 50.0f);
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    ASSERT_FALSE(IsWindow(dlg));
    // The control lives on through the test's reference; nothing zooms it now.
    host_test::PumpFor(100);
    EXPECT_EQ(radius, host_test::GetRadius(control));
    EXPECT_FALSE(surface->Renderer().ControlWindow());
}

// --- Failing calls

TEST(KandelDialogFailures, AFailingCallEndsTheActionAndIsReportedOnce) {
    host_test::FailingControlClass failing({5});  // SetData
    ASSERT_TRUE(failing.Registered());
    HWND dlg = nullptr;
    ASSERT_EQ(S_OK, dialog::CreateMainDialog(GetModuleHandleW(nullptr), dialog::DialogOptions(), &dlg));
    zorvel::UniqueWindow owner(dlg);
    // Refresh answers only once the control has drawn.
    HWND item = GetDlgItem(dlg, kSurface);
    ASSERT_TRUE(host_test::PumpUntil([&] { return !GetUpdateRect(item, nullptr, FALSE); }, 15000));
    {
        host_test::MessageBoxWatch boxes;
        SendMessageW(GetDlgItem(dlg, kInit), BM_CLICK, 0, 0);
        EXPECT_TRUE(boxes.Seen().empty());
        SendMessageW(GetDlgItem(dlg, kSinSin), BM_CLICK, 0, 0);
        ASSERT_EQ(1u, boxes.Seen().size());
        EXPECT_NE(std::wstring::npos, boxes.Seen()[0].find(host_test::kFailureDescription));
        EXPECT_NE(std::wstring::npos, boxes.Seen()[0].find(L"KandelTest"));
    }
    EXPECT_EQ(1, failing.Calls(5));  // the fill ended at its first SetData
    EXPECT_EQ(1, failing.Calls(8));  // only Init's Refresh was reached
}

TEST(KandelDialogFailures, AFailingZoomStopsZoomingAfterOneMessage) {
    host_test::FailingControlClass failing({11});  // Radius
    ASSERT_TRUE(failing.Registered());
    HWND dlg = nullptr;
    ASSERT_EQ(S_OK, dialog::CreateMainDialog(GetModuleHandleW(nullptr), dialog::DialogOptions(), &dlg));
    zorvel::UniqueWindow owner(dlg);
    {
        host_test::MessageBoxWatch boxes;
        SendMessageW(GetDlgItem(dlg, kZoom), BM_CLICK, 0, 0);
        SendMessageW(dlg, WM_TIMER, 1, 0);
        SendMessageW(dlg, WM_TIMER, 1, 0);
        EXPECT_EQ(1u, boxes.Seen().size());
    }
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dlg, kZoom));
    EXPECT_EQ(1, failing.Calls(11));
}

TEST(KandelDialogFailures, WithoutItsControlTheDialogIsNotShown) {
    host_test::RefusingControlClass refusing(REGDB_E_CLASSNOTREG);
    ASSERT_TRUE(refusing.Registered());
    HWND dlg = reinterpret_cast<HWND>(1);
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              dialog::CreateMainDialog(GetModuleHandleW(nullptr), dialog::DialogOptions(), &dlg));
    EXPECT_EQ(nullptr, dlg);
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", L"KandelTest"));
}
