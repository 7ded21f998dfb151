#include "hosts/render_script/render_job.h"

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "common/identifiers.h"
#include "common/png_file.h"
#include "hosts/container/control_host.h"
#include "hosts/container/dispatch_call.h"
#include "hosts/container/gdi_owners.h"
#include "hosts/container/units.h"

namespace zorvel::host {
namespace {

constexpr wchar_t kWindowClass[] = L"ZorvelRenderWindow";
// The control turns its camera on every timer message; this is its own timer's.
constexpr UINT_PTR kRotationTimerId = 1;

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

// The control sets itself up on its first paint, which UpdateWindow delivers
// before it returns.
void DrawFirstFrame(HWND controlWindow) {
    UpdateWindow(controlWindow);
}

// The control's picture through its view object, into a 32-bit bitmap of the
// window's size: the frame the window shows.
HRESULT TakePicture(IUnknown* control, UINT width, UINT height, std::vector<uint32_t>& pixels) {
    ComPtr<IViewObject> view;
    RETURN_IF_FAILED(control->QueryInterface(IID_IViewObject, view.put_void()));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc) return E_OUTOFMEMORY;
    const HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    const RECTL bounds = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    const HRESULT hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), &bounds, nullptr,
                                  nullptr, 0);
    GdiFlush();
    SelectObject(dc.get(), previous);
    RETURN_IF_FAILED(hr);
    const uint32_t* first = static_cast<const uint32_t*>(bits);
    try {
        pixels.assign(first, first + static_cast<size_t>(width) * height);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFFu;
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
    DrawFirstFrame(host.Window());

    hr = RunScriptText(host.Dispatch(), script);
    if (FAILED(hr)) return fail("running the script", hr);

    // Ticks are sent, not waited for: the picture depends on their number only.
    for (int i = 0; i < request.ticks; ++i) SendMessageW(host.Window(), WM_TIMER, kRotationTimerId, 0);

    std::vector<uint32_t> pixels;
    const UINT width = request.width, height = request.height;
    hr = TakePicture(host.Control(), width, height, pixels);
    if (FAILED(hr)) return fail("taking the picture", hr);
    hr = WritePng(request.outputPath.c_str(), pixels, width, height);
    if (FAILED(hr)) return fail("writing the PNG", hr);
    outcome.width = width;
    outcome.height = height;
    host.Close();
    return S_OK;
}

}  // namespace zorvel::host
