// host.cpp: the Zorvel control in a window of this program's own, hosted as
// an OLE control without any framework.
//
// The smallest container that activates the control in place is one object
// that is the control's client site, its in-place site and the in-place
// frame (IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame), all for one
// top-level window that is both the control's parent and the frame.  The
// program creates the control, activates it over the window's client area
// with DoVerb(OLEIVERB_INPLACEACTIVATE), runs a Lua script that fills the
// grid and starts the rotation, and pumps messages: the control turns its
// camera on every tick of its 10 ms timer.
//
//   host             stays open until the window is closed
//   host /ticks N    closes by itself after N ticks of the control's timer
//
// Build on Windows with the package's include/ folder, then run it once
// Zorvel.dll of the program's bitness is registered (regsvr32 Zorvel.dll):
//
//   cl /EHsc /std:c++17 /I include host.cpp include\zorvel_i.c ole32.lib oleaut32.lib uuid.lib user32.lib
//   g++ -std=c++17 -I include host.cpp include/zorvel_i.c -static -lole32 -loleaut32 -luuid -o host.exe
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zorvel_h.h"

namespace {

class Container final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit Container(HWND window) : m_window(window) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
            *ppv = static_cast<IOleInPlaceFrame*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0) delete this;
        return refs;
    }

    // IOleClientSite: no document to save, name or show.
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, for the site and the frame alike: both are the one window.
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = m_window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite: the control fills the window's client area.
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        *frame = this;
        AddRef();
        *document = nullptr;  // the frame is the document window too
        GetClientRect(m_window, position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = m_window;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    // The window's size is fixed, and the control keeps the whole client area.
    STDMETHODIMP OnPosRectChange(const RECT*) override { return S_OK; }

    // IOleInPlaceFrame: no menus, tool space or status bar to share.
    STDMETHODIMP GetBorder(RECT* border) override {
        if (!border) return E_POINTER;
        return GetClientRect(m_window, border) ? S_OK : E_FAIL;
    }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override {
        if (!widths) return S_OK;
        return (widths->left | widths->top | widths->right | widths->bottom) == 0 ? S_OK
                                                                                  : OLE_E_INVALIDRECT;
    }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

private:
    ~Container() = default;

    LONG m_refs = 1;
    HWND m_window;
};

// Fills the grid with 4 sin(x/2) cos(y/2) over -10..10, redraws and starts
// the rotation.  RunScript returns what it printed.
constexpr wchar_t kScript[] = LR"(
SetPointsPerXY(41, 41)
SetXRange(-10, 10)
SetYRange(-10, 10)
for j = 0, 40 do
  for i = 0, 40 do
    local x, y = -10 + i / 2, -10 + j / 2
    SetData(i, j, x, y, 4 * math.sin(x / 2) * math.cos(y / 2))
  end
end
Refresh()
SetXYRotate(1)
local nx, ny = GetPointsPerXY()
print('grid: ', nx, ' x ', ny, ' points, rotating ', GetXYRotate())
)";

bool RunScript(IOleObject* control) {
    ISurface* surface = nullptr;
    if (FAILED(control->QueryInterface(IID_ISurface, reinterpret_cast<void**>(&surface)))) return false;
    BSTR script = SysAllocString(kScript);
    BSTR printed = nullptr;
    const HRESULT hr = script ? surface->RunScript(script, &printed) : E_OUTOFMEMORY;
    if (SUCCEEDED(hr)) {
        int length = static_cast<int>(SysStringLen(printed));
        if (length >= 2 && printed[length - 2] == L'\r') length -= 2;  // the last CR LF
        std::printf("the script printed: %.*ls\n", length, printed);
    } else {
        std::printf("RunScript failed: 0x%08lX\n", static_cast<unsigned long>(hr));
    }
    SysFreeString(printed);
    SysFreeString(script);
    surface->Release();
    return SUCCEEDED(hr);
}

// The control's own child window, once it is active in place.
HWND ControlWindow(IOleObject* control) {
    IOleInPlaceObject* inPlace = nullptr;
    HWND window = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        if (FAILED(inPlace->GetWindow(&window))) window = nullptr;
        inPlace->Release();
    }
    return window;
}

// Pumps messages until the window is closed or the control's timer has
// ticked `ticks` times (0: no limit); returns the ticks seen.
long PumpMessages(HWND window, HWND controlWindow, long ticks) {
    long seen = 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == controlWindow && ++seen == ticks)
            PostMessageW(window, WM_CLOSE, 0, 0);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return seen;
}

bool HostControl(HWND window, long ticks) {
    Container* container = new Container(window);
    IOleObject* control = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(&control));
    // The control wants its site before it is initialised (OLEMISC_SETCLIENTSITEFIRST).
    if (SUCCEEDED(hr)) hr = control->SetClientSite(container);
    if (SUCCEEDED(hr)) {
        IPersistStreamInit* persist = nullptr;
        hr = control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
        if (SUCCEEDED(hr)) {
            hr = persist->InitNew();
            persist->Release();
        }
    }
    RECT area = {};
    GetClientRect(window, &area);
    if (SUCCEEDED(hr)) hr = control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, container, 0, window, &area);
    const HWND controlWindow = SUCCEEDED(hr) ? ControlWindow(control) : nullptr;
    bool ok = false;
    if (controlWindow) {
        RECT placed = {};
        GetClientRect(controlWindow, &placed);
        std::printf("the control's window: %ld x %ld\n", placed.right, placed.bottom);
        // The first paint gives the control its Direct3D device, so that the
        // script's Refresh can draw.
        UpdateWindow(controlWindow);
        ok = RunScript(control);
        if (ok) std::printf("the control's timer ticked %ld times\n", PumpMessages(window, controlWindow, ticks));
    } else {
        std::printf("cannot place the control (0x%08lX): is Zorvel.dll registered?\n",
                    static_cast<unsigned long>(SUCCEEDED(hr) ? E_UNEXPECTED : hr));
    }
    if (control) {
        control->Close(OLECLOSE_NOSAVE);  // deactivates it and destroys its window
        control->SetClientSite(nullptr);
        control->Release();
    }
    container->Release();
    return ok;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Closing ends the message loop only; the control is closed before its window goes.
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    long ticks = 0;
    if (argc == 3 && std::strcmp(argv[1], "/ticks") == 0) ticks = std::atol(argv[2]);
    if ((argc != 1 && argc != 3) || (argc == 3 && ticks <= 0)) {
        std::printf("usage: host [/ticks N]\n");
        return 2;
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"ZorvelSampleHost";
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame = {0, 0, 480, 360};  // the client area
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = RegisterClassW(&windowClass)
                      ? CreateWindowW(L"ZorvelSampleHost", L"Zorvel sample host", style, CW_USEDEFAULT,
                                      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                      nullptr, nullptr, instance, nullptr)
                      : nullptr;
    bool ok = false;
    if (window) {
        ShowWindow(window, SW_SHOWNORMAL);
        ok = HostControl(window, ticks);
        DestroyWindow(window);
    }
    OleUninitialize();
    return ok ? 0 : 1;
}
