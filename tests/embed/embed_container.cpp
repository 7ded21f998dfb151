#include "embed_container.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace embed_test {

namespace {

const wchar_t kContainerClass[] = L"ZorvelEmbedTestContainer";

std::string Flag(BOOL value) {
    return value ? "1" : "0";
}

std::string ActiveText(IOleInPlaceActiveObject* object) {
    return object ? "object" : "null";
}

template <typename T>
HRESULT Hand(T* object, void** ppv) {
    *ppv = object;
    object->AddRef();
    return S_OK;
}

}  // namespace

std::string HrText(HRESULT hr) {
    char text[16];
    snprintf(text, sizeof(text), "0x%08lx", static_cast<unsigned long>(hr));
    return text;
}

// ---------------------------------------------------------------- FakeSite

FakeSite::FakeSite(CallLog& log, HWND window, const SiteOptions& siteOptions)
    : options(siteOptions), m_log(log), m_window(window) {}

STDMETHODIMP FakeSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
        return Hand(static_cast<IOleClientSite*>(this), ppv);
    if (IsEqualIID(riid, IID_IOleInPlaceSite) && options.offerInPlaceSite)
        return Hand(static_cast<IOleInPlaceSiteWindowless*>(this), ppv);
    if (IsEqualIID(riid, IID_IOleInPlaceSiteEx) && options.offerInPlaceSiteEx)
        return Hand(static_cast<IOleInPlaceSiteWindowless*>(this), ppv);
    if (IsEqualIID(riid, IID_IOleInPlaceSiteWindowless) && options.offerWindowless)
        return Hand(static_cast<IOleInPlaceSiteWindowless*>(this), ppv);
    if (IsEqualIID(riid, IID_IOleControlSite) && options.offerControlSite)
        return Hand(static_cast<IOleControlSite*>(this), ppv);
    if (IsEqualIID(riid, IID_IDispatch) && options.offerDispatch)
        return Hand(static_cast<IDispatch*>(this), ppv);
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) FakeSite::AddRef() {
    return static_cast<ULONG>(++m_refs);
}

STDMETHODIMP_(ULONG) FakeSite::Release() {
    const LONG refs = --m_refs;
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP FakeSite::SaveObject() {
    m_log.Add("ClientSite::SaveObject");
    return options.saveObject;
}

STDMETHODIMP FakeSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
    m_log.Add("ClientSite::GetMoniker");
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::GetContainer(IOleContainer** ppContainer) {
    m_log.Add("ClientSite::GetContainer");
    if (ppContainer) *ppContainer = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP FakeSite::ShowObject() {
    m_log.Add("ClientSite::ShowObject");
    return S_OK;
}

STDMETHODIMP FakeSite::OnShowWindow(BOOL fShow) {
    m_log.Add("ClientSite::OnShowWindow(" + Flag(fShow) + ")");
    return S_OK;
}

STDMETHODIMP FakeSite::RequestNewObjectLayout() {
    m_log.Add("ClientSite::RequestNewObjectLayout");
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::GetWindow(HWND* phwnd) {
    m_log.Add("InPlaceSite::GetWindow");
    *phwnd = m_window;
    return S_OK;
}

STDMETHODIMP FakeSite::ContextSensitiveHelp(BOOL) {
    m_log.Add("InPlaceSite::ContextSensitiveHelp");
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::CanInPlaceActivate() {
    m_log.Add("InPlaceSite::CanInPlaceActivate");
    return options.canInPlaceActivate;
}

STDMETHODIMP FakeSite::OnInPlaceActivate() {
    m_log.Add("InPlaceSite::OnInPlaceActivate");
    return S_OK;
}

STDMETHODIMP FakeSite::OnUIActivate() {
    m_log.Add("InPlaceSite::OnUIActivate");
    return S_OK;
}

STDMETHODIMP FakeSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                        LPRECT lprcPosRect, LPRECT lprcClipRect,
                                        LPOLEINPLACEFRAMEINFO lpFrameInfo) {
    m_log.Add("InPlaceSite::GetWindowContext");
    *ppFrame = frame;
    frame->AddRef();
    *ppDoc = nullptr;
    if (options.offerDocument) {
        *ppDoc = document;
        document->AddRef();
    }
    *lprcPosRect = kPosRect;
    *lprcClipRect = kClipRect;
    EXPECT_EQ(sizeof(OLEINPLACEFRAMEINFO), lpFrameInfo->cb);
    lpFrameInfo->fMDIApp = FALSE;
    lpFrameInfo->hwndFrame = m_window;
    lpFrameInfo->haccel = nullptr;
    lpFrameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP FakeSite::Scroll(SIZE) {
    m_log.Add("InPlaceSite::Scroll");
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::OnUIDeactivate(BOOL fUndoable) {
    m_log.Add("InPlaceSite::OnUIDeactivate(" + Flag(fUndoable) + ")");
    return S_OK;
}

STDMETHODIMP FakeSite::OnInPlaceDeactivate() {
    m_log.Add("InPlaceSite::OnInPlaceDeactivate");
    return S_OK;
}

STDMETHODIMP FakeSite::DiscardUndoState() {
    m_log.Add("InPlaceSite::DiscardUndoState");
    return S_OK;
}

STDMETHODIMP FakeSite::DeactivateAndUndo() {
    m_log.Add("InPlaceSite::DeactivateAndUndo");
    return S_OK;
}

STDMETHODIMP FakeSite::OnPosRectChange(LPCRECT) {
    m_log.Add("InPlaceSite::OnPosRectChange");
    return S_OK;
}

STDMETHODIMP FakeSite::OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD dwFlags) {
    m_log.Add("InPlaceSite::OnInPlaceActivateEx(" + std::to_string(dwFlags) + ")");
    if (pfNoRedraw) *pfNoRedraw = FALSE;
    return S_OK;
}

STDMETHODIMP FakeSite::OnInPlaceDeactivateEx(BOOL fNoRedraw) {
    m_log.Add("InPlaceSite::OnInPlaceDeactivateEx(" + Flag(fNoRedraw) + ")");
    return S_OK;
}

STDMETHODIMP FakeSite::RequestUIActivate() {
    m_log.Add("InPlaceSite::RequestUIActivate");
    return S_OK;
}

STDMETHODIMP FakeSite::CanWindowlessActivate() {
    m_log.Add("InPlaceSite::CanWindowlessActivate");
    return S_OK;
}

STDMETHODIMP FakeSite::GetCapture() {
    m_log.Add("InPlaceSite::GetCapture");
    return S_FALSE;
}

STDMETHODIMP FakeSite::SetCapture(BOOL) {
    m_log.Add("InPlaceSite::SetCapture");
    return S_OK;
}

STDMETHODIMP FakeSite::GetFocus() {
    m_log.Add("InPlaceSite::GetFocus");
    return S_FALSE;
}

STDMETHODIMP FakeSite::SetFocus(BOOL) {
    m_log.Add("InPlaceSite::SetFocus");
    return S_OK;
}

STDMETHODIMP FakeSite::GetDC(LPCRECT, DWORD, HDC* phDC) {
    m_log.Add("InPlaceSite::GetDC");
    if (phDC) *phDC = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::ReleaseDC(HDC) {
    m_log.Add("InPlaceSite::ReleaseDC");
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::InvalidateRect(LPCRECT, BOOL) {
    m_log.Add("InPlaceSite::InvalidateRect");
    return S_OK;
}

STDMETHODIMP FakeSite::InvalidateRgn(HRGN, BOOL) {
    m_log.Add("InPlaceSite::InvalidateRgn");
    return S_OK;
}

STDMETHODIMP FakeSite::ScrollRect(INT, INT, LPCRECT, LPCRECT) {
    m_log.Add("InPlaceSite::ScrollRect");
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::AdjustRect(LPRECT) {
    m_log.Add("InPlaceSite::AdjustRect");
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    m_log.Add("InPlaceSite::OnDefWindowMessage");
    return S_FALSE;
}

STDMETHODIMP FakeSite::OnControlInfoChanged() {
    m_log.Add("ControlSite::OnControlInfoChanged");
    return S_OK;
}

STDMETHODIMP FakeSite::LockInPlaceActive(BOOL) {
    m_log.Add("ControlSite::LockInPlaceActive");
    return S_OK;
}

STDMETHODIMP FakeSite::GetExtendedControl(IDispatch** ppDisp) {
    m_log.Add("ControlSite::GetExtendedControl");
    if (ppDisp) *ppDisp = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::TransformCoords(POINTL*, POINTF*, DWORD) {
    m_log.Add("ControlSite::TransformCoords");
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::TranslateAccelerator(MSG* pMsg, DWORD grfModifiers) {
    m_log.Add("ControlSite::TranslateAccelerator(" + std::to_string(pMsg ? pMsg->message : 0) + "," +
              std::to_string(grfModifiers) + ")");
    return options.translateAccelerator;
}

STDMETHODIMP FakeSite::OnFocus(BOOL fGotFocus) {
    m_log.Add("ControlSite::OnFocus(" + Flag(fGotFocus) + ")");
    return S_OK;
}

STDMETHODIMP FakeSite::ShowPropertyFrame() {
    m_log.Add("ControlSite::ShowPropertyFrame");
    return options.showPropertyFrame;
}

STDMETHODIMP FakeSite::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo) *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP FakeSite::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*,
                              VARIANT* pVarResult, EXCEPINFO*, UINT*) {
    m_log.Add("Ambient::Invoke(" + std::to_string(dispIdMember) + ")");
    if (!pVarResult) return E_INVALIDARG;
    if (dispIdMember == DISPID_AMBIENT_USERMODE && options.hasUserMode) {
        V_VT(pVarResult) = VT_BOOL;
        V_BOOL(pVarResult) = options.userMode ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    if (dispIdMember == DISPID_AMBIENT_LOCALEID && options.hasLocale) {
        V_VT(pVarResult) = VT_I4;
        V_I4(pVarResult) = static_cast<LONG>(options.locale);
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

// ---------------------------------------------------------------- FakeFrame

STDMETHODIMP FakeFrame::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
        IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame))
        return Hand(this, ppv);
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) FakeFrame::AddRef() {
    return static_cast<ULONG>(++m_refs);
}

STDMETHODIMP_(ULONG) FakeFrame::Release() {
    const LONG refs = --m_refs;
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP FakeFrame::GetWindow(HWND* phwnd) {
    m_log.Add("Frame::GetWindow");
    *phwnd = m_window;
    return S_OK;
}

STDMETHODIMP FakeFrame::ContextSensitiveHelp(BOOL) {
    m_log.Add("Frame::ContextSensitiveHelp");
    return E_NOTIMPL;
}

STDMETHODIMP FakeFrame::GetBorder(LPRECT) {
    m_log.Add("Frame::GetBorder");
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP FakeFrame::RequestBorderSpace(LPCBORDERWIDTHS) {
    m_log.Add("Frame::RequestBorderSpace");
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP FakeFrame::SetBorderSpace(LPCBORDERWIDTHS pborderwidths) {
    m_log.Add(std::string("Frame::SetBorderSpace(") + (pborderwidths ? "widths" : "null") + ")");
    return S_OK;
}

STDMETHODIMP FakeFrame::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) {
    m_log.Add("Frame::SetActiveObject(" + ActiveText(pActiveObject) + ")");
    active = pActiveObject;
    return S_OK;
}

STDMETHODIMP FakeFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    m_log.Add("Frame::InsertMenus");
    return E_NOTIMPL;
}

STDMETHODIMP FakeFrame::SetMenu(HMENU, HOLEMENU, HWND) {
    m_log.Add("Frame::SetMenu");
    return E_NOTIMPL;
}

STDMETHODIMP FakeFrame::RemoveMenus(HMENU) {
    m_log.Add("Frame::RemoveMenus");
    return E_NOTIMPL;
}

STDMETHODIMP FakeFrame::SetStatusText(LPCOLESTR) {
    m_log.Add("Frame::SetStatusText");
    return S_OK;
}

STDMETHODIMP FakeFrame::EnableModeless(BOOL) {
    m_log.Add("Frame::EnableModeless");
    return S_OK;
}

STDMETHODIMP FakeFrame::TranslateAccelerator(LPMSG, WORD) {
    m_log.Add("Frame::TranslateAccelerator");
    return S_FALSE;
}

// ------------------------------------------------------------- FakeDocument

STDMETHODIMP FakeDocument::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
        IsEqualIID(riid, IID_IOleInPlaceUIWindow))
        return Hand(this, ppv);
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) FakeDocument::AddRef() {
    return static_cast<ULONG>(++m_refs);
}

STDMETHODIMP_(ULONG) FakeDocument::Release() {
    const LONG refs = --m_refs;
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP FakeDocument::GetWindow(HWND* phwnd) {
    m_log.Add("Document::GetWindow");
    *phwnd = m_window;
    return S_OK;
}

STDMETHODIMP FakeDocument::ContextSensitiveHelp(BOOL) {
    m_log.Add("Document::ContextSensitiveHelp");
    return E_NOTIMPL;
}

STDMETHODIMP FakeDocument::GetBorder(LPRECT) {
    m_log.Add("Document::GetBorder");
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP FakeDocument::RequestBorderSpace(LPCBORDERWIDTHS) {
    m_log.Add("Document::RequestBorderSpace");
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP FakeDocument::SetBorderSpace(LPCBORDERWIDTHS pborderwidths) {
    m_log.Add(std::string("Document::SetBorderSpace(") + (pborderwidths ? "widths" : "null") + ")");
    return S_OK;
}

STDMETHODIMP FakeDocument::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) {
    m_log.Add("Document::SetActiveObject(" + ActiveText(pActiveObject) + ")");
    active = pActiveObject;
    return S_OK;
}

// ----------------------------------------------------------- FakeAdviseSink

STDMETHODIMP FakeAdviseSink::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IAdviseSink)) return Hand(this, ppv);
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) FakeAdviseSink::AddRef() {
    return static_cast<ULONG>(++m_refs);
}

STDMETHODIMP_(ULONG) FakeAdviseSink::Release() {
    const LONG refs = --m_refs;
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP_(void) FakeAdviseSink::OnDataChange(FORMATETC*, STGMEDIUM*) {
    m_log.Add("AdviseSink::OnDataChange");
}

STDMETHODIMP_(void) FakeAdviseSink::OnViewChange(DWORD dwAspect, LONG) {
    m_log.Add("AdviseSink::OnViewChange(" + std::to_string(dwAspect) + ")");
}

STDMETHODIMP_(void) FakeAdviseSink::OnRename(IMoniker*) {
    m_log.Add("AdviseSink::OnRename");
}

STDMETHODIMP_(void) FakeAdviseSink::OnSave() {
    m_log.Add("AdviseSink::OnSave");
}

STDMETHODIMP_(void) FakeAdviseSink::OnClose() {
    m_log.Add("AdviseSink::OnClose");
}

// ---------------------------------------------------------------- helpers

HWND ContainerWindow() {
    static HWND window = nullptr;
    if (window && IsWindow(window)) return window;
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszClassName = kContainerClass;
        registered = RegisterClassExW(&wc) != 0;
    }
    RECT outer = kClipRect;
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    window = CreateWindowExW(0, kContainerClass, L"embed test", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                             0, 0, outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    return window;
}

void PumpMessages(DWORD milliseconds, const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    auto over = [&] { return (done && done()) || GetTickCount() - start >= milliseconds; };
    for (;;) {
        MSG msg;
        // A rotating control whose frame takes longer than its timer's period
        // always has the next tick waiting: look at the clock after each one.
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (over()) return;
        }
        if (over()) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

TestContainer::TestContainer(const SiteOptions& options) : window(ContainerWindow()) {
    site = new FakeSite(log, window, options);
    frame = new FakeFrame(log, window);
    document = new FakeDocument(log, window);
    sink = new FakeAdviseSink(log);
    site->frame = frame;
    site->document = document;
}

TestContainer::~TestContainer() {
    sink->Release();
    document->Release();
    frame->Release();
    site->Release();
}

Control::Control() {
    const HRESULT hr = CSurface::CreateInstance(nullptr, IID_IUnknown, unknown.put_void());
    EXPECT_EQ(S_OK, hr);
    zorvel::ComPtr<ISurface> surfaceInterface = As<ISurface>();
    // The object behind ISurface is the library's CSurface, ISurface first.
    if (surfaceInterface) surface = static_cast<CSurface*>(surfaceInterface.get());
}

HRESULT ReadFrame(CSurface& surface, Frame& frame) {
    return surface.Renderer().ReadBackFrame(frame.pixels, frame.width, frame.height);
}

Canvas::Canvas(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<uint32_t*>(bits);
    m_dc = CreateCompatibleDC(nullptr);
    m_old = SelectObject(m_dc, m_bitmap);
    for (size_t i = 0; m_bits && i < static_cast<size_t>(width) * height; ++i) m_bits[i] = kFill;
}

Canvas::~Canvas() {
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
}

size_t Canvas::Count(uint32_t colour) const {
    GdiFlush();
    size_t count = 0;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) count += At(x, y) == colour;
    return count;
}

void Canvas::ExpectSurfacePicture() const {
    ASSERT_NE(nullptr, m_bits);
    EXPECT_EQ(0u, Count(kFill));
    for (POINT corner : {POINT{0, 0}, POINT{m_width - 1, 0}, POINT{0, m_height - 1}, POINT{m_width - 1, m_height - 1}})
        EXPECT_EQ(0u, At(corner.x, corner.y)) << corner.x << "," << corner.y;
    const uint32_t middle = At(m_width / 2, m_height / 2);
    EXPECT_GT(middle & 0xFF, (middle >> 16) & 0xFF) << std::hex << middle;  // more blue than red
    EXPECT_GT(middle & 0xFF, 0x40u) << std::hex << middle;
}

HWND DeviceWindow(CSurface& surface) {
    IDirect3DDevice8* device = surface.Renderer().Device();
    if (!device) return nullptr;
    D3DDEVICE_CREATION_PARAMETERS parameters = {};
    if (FAILED(device->GetCreationParameters(&parameters))) return nullptr;
    return parameters.hFocusWindow;
}

}  // namespace embed_test

namespace embed_test {

Embedded::Embedded(const SiteOptions& options) : container(options) {
    object = control.As<IOleObject>();
    EXPECT_TRUE(object);
    if (object) {
        EXPECT_EQ(S_OK, object->SetClientSite(container.site));
    }
    container.log.Take();
}

Embedded::~Embedded() {
    if (!object) return;
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
}

HRESULT Embedded::DoVerbFrom(LONG verb, IOleClientSite* activeSite) {
    return object->DoVerb(verb, nullptr, activeSite, 0, container.window, &kPosRect);
}

}  // namespace embed_test
