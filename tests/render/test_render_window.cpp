// The control's own window: its class and style, its message table, and
// input that is consumed without moving the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cwctype>

#include "render_support.h"

using render_test::ControlHost;
using render_test::D3DRecorder;

namespace {

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

}  // namespace

TEST(RenderWindow, ChildWindowHasTheControlsClassAndStyle) {
    ControlHost host;
    ASSERT_TRUE(host.Created());
    const HWND window = host.Window();
    ASSERT_TRUE(IsWindow(window));

    EXPECT_EQ(0x56000000, GetWindowLongW(window, GWL_STYLE));
    EXPECT_EQ(0, GetWindowLongW(window, GWL_EXSTYLE));
    EXPECT_EQ(host.Parent(), GetParent(window));
    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_EQ(256, client.right);
    EXPECT_EQ(256, client.bottom);

    // "ATL:" and the address of the library's registration record in hex.
    const std::wstring name = ClassNameOf(window);
    ASSERT_GT(name.size(), 4u);
    EXPECT_EQ(L"ATL:", name.substr(0, 4));
    for (wchar_t c : name.substr(4)) EXPECT_TRUE(std::iswxdigit(c)) << static_cast<int>(c);

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)),
                                name.c_str(), &wc));
    EXPECT_EQ(0x000Bu, wc.style);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)), wc.hCursor);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)), wc.hbrBackground);
    EXPECT_EQ(nullptr, wc.hIcon);
    EXPECT_EQ(nullptr, wc.hIconSm);
    EXPECT_EQ(nullptr, wc.lpszMenuName);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(0, wc.cbWndExtra);

    // A second control uses the same class, and a window cannot be made twice.
    ControlHost other;
    EXPECT_EQ(name, ClassNameOf(other.Window()));
    const RECT position = {0, 0, 10, 10};
    EXPECT_EQ(E_UNEXPECTED, host.Control().Renderer().CreateControlWindow(host.Parent(), position));
}

TEST(RenderWindow, ExistingClassOfTheSameNameIsReused) {
    std::wstring name;
    {
        ControlHost host;
        name = ClassNameOf(host.Window());
    }
    zorvel::Renderer::UnregisterControlWindowClass();
    // Someone registered that name first (the library loaded once more at the
    // same address would): its class is taken as it is.
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = zorvel::Renderer::WindowProcedure();
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    ASSERT_NE(0, RegisterClassExW(&wc));
    {
        ControlHost host;
        ASSERT_TRUE(host.Created());
        EXPECT_EQ(name, ClassNameOf(host.Window()));
        EXPECT_EQ(static_cast<ULONG_PTR>(CS_DBLCLKS), GetClassLongPtrW(host.Window(), GCL_STYLE));
    }
    zorvel::Renderer::UnregisterControlWindowClass();
    {
        ControlHost host;
        EXPECT_EQ(0x000Bu, GetClassLongPtrW(host.Window(), GCL_STYLE));
    }
}

TEST(RenderWindow, DestroyingTheWindowForgetsIt) {
    ControlHost host;
    const HWND window = host.Window();
    host.Control().Renderer().DestroyControlWindow();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, host.Control().Renderer().ControlWindow());
    EXPECT_EQ(S_OK, host.Control().Renderer().Paint());
    EXPECT_EQ(nullptr, host.Control().Renderer().Device());

    // The parent going takes the window with it; the control notices.
    const HWND parent = render_test::NewHiddenParent();
    ASSERT_NE(nullptr, parent);
    const RECT position = {0, 0, 64, 64};
    ASSERT_EQ(S_OK, host.Control().Renderer().CreateControlWindow(parent, position));
    EXPECT_TRUE(IsWindow(host.Control().Renderer().ControlWindow()));
    DestroyWindow(parent);
    EXPECT_EQ(nullptr, host.Control().Renderer().ControlWindow());
}

struct TableEntry {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

TEST(RenderWindow, MessageTableConsumesTimerMouseAndKeys) {
    const TableEntry handled[] = {
        {WM_KILLFOCUS, 0, 0},     {WM_KEYDOWN, VK_LEFT, 0},       {WM_CHAR, 'a', 0},
        {WM_TIMER, 1, 0},         {WM_MOUSEMOVE, 0, MAKELPARAM(50, 50)},
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50)},        {WM_LBUTTONUP, 0, MAKELPARAM(50, 50)},
    };
    const TableEntry unhandled[] = {
        {WM_RBUTTONDOWN, 0, 0}, {WM_KEYUP, VK_LEFT, 0}, {WM_SETFOCUS, 0, 0}, {WM_SIZE, 0, 0},
        {WM_LBUTTONDBLCLK, 0, 0}, {WM_MOUSEWHEEL, 0, 0},
    };
    ControlHost host;
    host.Paint();
    const render_test::Frame before = host.Read();
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());

    for (const TableEntry& m : handled) {
        LRESULT result = 12345;
        EXPECT_TRUE(host.Control().Renderer().HandleMessage(m.msg, m.wParam, m.lParam, result))
            << std::hex << m.msg;
        EXPECT_EQ(0, result) << std::hex << m.msg;
        EXPECT_EQ(0, SendMessageW(host.Window(), m.msg, m.wParam, m.lParam)) << std::hex << m.msg;
    }
    for (const TableEntry& m : unhandled) {
        LRESULT result = 12345;
        EXPECT_FALSE(host.Control().Renderer().HandleMessage(m.msg, m.wParam, m.lParam, result))
            << std::hex << m.msg;
        EXPECT_EQ(12345, result) << std::hex << m.msg;
    }
    // Clicks, drags and keys leave the camera and the picture alone.
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(before.pixels, host.Read().pixels);
    EXPECT_FLOAT_EQ(0.0f, host.Control().Renderer().Azimuth());
    EXPECT_FLOAT_EQ(45.0f, host.Control().Renderer().Elevation());
    EXPECT_FLOAT_EQ(35.355339f, host.Control().Renderer().Eye().x);
}

TEST(RenderWindow, DragLastsWhileTheCursorStaysTenPixelsInside) {
    ControlHost host;  // client area 256 x 256: the drag area is [10, 246)
    const HWND w = host.Window();
    CSurface& control = host.Control();
    EXPECT_FALSE(control.Renderer().Dragging());

    struct Move {
        int x, y;
        bool keeps;
    };
    const Move moves[] = {
        {10, 10, true},   {245, 245, true}, {128, 128, true}, {9, 128, false},  {128, 9, false},
        {246, 128, false}, {128, 246, false}, {300, 128, false}, {0xFFFF, 128, false},
    };
    for (const Move& move : moves) {
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(128, 128));
        ASSERT_TRUE(control.Renderer().Dragging());
        EXPECT_EQ(0, SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(move.x, move.y)));
        EXPECT_EQ(move.keeps ? TRUE : FALSE, control.Renderer().Dragging()) << move.x << "," << move.y;
    }

    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(128, 128));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(128, 128));
    EXPECT_FALSE(control.Renderer().Dragging());
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(128, 128));
    SendMessageW(w, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(control.Renderer().Dragging());
}

namespace {

// A drag right and down, the wheel forwards and back, and a double click.
struct Gesture {
    UINT msg;
    WPARAM wParam;
    int x, y;
};
const Gesture kDrag[] = {
    {WM_LBUTTONDOWN, MK_LBUTTON, 100, 100}, {WM_MOUSEMOVE, MK_LBUTTON, 140, 120}, {WM_LBUTTONUP, 0, 140, 120}};
const Gesture kWheelAndBack[] = {{WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 128, 128},
                                 {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), 128, 128},
                                 {WM_LBUTTONDBLCLK, MK_LBUTTON, 128, 128}};

void Send(HWND window, const Gesture& g) {
    SendMessageW(window, g.msg, g.wParam, MAKELPARAM(g.x, g.y));
}

float RadiusOf(ControlHost& host) {
    float radius = 0.0f;
    EXPECT_EQ(S_OK, host.Surface()->get_Radius(&radius));
    return radius;
}

zorvel::ComPtr<ISurface2> PlotOf(ControlHost& host) {
    zorvel::ComPtr<ISurface2> plot;
    EXPECT_EQ(S_OK, host.Surface()->QueryInterface(IID_ISurface2, plot.put_void()));
    return plot;
}

}  // namespace

// Off (the default), the gestures that navigate are consumed or passed on
// as ever: the camera and the picture stay, nothing holds the mouse.
TEST(RenderWindow, WithoutMouseNavigationGesturesMoveNothing) {
    ControlHost host;
    host.Paint();
    const render_test::Frame before = host.Read();
    for (const Gesture& g : kDrag) Send(host.Window(), g);
    for (const Gesture& g : kWheelAndBack) Send(host.Window(), g);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(host.Control().Renderer().Dragging());
    EXPECT_EQ(0.0f, host.Control().Renderer().Azimuth());
    EXPECT_EQ(45.0f, host.Control().Renderer().Elevation());
    EXPECT_EQ(50.0f, RadiusOf(host));
    EXPECT_EQ(before.pixels, host.Read().pixels);
}

// On: a drag turns the camera half a degree a pixel (the timer's rotation
// waiting meanwhile), the wheel changes the radius by 1.1 a notch, a double
// click goes back to the view from before.  The axes' numbers follow.
TEST(RenderWindow, MouseNavigationTurnsZoomsAndGoesBack) {
    ControlHost host;
    host.Paint();
    zorvel::ComPtr<ISurface2> plot = PlotOf(host);
    ASSERT_EQ(S_OK, plot->put_MouseNavigate(VARIANT_TRUE));
    ASSERT_EQ(S_OK, plot->put_ShowAxes(VARIANT_TRUE));
    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(1));
    const zorvel::Renderer& renderer = host.Control().Renderer();
    const render_test::Frame before = host.Read();
    zorvel::AxesLayout start, turned;
    ASSERT_TRUE(renderer.LayOutAxesFor(256, 256, &start));

    Send(host.Window(), kDrag[0]);
    EXPECT_TRUE(renderer.Dragging());
    EXPECT_EQ(host.Window(), GetCapture());
    Send(host.Window(), kDrag[1]);
    EXPECT_EQ(20.0f, renderer.Azimuth());
    EXPECT_EQ(55.0f, renderer.Elevation());
    const render_test::Frame dragged = host.Read();
    EXPECT_NE(before.pixels, dragged.pixels);
    host.Tick();  // held: no turn, no frame
    EXPECT_EQ(20.0f, renderer.Azimuth());
    EXPECT_EQ(dragged.pixels, host.Read().pixels);
    Send(host.Window(), kDrag[2]);
    EXPECT_FALSE(renderer.Dragging());
    EXPECT_EQ(nullptr, GetCapture());
    host.Tick();
    EXPECT_EQ(18.0f, renderer.Azimuth());

    // The numbers went with the camera: the y axis's middle number moved,
    // and its letters are at its new place.
    ASSERT_TRUE(renderer.LayOutAxesFor(256, 256, &turned));
    const zorvel::LabelSpot& was = start.numbers[1][2];
    const zorvel::LabelSpot& is = turned.numbers[1][2];
    EXPECT_GT(std::fabs(is.x - was.x) + std::fabs(is.y - was.y), 10.0f);
    const render_test::Frame now = host.Read();
    size_t white = 0;
    for (int dy = -5; dy <= 5; ++dy)
        for (int dx = -5; dx <= 5; ++dx)
            white += now.At(static_cast<UINT>(std::lround(is.x + is.dx * 6.0f) + dx),
                            static_cast<UINT>(std::lround(is.y + is.dy * 6.0f) + dy)) == 0x00FFFFFFu;
    EXPECT_GT(white, 0u);

    Send(host.Window(), kWheelAndBack[0]);
    EXPECT_FLOAT_EQ(static_cast<float>(50.0 / 1.1), RadiusOf(host));
    Send(host.Window(), kWheelAndBack[1]);
    EXPECT_FLOAT_EQ(static_cast<float>(50.0 * 1.1), RadiusOf(host));
    Send(host.Window(), kWheelAndBack[2]);
    EXPECT_EQ(0.0f, renderer.Azimuth());
    EXPECT_EQ(45.0f, renderer.Elevation());
    EXPECT_EQ(50.0f, RadiusOf(host));

    // Far down the elevation stops short of the pole; switching the
    // navigation off ends a drag and lets the mouse go.
    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(0));
    SendMessageW(host.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageW(host.Window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 400));
    EXPECT_EQ(85.0f, renderer.Elevation());
    ASSERT_EQ(S_OK, plot->put_MouseNavigate(VARIANT_FALSE));
    EXPECT_FALSE(renderer.Dragging());
    EXPECT_EQ(nullptr, GetCapture());
    SendMessageW(host.Window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 100));
    EXPECT_EQ(85.0f, renderer.Elevation());
}
