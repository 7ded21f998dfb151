// A real container nobody here wrote: the platform's ATL host window
// ("AtlAxWin" of atl.dll) creates the control by its ProgID or CLSID, loads
// or initialises it, activates it in place, resizes it and closes it.  It
// offers no ambient properties and sizes the control in its own units.
#include <gtest/gtest.h>

#include <string>

#include "embed_class_object.h"
#include "embed_container.h"
#include "server/module.h"

using embed_test::Frame;
using embed_test::TestClassObject;

namespace {

const wchar_t kProgId[] = L"Vexo.Surface";
const wchar_t kClsidText[] = L"{6639E6C2-8C6C-4870-841E-714BC429FD00}";

// atl.dll, loaded and initialised once: its host window class stays
// registered for the rest of the process, with a window procedure in the DLL.
class AtlLibrary {
public:
    static AtlLibrary& Get() {
        static AtlLibrary library;
        return library;
    }
    bool Ready() const { return m_ready; }

    HRESULT(WINAPI* getControl)(HWND, IUnknown**) = nullptr;
    HRESULT(WINAPI* createControl)(LPCOLESTR, HWND, IStream*, IUnknown**) = nullptr;

private:
    AtlLibrary() {
        HMODULE module = LoadLibraryW(L"atl.dll");
        if (!module) return;
        auto init = reinterpret_cast<BOOL(WINAPI*)()>(GetProcAddress(module, "AtlAxWinInit"));
        getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(GetProcAddress(module, "AtlAxGetControl"));
        createControl = reinterpret_cast<HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**)>(
            GetProcAddress(module, "AtlAxCreateControl"));
        m_ready = init && getControl && createControl && init();
    }
    bool m_ready = false;
};

// The host window, a child of the shared top-level window; its text names
// the control to create.
HWND CreateHost(const wchar_t* name, int width, int height) {
    return CreateWindowExW(0, L"AtlAxWin", name, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                           embed_test::ContainerWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

SIZE ClientSize(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    return SIZE{rect.right, rect.bottom};
}

bool Painted(CSurface& surface) {
    embed_test::PumpMessages(5000, [&] { return surface.Renderer().DeviceReady() != FALSE; });
    return surface.Renderer().DeviceReady() != FALSE;
}

// Everything the host does with a control of ours, from creation to close.
void HostAndCheck(const wchar_t* name) {
    AtlLibrary& atl = AtlLibrary::Get();
    ASSERT_TRUE(atl.Ready());
    TestClassObject classObject;
    ASSERT_EQ(S_OK, classObject.Registered());
    const LONG locksBefore = g_module.GetLockCount();

    HWND host = CreateHost(name, 240, 180);
    ASSERT_NE(nullptr, host);
    CSurface* surface = TestClassObject::LastCreated();
    ASSERT_NE(nullptr, surface);
    {
        zorvel::ComPtr<IUnknown> hosted;
        ASSERT_EQ(S_OK, atl.getControl(host, hosted.put()));
        zorvel::ComPtr<ISurface> asSurface;
        ASSERT_EQ(S_OK, hosted->QueryInterface(IID_ISurface, asSurface.put_void()));
        EXPECT_EQ(static_cast<ISurface*>(surface), asSurface.get());
    }

    // Initialised new, given a site without ambients, active in place in a
    // window of its own inside the host.
    const zorvel::SurfaceEmbedState& state = surface->Embedding().State();
    EXPECT_TRUE(state.requiresSave);
    EXPECT_TRUE(state.clientSite);
    EXPECT_FALSE(state.ambientDispatch);
    EXPECT_TRUE(state.inPlaceActive);
    EXPECT_FALSE(state.windowless);
    const HWND window = surface->Renderer().ControlWindow();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(host, GetParent(window));
    EXPECT_EQ(L"ATL:", ClassName(window).substr(0, 4));
    EXPECT_EQ(240, ClientSize(window).cx);
    EXPECT_EQ(180, ClientSize(window).cy);

    // The first paint shows the surface.
    ASSERT_TRUE(Painted(*surface));
    EXPECT_EQ(window, embed_test::DeviceWindow(*surface));
    Frame first;
    ASSERT_EQ(S_OK, embed_test::ReadFrame(*surface, first));
    EXPECT_EQ(240u, first.width);
    EXPECT_EQ(180u, first.height);
    EXPECT_NE(0u, first.Centre());

    // Rotation on: the camera turns and the picture changes.
    const float azimuth = surface->Renderer().Azimuth();
    EXPECT_EQ(S_OK, static_cast<ISurface*>(surface)->put_XYRotate(1));
    embed_test::PumpMessages(3000, [&] { return surface->Renderer().Azimuth() != azimuth; });
    EXPECT_NE(azimuth, surface->Renderer().Azimuth());
    Frame turned;
    ASSERT_EQ(S_OK, embed_test::ReadFrame(*surface, turned));
    EXPECT_NE(first.pixels, turned.pixels);
    EXPECT_EQ(S_OK, static_cast<ISurface*>(surface)->put_XYRotate(0));

    // The host resized: the control's window follows.
    SetWindowPos(host, nullptr, 0, 0, 320, 200, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    embed_test::PumpMessages(50);
    EXPECT_EQ(320, ClientSize(window).cx);
    EXPECT_EQ(200, ClientSize(window).cy);
    const RECT expected = {0, 0, 320, 200};
    EXPECT_TRUE(EqualRect(&expected, &state.posRect));

    // Closing the host closes and releases the control.
    EXPECT_EQ(locksBefore + 1, g_module.GetLockCount());
    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(locksBefore, g_module.GetLockCount());
}

}  // namespace

TEST(EmbedAtlHost, HostsTheControlByProgId) {
    HostAndCheck(kProgId);
}

TEST(EmbedAtlHost, HostsTheControlByClsid) {
    HostAndCheck(kClsidText);
}

TEST(EmbedAtlHost, LoadsTheControlFromAGivenStream) {
    AtlLibrary& atl = AtlLibrary::Get();
    ASSERT_TRUE(atl.Ready());
    TestClassObject classObject;
    ASSERT_EQ(S_OK, classObject.Registered());

    zorvel::ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
    const BYTE record[12] = {0x00, 0x08, 0, 0, 0x10, 0x27, 0, 0, 0x20, 0x4E, 0, 0};
    ASSERT_EQ(S_OK, stream->Write(record, sizeof(record), nullptr));
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);

    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 80,
                                embed_test::ContainerWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, host);
    zorvel::ComPtr<IUnknown> container;
    ASSERT_EQ(S_OK, atl.createControl(kProgId, host, stream.get(), container.put()));
    CSurface* surface = TestClassObject::LastCreated();
    ASSERT_NE(nullptr, surface);
    // Loaded, so not dirty; the stream was read to its end.
    EXPECT_FALSE(surface->Embedding().State().requiresSave);
    ULARGE_INTEGER position = {};
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_CUR, &position);
    EXPECT_EQ(12u, position.QuadPart);
    EXPECT_TRUE(surface->Embedding().State().inPlaceActive);
    EXPECT_TRUE(IsWindow(surface->Renderer().ControlWindow()));
    container.reset();
    DestroyWindow(host);
}

TEST(EmbedAtlHost, RealLibraryUnloadsOnceTheHostHasClosed) {
    AtlLibrary& atl = AtlLibrary::Get();
    ASSERT_TRUE(atl.Ready());
    // No class object of the test's own: COM loads the registered library.
    HWND host = CreateHost(kClsidText, 160, 120);
    ASSERT_NE(nullptr, host);
    HMODULE library = GetModuleHandleW(L"Zorvel.dll");
    ASSERT_NE(nullptr, library);
    auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(library, "DllCanUnloadNow"));
    ASSERT_NE(nullptr, canUnloadNow);

    HWND window = nullptr;
    {
        zorvel::ComPtr<IUnknown> hosted;
        ASSERT_EQ(S_OK, atl.getControl(host, hosted.put()));
        zorvel::ComPtr<IOleWindow> oleWindow;
        ASSERT_EQ(S_OK, hosted->QueryInterface(IID_IOleWindow, oleWindow.put_void()));
        EXPECT_EQ(S_OK, oleWindow->GetWindow(&window));
    }
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(host, GetParent(window));
    EXPECT_EQ(L"ATL:", ClassName(window).substr(0, 4));
    EXPECT_EQ(160, ClientSize(window).cx);
    embed_test::PumpMessages(200);
    EXPECT_EQ(S_FALSE, canUnloadNow());

    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(S_OK, canUnloadNow());
}
