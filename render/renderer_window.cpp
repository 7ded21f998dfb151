// The control's own child window: its class, registered once per process
// under a name unique to this library, and its creation and destruction.
#include "render/renderer.h"

#include <cwchar>

#include "common/module.h"
#include "common/slim_lock.h"

namespace zorvel {
namespace {

constexpr DWORD kControlWindowStyle = 0x56000000;  // child, visible, clip siblings and children
constexpr UINT kControlClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;

// The registration record; its address names the class, so two copies of the
// library loaded side by side never share a class (and a window procedure).
struct ControlWindowClass {
    WNDCLASSEXW wc;
    wchar_t name[32];
    volatile LONG registered;
};
ControlWindowClass g_windowClass;

SRWLOCK g_windowClassLock = SRWLOCK_INIT;

bool RegisterControlWindowClass(WNDPROC proc) {
    if (g_windowClass.registered) return true;
    SlimLockGuard lock(&g_windowClassLock);
    if (g_windowClass.registered) return true;
    HINSTANCE instance = ModuleInstance();
    swprintf(g_windowClass.name, sizeof(g_windowClass.name) / sizeof(wchar_t), L"ATL:%p",
             static_cast<void*>(&g_windowClass));

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = kControlClassStyle;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = g_windowClass.name;

    if (!RegisterClassExW(&wc)) {
        const DWORD error = GetLastError();
        // Registered already (by another thread, or by this library loaded
        // again at the same address): that class is ours, use it.
        WNDCLASSEXW existing = {};
        existing.cbSize = sizeof(existing);
        if (error != ERROR_CLASS_ALREADY_EXISTS ||
            !GetClassInfoExW(instance, g_windowClass.name, &existing)) {
            SetLastError(error);
            return false;
        }
    }
    g_windowClass.wc = wc;
    InterlockedExchange(&g_windowClass.registered, 1);
    return true;
}

}  // namespace

void Renderer::UnregisterControlWindowClass() {
    if (InterlockedExchange(&g_windowClass.registered, 0))
        UnregisterClassW(g_windowClass.name, ModuleInstance());
}

HRESULT Renderer::CreateControlWindow(HWND hParent, const RECT& rcPos) {
    if (m_hWnd && IsWindow(m_hWnd)) return E_UNEXPECTED;
    if (!RegisterControlWindowClass(&Renderer::WindowProc)) return LastErrorResult();
    HWND hWnd = CreateWindowExW(0, g_windowClass.name, nullptr, kControlWindowStyle, rcPos.left,
                                rcPos.top, rcPos.right - rcPos.left, rcPos.bottom - rcPos.top,
                                hParent, nullptr, ModuleInstance(), this);
    if (!hWnd) return LastErrorResult();
    return S_OK;  // m_hWnd was set while the window was being created
}

void Renderer::DestroyControlWindow() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

LRESULT CALLBACK Renderer::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Renderer* self = reinterpret_cast<Renderer*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<Renderer*>(create->lpCreateParams);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        // Known from here on, so the messages of the creation reach the table.
        if (self) self->m_hWnd = hWnd;
    }
    if (!self) return DefWindowProcW(hWnd, msg, wParam, lParam);

    // The embedding layer sees each message first.
    LRESULT filtered = 0;
    if (self->m_filter && self->m_filter->FilterMessage(hWnd, msg, wParam, lParam, filtered))
        return filtered;

    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        self->Paint();  // a failed set-up is tried again on the next paint
        EndPaint(hWnd, &ps);
        return 0;
    }
    LRESULT result = 0;
    if (self->HandleMessage(msg, wParam, lParam, result)) return result;
    if (msg == WM_NCDESTROY) {
        // The timer went with the window; the object may outlive it.
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        if (self->m_hWnd == hWnd) self->m_hWnd = nullptr;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

}  // namespace zorvel
