// The control's own child window: its class, registered once per process
// under a name unique to this library, and its creation and destruction.
#include "control/surface.h"

#include <cwchar>

#include "server/module.h"

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

// Holds the module's lock while it runs when the module has one.
class ModuleLock {
public:
    ModuleLock() : m_held(!g_module.InitFailed()) {
        if (m_held) EnterCriticalSection(&g_module.ClassObjectLock());
    }
    ~ModuleLock() {
        if (m_held) LeaveCriticalSection(&g_module.ClassObjectLock());
    }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;

private:
    const bool m_held;
};

bool RegisterControlWindowClass(WNDPROC proc) {
    if (g_windowClass.registered) return true;
    ModuleLock lock;
    if (g_windowClass.registered) return true;
    HINSTANCE instance = g_module.GetModuleInstance();
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

void CSurface::UnregisterControlWindowClass() {
    if (InterlockedExchange(&g_windowClass.registered, 0))
        UnregisterClassW(g_windowClass.name, g_module.GetModuleInstance());
}

HRESULT CSurface::CreateControlWindow(HWND hParent, const RECT& rcPos) {
    if (m_hWnd && IsWindow(m_hWnd)) return E_UNEXPECTED;
    if (!RegisterControlWindowClass(&CSurface::WindowProc)) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    HWND hWnd = CreateWindowExW(0, g_windowClass.name, nullptr, kControlWindowStyle, rcPos.left,
                                rcPos.top, rcPos.right - rcPos.left, rcPos.bottom - rcPos.top,
                                hParent, nullptr, g_module.GetModuleInstance(), this);
    if (!hWnd) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    return S_OK;  // m_hWnd was set while the window was being created
}

void CSurface::DestroyControlWindow() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

LRESULT CALLBACK CSurface::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CSurface* self = reinterpret_cast<CSurface*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<CSurface*>(create->lpCreateParams);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        // Known from here on, so the messages of the creation reach the table.
        if (self) self->m_hWnd = hWnd;
    }
    if (!self) return DefWindowProcW(hWnd, msg, wParam, lParam);

    // The embedding layer (server/embed_window.cpp) sees each message first.
    LRESULT embedResult = 0;
    if (self->ProcessEmbeddingMessage(hWnd, msg, wParam, lParam, embedResult)) return embedResult;

    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        self->OnDraw();  // a failed set-up is tried again on the next paint
        EndPaint(hWnd, &ps);
        return 0;
    }
    LRESULT result = 0;
    if (self->ProcessWindowMessage(hWnd, msg, wParam, lParam, result)) return result;
    if (msg == WM_NCDESTROY) {
        // The timer went with the window; the object may outlive it.
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        if (self->m_hWnd == hWnd) self->m_hWnd = nullptr;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}
