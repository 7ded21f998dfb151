// A scripted container for the embedding tests: client site, in-place site
// (plain, extended or windowless), control site, ambient properties, frame,
// document window and advise sink, each a small fake that writes the calls a
// control makes into one ordered log.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/surface.h"

namespace embed_test {

using Calls = std::vector<std::string>;

// The calls made so far, in order; Take() empties the log.
class CallLog {
public:
    void Add(std::string call) { m_calls.push_back(std::move(call)); }
    Calls Take() {
        Calls calls;
        calls.swap(m_calls);
        return calls;
    }

private:
    Calls m_calls;
};

// What the site offers and how it answers.
struct SiteOptions {
    bool offerInPlaceSite = true;
    bool offerInPlaceSiteEx = true;
    bool offerWindowless = false;
    bool offerControlSite = true;
    bool offerDispatch = true;
    bool offerDocument = true;
    bool hasUserMode = false;  // ambient user mode present ...
    bool userMode = true;      // ... with this value
    bool hasLocale = false;
    LCID locale = 0;
    HRESULT canInPlaceActivate = S_OK;
    HRESULT showPropertyFrame = S_OK;
    HRESULT translateAccelerator = S_FALSE;
    HRESULT saveObject = S_OK;
};

// Where the tests put the control inside the container's window.
constexpr RECT kPosRect = {10, 20, 210, 170};
constexpr RECT kClipRect = {0, 0, 400, 300};

class FakeFrame;
class FakeDocument;

class FakeSite final : public IOleClientSite,
                       public IOleInPlaceSiteWindowless,
                       public IOleControlSite,
                       public IDispatch {
public:
    FakeSite(CallLog& log, HWND window, const SiteOptions& options);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override;
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL fShow) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow / IOleInPlaceSite / IOleInPlaceSiteEx / IOleInPlaceSiteWindowless
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                  LPRECT lprcPosRect, LPRECT lprcClipRect,
                                  LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE) override;
    STDMETHODIMP OnUIDeactivate(BOOL fUndoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT) override;
    STDMETHODIMP OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD dwFlags) override;
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL fNoRedraw) override;
    STDMETHODIMP RequestUIActivate() override;
    STDMETHODIMP CanWindowlessActivate() override;
    STDMETHODIMP GetCapture() override;
    STDMETHODIMP SetCapture(BOOL) override;
    STDMETHODIMP GetFocus() override;
    STDMETHODIMP SetFocus(BOOL) override;
    STDMETHODIMP GetDC(LPCRECT, DWORD, HDC*) override;
    STDMETHODIMP ReleaseDC(HDC) override;
    STDMETHODIMP InvalidateRect(LPCRECT, BOOL) override;
    STDMETHODIMP InvalidateRgn(HRGN, BOOL) override;
    STDMETHODIMP ScrollRect(INT, INT, LPCRECT, LPCRECT) override;
    STDMETHODIMP AdjustRect(LPRECT) override;
    STDMETHODIMP OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override;

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override;
    STDMETHODIMP LockInPlaceActive(BOOL) override;
    STDMETHODIMP GetExtendedControl(IDispatch** ppDisp) override;
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override;
    STDMETHODIMP TranslateAccelerator(MSG* pMsg, DWORD grfModifiers) override;
    STDMETHODIMP OnFocus(BOOL fGotFocus) override;
    STDMETHODIMP ShowPropertyFrame() override;

    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* pVarResult,
                        EXCEPINFO*, UINT*) override;

    LONG Refs() const { return m_refs; }
    SiteOptions options;
    FakeFrame* frame = nullptr;
    FakeDocument* document = nullptr;

private:
    ~FakeSite() = default;
    CallLog& m_log;
    HWND m_window;
    LONG m_refs = 1;
};

class FakeFrame final : public IOleInPlaceFrame {
public:
    FakeFrame(CallLog& log, HWND window) : m_log(log), m_window(window) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    STDMETHODIMP GetBorder(LPRECT) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) override;
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override;
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override;
    STDMETHODIMP RemoveMenus(HMENU) override;
    STDMETHODIMP SetStatusText(LPCOLESTR) override;
    STDMETHODIMP EnableModeless(BOOL) override;
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override;

    LONG Refs() const { return m_refs; }
    // The last object made active, not held.
    IOleInPlaceActiveObject* active = nullptr;

private:
    ~FakeFrame() = default;
    CallLog& m_log;
    HWND m_window;
    LONG m_refs = 1;
};

class FakeDocument final : public IOleInPlaceUIWindow {
public:
    FakeDocument(CallLog& log, HWND window) : m_log(log), m_window(window) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    STDMETHODIMP GetBorder(LPRECT) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) override;

    LONG Refs() const { return m_refs; }
    IOleInPlaceActiveObject* active = nullptr;

private:
    ~FakeDocument() = default;
    CallLog& m_log;
    HWND m_window;
    LONG m_refs = 1;
};

class FakeAdviseSink final : public IAdviseSink {
public:
    explicit FakeAdviseSink(CallLog& log) : m_log(log) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override;
    STDMETHODIMP_(void) OnViewChange(DWORD dwAspect, LONG) override;
    STDMETHODIMP_(void) OnRename(IMoniker*) override;
    STDMETHODIMP_(void) OnSave() override;
    STDMETHODIMP_(void) OnClose() override;

    LONG Refs() const { return m_refs; }

private:
    ~FakeAdviseSink() = default;
    CallLog& m_log;
    LONG m_refs = 1;
};

// One visible top-level window for every test: without a window manager,
// destroying a shown top-level window takes a long time.
HWND ContainerWindow();

// Runs the thread's messages for about the given time, or until done says so.
void PumpMessages(DWORD milliseconds, const std::function<bool()>& done = nullptr);

// A container with its fakes, all sharing one log.  The fakes outlive the
// test's own references when the control still holds them; the test checks.
class TestContainer {
public:
    explicit TestContainer(const SiteOptions& options = SiteOptions());
    ~TestContainer();
    TestContainer(const TestContainer&) = delete;
    TestContainer& operator=(const TestContainer&) = delete;

    CallLog log;
    FakeSite* site;
    FakeFrame* frame;
    FakeDocument* document;
    FakeAdviseSink* sink;
    HWND window;
};

// A control of the library linked into the test, with its identity and the
// object itself for what no interface shows (window, frame read-back).
struct Control {
    Control();
    zorvel::ComPtr<IUnknown> unknown;
    CSurface* surface = nullptr;

    template <typename I>
    zorvel::ComPtr<I> As() const {
        zorvel::ComPtr<I> p;
        if (unknown) unknown->QueryInterface(__uuidof(I), p.put_void());
        return p;
    }
};

// A control set into a test container: site given, log emptied.  Closing and
// dropping the site on the way out, as containers do.
struct Embedded {
    explicit Embedded(const SiteOptions& options = SiteOptions());
    ~Embedded();
    Embedded(const Embedded&) = delete;
    Embedded& operator=(const Embedded&) = delete;

    HRESULT DoVerb(LONG verb) { return DoVerbFrom(verb, container.site); }
    HRESULT DoVerbFrom(LONG verb, IOleClientSite* activeSite);
    HWND Window() const { return control.surface ? control.surface->Renderer().ControlWindow() : nullptr; }
    Calls Take() { return container.log.Take(); }

    TestContainer container;
    Control control;
    zorvel::ComPtr<IOleObject> object;
};

// The last drawn frame of a control, 0x00RRGGBB row after row.
struct Frame {
    std::vector<uint32_t> pixels;
    UINT width = 0;
    UINT height = 0;
    uint32_t Centre() const {
        return pixels.empty() ? 0 : pixels[static_cast<size_t>(height / 2) * width + width / 2];
    }
};
HRESULT ReadFrame(CSurface& surface, Frame& frame);

// The window the control's device presents into.
HWND DeviceWindow(CSurface& surface);

// A 32-bit top-down DIB section in a memory DC, filled with kFill, for the
// pictures a control draws into device contexts.
class Canvas {
public:
    static constexpr uint32_t kFill = 0x00FF00FF;
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return m_dc; }
    RECTL Bounds() const { return RECTL{0, 0, m_width, m_height}; }
    uint32_t At(int x, int y) const { return m_bits[static_cast<size_t>(y) * m_width + x] & 0x00FFFFFFu; }
    size_t Count(uint32_t colour) const;
    // Black corners, the lit bluish surface in the middle, no fill left.
    void ExpectSurfacePicture() const;

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
};

std::string HrText(HRESULT hr);

}  // namespace embed_test
