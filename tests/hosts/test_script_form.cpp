// The script test form run in-process on the linked control: its layout,
// fonts and colours against the design, and what "Run Script" does.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "failing_control.h"
#include "host_test_support.h"
#include "hosts/script_form/sample_script.h"
#include "hosts/script_form/script_form.h"

using zorvel::ComPtr;
using namespace zorvel::host;

namespace {

// The form as designed, in twips; ids as the form numbers its items.
constexpr int kControlId = 100;
constexpr int kScriptTextId = 101;
constexpr int kRunScriptId = 102;
struct DesignedItem {
    int id;
    int left, top, width, height;
};
constexpr DesignedItem kDesign[] = {
    {kControlId, 120, 120, 7695, 6975},
    {kScriptTextId, 7920, 120, 5295, 6375},
    {kRunScriptId, 8760, 6600, 3255, 375},
};

int DpiX() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int DpiY() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::wstring SampleText() {
    return std::wstring(kSampleScript, kSampleScript + kSampleScriptLength);
}

std::vector<float> Heights(const CSurface& surface) {
    const CSurfaceGrid* grid = &surface.Grid();
    const float* h = grid->Heights();
    const size_t count = static_cast<size_t>(grid->CountX()) * grid->CountY();
    return h ? std::vector<float>(h, h + count) : std::vector<float>();
}

// A form on the linked control, drawn once.
struct FormUnderTest {
    FormUnderTest() {
        if (!controls.Registered()) return;
        if (FAILED(script_form::CreateForm(GetModuleHandleW(nullptr), script_form::FormOptions(), &form))) return;
        surface = controls.SurfaceOf(script_form::FormControl(form));
        if (!surface || !host_test::WaitForFirstDraw(*surface)) return;
        dispatch = host_test::DispatchOf(script_form::FormControl(form));
        editor = GetDlgItem(form, kScriptTextId);
        button = GetDlgItem(form, kRunScriptId);
    }
    ~FormUnderTest() {
        dispatch.reset();
        if (form) DestroyWindow(form);
    }
    bool Ready() const { return surface && dispatch && editor && button; }

    host_test::LocalControls controls;
    HWND form = nullptr;
    HWND editor = nullptr;
    HWND button = nullptr;
    CSurface* surface = nullptr;
    ComPtr<IDispatch> dispatch;
};

// What the form looks like: one form for all, since looking changes nothing.
// (A top-level window takes seconds to go without a window manager.)
class ScriptFormLook : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shared = new FormUnderTest; }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(shared->Ready());
        form = shared->form;
        editor = shared->editor;
        button = shared->button;
        surface = shared->surface;
    }

    static FormUnderTest* shared;
    HWND form = nullptr;
    HWND editor = nullptr;
    HWND button = nullptr;
    CSurface* surface = nullptr;
};
FormUnderTest* ScriptFormLook::shared = nullptr;

// What the button does: a new form for each test.
class ScriptFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(under.Ready());
        form = under.form;
        editor = under.editor;
        button = under.button;
        surface = under.surface;
        dispatch = under.dispatch.get();
    }

    void ClickRunScript() { SendMessageW(button, BM_CLICK, 0, 0); }

    FormUnderTest under;
    HWND form = nullptr;
    HWND editor = nullptr;
    HWND button = nullptr;
    CSurface* surface = nullptr;
    IDispatch* dispatch = nullptr;
};

}  // namespace

TEST_F(ScriptFormLook, LayoutFollowsTheDesignAtTheSystemDpi) {
    EXPECT_EQ(L"Lua Zorvel Test", host_test::WindowText(form));
    RECT client;
    GetClientRect(form, &client);
    EXPECT_EQ(MulDiv(13230, DpiX(), 1440), client.right);
    EXPECT_EQ(MulDiv(7290, DpiY(), 1440), client.bottom);

    for (const DesignedItem& item : kDesign) {
        HWND child = GetDlgItem(form, item.id);
        ASSERT_TRUE(child) << "item " << item.id;
        EXPECT_TRUE(IsWindowVisible(child)) << "item " << item.id;
        const RECT rc = host_test::ChildRect(child);
        EXPECT_EQ(MulDiv(item.left, DpiX(), 1440), rc.left) << "item " << item.id;
        EXPECT_EQ(MulDiv(item.top, DpiY(), 1440), rc.top) << "item " << item.id;
        EXPECT_NEAR(MulDiv(item.width, DpiX(), 1440), rc.right - rc.left, 1) << "item " << item.id;
        EXPECT_NEAR(MulDiv(item.height, DpiY(), 1440), rc.bottom - rc.top, 1) << "item " << item.id;
    }
    EXPECT_EQ(surface->Renderer().ControlWindow(), GetDlgItem(form, kControlId));
    EXPECT_EQ(L"Run Script", host_test::WindowText(button));
    EXPECT_EQ(L"Button", host_test::ClassName(button));
    EXPECT_EQ(L"Edit", host_test::ClassName(editor));
}

TEST_F(ScriptFormLook, FontsAreTheDesigned) {
    const LOGFONTW text = host_test::FontOf(editor);
    EXPECT_STREQ(L"Arial", text.lfFaceName);
    EXPECT_EQ(-MulDiv(825, DpiY(), 7200), text.lfHeight);
    EXPECT_EQ(FW_BOLD, text.lfWeight);

    const LOGFONTW run = host_test::FontOf(button);
    EXPECT_STREQ(L"MS Sans Serif", run.lfFaceName);
    EXPECT_EQ(-MulDiv(825, DpiY(), 7200), run.lfHeight);
    EXPECT_EQ(FW_NORMAL, run.lfWeight);
    EXPECT_EQ(204, run.lfCharSet);

    // The form's own font reaches the control as its ambient font.
    ComPtr<IOleObject> object;
    ASSERT_EQ(S_OK, script_form::FormControl(form)->QueryInterface(IID_IOleObject, object.put_void()));
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(S_OK, object->GetClientSite(site.put()));
    ComPtr<IDispatch> ambients;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IDispatch, ambients.put_void()));
    zorvel::UniqueVariant value;
    DISPPARAMS none = {};
    ASSERT_EQ(S_OK, ambients->Invoke(DISPID_AMBIENT_FONT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                      value.put(), nullptr, nullptr));
    ASSERT_EQ(VT_DISPATCH, value->vt);
    ComPtr<IFont> font;
    ASSERT_EQ(S_OK, value->pdispVal->QueryInterface(IID_IFont, font.put_void()));
    CY size = {};
    ASSERT_EQ(S_OK, font->get_Size(&size));
    EXPECT_EQ(97500, size.int64);  // 9.75 pt
    BOOL bold = TRUE;
    ASSERT_EQ(S_OK, font->get_Bold(&bold));
    EXPECT_FALSE(bold);
    ASSERT_EQ(S_OK, ambients->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, 0, DISPATCH_PROPERTYGET,
                                      &none, value.put(), nullptr, nullptr));
    EXPECT_STREQ(L"cZorvel", value->bstrVal);
}

TEST_F(ScriptFormLook, EditorShowsTheSampleInDarkBlueOnLightYellow) {
    EXPECT_EQ(SampleText(), host_test::WindowText(editor));
    const LONG style = GetWindowLongW(editor, GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);

    HDC dc = CreateCompatibleDC(nullptr);
    const HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageW(form, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(editor)));
    EXPECT_EQ(RGB(0, 0, 128), GetTextColor(dc));
    EXPECT_EQ(RGB(255, 255, 128), GetBkColor(dc));
    DeleteDC(dc);
    LOGBRUSH lb = {};
    ASSERT_TRUE(GetObjectW(brush, sizeof(lb), &lb));
    EXPECT_EQ(RGB(255, 255, 128), lb.lbColor);
}

TEST_F(ScriptFormLook, TheControlIsLoadedFromItsPersistedData) {
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, script_form::FormControl(form)->QueryInterface(IID_IPersistStreamInit, persist.put_void()));
    EXPECT_EQ(S_FALSE, persist->IsDirty());  // loaded, where a new control reports dirty
    EXPECT_EQ(173u, surface->Grid().CountX());  // and drawn once: the default grid
}

TEST_F(ScriptFormTest, RunScriptWithTheSampleFillsTheGridAndTurnsTheSurface) {
    const host_test::Frame flat = host_test::ReadFrame(*surface);
    host_test::MessageBoxWatch boxes;
    ClickRunScript();
    EXPECT_TRUE(boxes.Seen().empty());

    LONG nx = 0, ny = 0;
    host_test::GetPointCounts(dispatch, nx, ny);
    EXPECT_EQ(173, nx);
    EXPECT_EQ(173, ny);
    EXPECT_EQ(1, host_test::GetLongProperty(dispatch, 9));
    EXPECT_EQ(0, host_test::GetLongProperty(dispatch, 10));

    // z = 10 sin(x) sin(y) over the default ranges, spot by spot.
    const CSurfaceGrid& grid = surface->Grid();
    const double step = 20.0 / 172.0;
    for (int i = 0; i < 173; i += 19) {
        for (int j = 0; j < 173; j += 23) {
            const double x = -10.0 + i * step, y = -10.0 + j * step;
            EXPECT_NEAR(10.0 * std::sin(x) * std::sin(y), grid.Heights()[i + j * 173], 1e-3)
                << "point " << i << ", " << j;
        }
    }

    const host_test::Frame filled = host_test::ReadFrame(*surface);
    EXPECT_NE(flat, filled);
    host_test::TickControl(*surface);
    const host_test::Frame turned = host_test::ReadFrame(*surface);
    EXPECT_NE(filled, turned);
    host_test::TickControl(*surface);
    EXPECT_NE(turned, host_test::ReadFrame(*surface));
}

TEST_F(ScriptFormTest, ClickingAgainRepeatsTheSameDrawing) {
    ClickRunScript();
    const std::vector<float> first = Heights(*surface);
    ClickRunScript();
    EXPECT_EQ(first, Heights(*surface));
    EXPECT_EQ(1, host_test::GetLongProperty(dispatch, 9));
}

TEST_F(ScriptFormTest, AnEmptyTextChangesNothing) {
    SetWindowTextW(editor, L"");
    const std::vector<float> before = Heights(*surface);
    const host_test::Frame frame = host_test::ReadFrame(*surface);
    host_test::MessageBoxWatch boxes;
    ClickRunScript();
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(before, Heights(*surface));
    EXPECT_EQ(0, host_test::GetLongProperty(dispatch, 9));
    EXPECT_EQ(frame, host_test::ReadFrame(*surface));
}

TEST_F(ScriptFormTest, ASyntaxErrorShowsNoMessageAndChangesNothing) {
    SetWindowTextW(editor, L"SetXYRotate(1)\r\nfunction (\r\n");
    const std::vector<float> before = Heights(*surface);
    host_test::MessageBoxWatch boxes;
    ClickRunScript();
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(before, Heights(*surface));
    EXPECT_EQ(0, host_test::GetLongProperty(dispatch, 9));
}

TEST_F(ScriptFormTest, EachClickRunsTheTextAsItIsNow) {
    SetWindowTextW(editor, L"function Twice(n) return 2 * n end\r\nSetZRotate(1)\r\n");
    ClickRunScript();
    EXPECT_EQ(1, host_test::GetLongProperty(dispatch, 10));
    // A function defined by one run is there for the next.
    SetWindowTextW(editor, L"SetXRange(-Twice(2), Twice(3))");
    ClickRunScript();
    float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    host_test::GetRanges(dispatch, xmin, xmax, ymin, ymax);
    EXPECT_EQ(-4.0f, xmin);
    EXPECT_EQ(6.0f, xmax);
}

// --- A control whose RunScript fails

TEST(ScriptFormFailures, AFailingRunScriptIsReportedInAMessageBox) {
    host_test::FailingControlClass failing({13});
    ASSERT_TRUE(failing.Registered());
    HWND form = nullptr;
    ASSERT_EQ(S_OK, script_form::CreateForm(GetModuleHandleW(nullptr), script_form::FormOptions(), &form));
    zorvel::UniqueWindow owner(form);
    {
        host_test::MessageBoxWatch boxes;
        SendMessageW(GetDlgItem(form, kRunScriptId), BM_CLICK, 0, 0);
        ASSERT_EQ(1u, boxes.Seen().size());
        EXPECT_NE(std::wstring::npos, boxes.Seen()[0].find(host_test::kFailureDescription));
        EXPECT_NE(std::wstring::npos, boxes.Seen()[0].find(L"LuaZorvelTest"));
    }
    EXPECT_EQ(1, failing.Calls(13));
}

TEST(ScriptFormFailures, WithoutItsControlTheFormIsNotShown) {
    host_test::RefusingControlClass refusing(REGDB_E_CLASSNOTREG);
    ASSERT_TRUE(refusing.Registered());
    HWND form = reinterpret_cast<HWND>(1);
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              script_form::CreateForm(GetModuleHandleW(nullptr), script_form::FormOptions(), &form));
    EXPECT_EQ(nullptr, form);
    EXPECT_EQ(nullptr, FindWindowW(L"LuaZorvelTestForm", nullptr));
}
