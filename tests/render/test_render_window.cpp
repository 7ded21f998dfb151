// The control's own window: its class and style, its message table, and
// input that is consumed without moving the picture.
#include <gtest/gtest.h>

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
