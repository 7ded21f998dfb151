#include "tools/render_script/render_job.h"

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "control/surface.h"
#include "hosts/container/control_host.h"
#include "hosts/container/dispatch_call.h"
#include "hosts/container/units.h"
#include "tools/render_script/local_class.h"
#include "tools/render_script/png_writer.h"

namespace zorvel::host {
namespace {

constexpr wchar_t kWindowClass[] = L"ZorvelRenderWindow";
// How long the first paint may take: device creation on a software rasteriser.
constexpr DWORD kFirstDrawTimeoutMs = 10000;

HRESULT CreateRenderWindow(HINSTANCE instance, UINT width, UINT height, UniqueWindow& window) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, kWindowClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassExW(&wc)) return LastErrorResult();
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    RECT frame = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    window.reset(CreateWindowExW(0, kWindowClass, L"Zorvel render", style, 0, 0,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                 nullptr, instance, nullptr));
    if (!window) return LastErrorResult();
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    return S_OK;
}

// The control sets itself up on its first paint; until then it has no device.
HRESULT WaitForFirstDraw(HWND controlWindow, const CSurface& surface) {
    UpdateWindow(controlWindow);
    const DWORD start = GetTickCount();
    while (!surface.Renderer().DeviceReady()) {
        if (GetTickCount() - start > kFirstDrawTimeoutMs) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!surface.Renderer().DeviceReady()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return S_OK;
}

// What the script prints comes back as the call's result; the control's
// print shows it on the console as well, so the result is not needed here.
HRESULT RunScriptText(IDispatch* control, const std::wstring& text) {
    UniqueBstr script(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!script.get()) return E_OUTOFMEMORY;
    const VARIANT argument = ArgBstr(script.get());
    UniqueVariant result;
    return InvokeByDispid(control, DISPID_SURFACE_RUNSCRIPT, DISPATCH_METHOD, &argument, 1, result.put(), nullptr);
}

}  // namespace

HRESULT ReadScriptFile(const std::wstring& path, std::wstring& text) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorResult();
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) return LastErrorResult();
    if (size.QuadPart > 64 * 1024 * 1024) return E_OUTOFMEMORY;  // not a script
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return LastErrorResult();
    bytes.resize(read);
    text.clear();
    if (bytes.empty()) return S_OK;
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return LastErrorResult();
    try {
        text.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], length);
    return S_OK;
}

HRESULT RunRenderJob(HINSTANCE instance, const RenderRequest& request, RenderOutcome& outcome) {
    outcome = RenderOutcome();
    auto fail = [&outcome](const char* step, HRESULT hr) {
        outcome.failedStep = step;
        return hr;
    };
    if (request.ticks < 0 || !request.width || !request.height) return fail("arguments", E_INVALIDARG);

    std::wstring script;
    HRESULT hr = ReadScriptFile(request.scriptPath, script);
    if (FAILED(hr)) return fail("reading the script", hr);

    LocalSurfaceClass localClass;
    hr = localClass.Register();
    if (FAILED(hr)) return fail("offering the control class", hr);

    UniqueWindow window;
    hr = CreateRenderWindow(instance, request.width, request.height, window);
    if (FAILED(hr)) return fail("creating the window", hr);

    ControlHost host;
    const ScreenDpi dpi = SystemDpi();
    ControlData data;
    data.stream = MakeExtentStream(0x800, PixelsToHimetric(static_cast<int>(request.width), dpi.x),
                                   PixelsToHimetric(static_cast<int>(request.height), dpi.y));
    AmbientProperties ambient;
    ambient.displayName = L"Surface";
    const RECT position = {0, 0, static_cast<LONG>(request.width), static_cast<LONG>(request.height)};
    hr = host.Create(window.get(), position, CLSID_CSurface, data, ambient);
    if (FAILED(hr)) return fail("creating the control", hr);
    CSurface* surface = localClass.SurfaceOf(host.Control());
    if (!surface) return fail("finding the control", E_UNEXPECTED);

    hr = WaitForFirstDraw(host.Window(), *surface);
    if (FAILED(hr)) return fail("drawing the first frame", hr);

    hr = RunScriptText(host.Dispatch(), script);
    if (FAILED(hr)) return fail("running the script", hr);

    // Ticks are sent, not waited for: the picture depends on their number only.
    for (int i = 0; i < request.ticks; ++i)
        SendMessageW(host.Window(), WM_TIMER, surface->Renderer().TimerId(), 0);

    std::vector<uint32_t> pixels;
    UINT width = 0, height = 0;
    hr = surface->Renderer().ReadBackFrame(pixels, width, height);
    if (FAILED(hr)) return fail("reading the frame back", hr);
    hr = WritePng(request.outputPath.c_str(), pixels, width, height);
    if (FAILED(hr)) return fail("writing the PNG", hr);
    outcome.width = width;
    outcome.height = height;
    host.Close();
    return S_OK;
}

}  // namespace zorvel::host
