// Self-registration of the built Zorvel.dll into this prefix's registry, read
// back with the registry functions.  Every test leaves the library registered.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <thread>

#include "control/surface.h"
#include "common/owners.h"
#include "zorvel_dll.h"

namespace {

using zorvel::ComPtr;
using zorvel::UniqueHkey;
using zorvel_test::ZorvelDll;

const std::wstring kClassKey = L"CLSID\\{6639E6C2-8C6C-4870-841E-714BC429FD00}";
const std::wstring kLibid = L"{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}";
const std::wstring kAppIdKey = L"AppID\\" + kLibid;

bool KeyExists(const std::wstring& path) {
    UniqueHkey key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// The REG_SZ value, "<absent>", or "<type n>" for a value of another type.
std::wstring StringValue(const std::wstring& path, const wchar_t* name = nullptr) {
    UniqueHkey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return L"<absent>";
    wchar_t data[1024] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
        return L"<absent>";
    if (type != REG_SZ) return L"<type " + std::to_wstring(type) + L">";
    return data;
}

DWORD ValueCount(const std::wstring& path) {
    UniqueHkey key;
    DWORD values = 0;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return 0;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    return values;
}

void CreateStaleKey(const std::wstring& path) {
    UniqueHkey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                             nullptr, key.put(), nullptr));
    const wchar_t stale[] = L"stale";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), L"Stale", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(stale), sizeof(stale)));
}

class SystemRegistration : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dll.Loaded()) << "cannot load " << testing::PrintToString(std::wstring(zorvel_test::ZorvelDllPath())); }
    void TearDown() override {
        if (dll.Loaded()) {
            EXPECT_EQ(S_OK, dll.RegisterServer());
        }
    }
    ZorvelDll dll;
};

TEST_F(SystemRegistration, WritesTheClassKeyTree) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    const std::wstring path = dll.Path();

    EXPECT_EQ(L"CSurface Object", StringValue(kClassKey));
    EXPECT_EQ(kLibid, StringValue(kClassKey, L"AppID"));
    EXPECT_EQ(2u, ValueCount(kClassKey));
    EXPECT_EQ(L"Vexo.Surface.1", StringValue(kClassKey + L"\\ProgID"));
    EXPECT_EQ(L"Vexo.Surface", StringValue(kClassKey + L"\\VersionIndependentProgID"));
    EXPECT_EQ(path, StringValue(kClassKey + L"\\InprocServer32"));
    EXPECT_EQ(L"apartment", StringValue(kClassKey + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_TRUE(KeyExists(kClassKey + L"\\Control"));
    EXPECT_EQ(0u, ValueCount(kClassKey + L"\\Control"));
    EXPECT_EQ(path + L", 1", StringValue(kClassKey + L"\\ToolboxBitmap32"));
    EXPECT_EQ(L"0", StringValue(kClassKey + L"\\MiscStatus"));
    EXPECT_EQ(L"131473", StringValue(kClassKey + L"\\MiscStatus\\1"));
    EXPECT_EQ(kLibid, StringValue(kClassKey + L"\\TypeLib"));
    EXPECT_EQ(L"1.0", StringValue(kClassKey + L"\\Version"));
    EXPECT_FALSE(KeyExists(kClassKey + L"\\LocalServer32"));
    EXPECT_FALSE(KeyExists(kClassKey + L"\\Implemented Categories"));
    EXPECT_FALSE(KeyExists(kClassKey + L"\\Insertable"));
    EXPECT_FALSE(KeyExists(kClassKey + L"\\Programmable"));

    EXPECT_EQ(L"CSurface Object", StringValue(L"Vexo.Surface.1"));
    EXPECT_EQ(L"{6639E6C2-8C6C-4870-841E-714BC429FD00}", StringValue(L"Vexo.Surface.1\\CLSID"));
    EXPECT_EQ(L"CSurface Object", StringValue(L"Vexo.Surface"));
    EXPECT_EQ(L"{6639E6C2-8C6C-4870-841E-714BC429FD00}", StringValue(L"Vexo.Surface\\CLSID"));
    EXPECT_EQ(L"Vexo.Surface.1", StringValue(L"Vexo.Surface\\CurVer"));
}

TEST_F(SystemRegistration, WritesTheAppIdAndTheTypeLibrary) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    const std::wstring path = dll.Path();

    EXPECT_EQ(L"Vexo", StringValue(kAppIdKey));
    EXPECT_EQ(1u, ValueCount(kAppIdKey));
    EXPECT_EQ(kLibid, StringValue(L"AppID\\Vexo.DLL", L"AppID"));
    EXPECT_EQ(1u, ValueCount(L"AppID\\Vexo.DLL"));

    const std::wstring typeLib = L"TypeLib\\" + kLibid + L"\\1.0";
    EXPECT_EQ(L"Kandel 1.0 Type Library", StringValue(typeLib));
    // The platform key follows the library's bitness.
    EXPECT_EQ(path, StringValue(typeLib + (sizeof(void*) == 8 ? L"\\409\\win64" : L"\\409\\win32")));
    // And for the neutral locale, where the automation marshaler looks.
    EXPECT_EQ(path, StringValue(typeLib + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32")));
    EXPECT_EQ(path.substr(0, path.rfind(L'\\') + 1), StringValue(typeLib + L"\\HELPDIR"));
    const std::wstring iface = L"Interface\\{8D5BBEFD-CA72-4206-9DAF-CC3B56E6CF40}";
    EXPECT_EQ(L"ISurface", StringValue(iface));
    EXPECT_EQ(kLibid, StringValue(iface + L"\\TypeLib"));
}

TEST_F(SystemRegistration, RegisteringAgainReplacesStaleEntries) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    CreateStaleKey(kClassKey + L"\\Stale");
    CreateStaleKey(kClassKey + L"\\Control\\Stale");
    CreateStaleKey(kClassKey + L"\\ToolboxBitmap32\\Stale");
    CreateStaleKey(kClassKey);

    ASSERT_EQ(S_OK, dll.RegisterServer());
    EXPECT_FALSE(KeyExists(kClassKey + L"\\Stale"));
    EXPECT_FALSE(KeyExists(kClassKey + L"\\Control\\Stale"));
    EXPECT_FALSE(KeyExists(kClassKey + L"\\ToolboxBitmap32\\Stale"));
    EXPECT_EQ(L"<absent>", StringValue(kClassKey, L"Stale"));
    EXPECT_EQ(2u, ValueCount(kClassKey));
    EXPECT_EQ(1u, ValueCount(kClassKey + L"\\ToolboxBitmap32"));
    EXPECT_EQ(2u, ValueCount(kClassKey + L"\\InprocServer32"));
    EXPECT_EQ(1u, ValueCount(kAppIdKey));
}

TEST_F(SystemRegistration, RestoresTheCallersThreadLocale) {
    const LCID saved = GetThreadLocale();
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    ASSERT_TRUE(SetThreadLocale(german));
    EXPECT_EQ(S_OK, dll.RegisterServer());
    EXPECT_EQ(german, GetThreadLocale());
    SetThreadLocale(saved);
}

TEST_F(SystemRegistration, ClientsCreateTheControlByClsidAndProgId) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    CLSID clsid = {};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Vexo.Surface", &clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CSurface, clsid));
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Vexo.Surface.1", &clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CSurface, clsid));

    ComPtr<ISurface> surface;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER, IID_ISurface,
                                     surface.put_void()));
    LONG x = -1, y = -1;
    EXPECT_EQ(S_OK, surface->GetPointsPerXY(&x, &y));
    EXPECT_EQ(0, x);
    EXPECT_EQ(0, y);

    // The registered type library serves the object's type information.
    UINT count = 0;
    EXPECT_EQ(S_OK, surface->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
}

// A second apartment reaches the control through COM's proxy, built from the
// registered type library; the script runs on the control's own thread, where
// its state and current control are (the calling thread has none).
TEST_F(SystemRegistration, ScriptsRunOnTheControlsThreadThroughAMarshalledPointer) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    ComPtr<ISurface> surface;
    ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, surface.put_void()));
    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(IID_ISurface, surface.get(), &stream));
    HRESULT hr = E_UNEXPECTED;
    std::wstring output;
    float range[2] = {-99.0f, -99.0f};
    zorvel::UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread caller([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            ComPtr<ISurface> proxy;
            hr = CoGetInterfaceAndReleaseStream(stream, IID_ISurface, proxy.put_void());
            zorvel::UniqueBstr script(SysAllocString(L"SetXRange(-3, 4) SetRadius(7) print(GetRadius())"));
            zorvel::UniqueBstr result;
            if (SUCCEEDED(hr)) hr = proxy->RunScript(script.get(), result.put());
            if (result.get()) output = result.get();
            // The getters' values come back through the proxy.
            if (SUCCEEDED(hr)) hr = proxy->GetXRange(&range[0], &range[1]);
        }
        CoUninitialize();
        SetEvent(done.get());
    });
    // The call arrives as a message to this apartment.
    HANDLE handles[] = {done.get()};
    while (MsgWaitForMultipleObjects(1, handles, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    caller.join();
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(L"7\r\n", output);
    EXPECT_EQ(-3.0f, range[0]);
    EXPECT_EQ(4.0f, range[1]);
    float radius = 0.0f;
    EXPECT_EQ(S_OK, surface->get_Radius(&radius));
    EXPECT_EQ(7.0f, radius);
}

// The other bitness's registration shares the library's keys: taking this
// one back leaves that one's neutral entry, and so the library, in place.
TEST_F(SystemRegistration, UnregisteringKeepsTheOtherBitnesssEntries) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    const std::wstring other = L"TypeLib\\" + kLibid + (sizeof(void*) == 8 ? L"\\1.0\\0\\win32" : L"\\1.0\\0\\win64");
    CreateStaleKey(other);
    ASSERT_EQ(S_OK, dll.UnregisterServer());
    EXPECT_TRUE(KeyExists(other));
    EXPECT_FALSE(KeyExists(L"TypeLib\\" + kLibid + (sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32")));
    UniqueHkey typeLibs;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, L"TypeLib", 0, KEY_ALL_ACCESS, typeLibs.put()));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(typeLibs.get(), kLibid.c_str()));
}

TEST_F(SystemRegistration, UnregisteringRemovesExactlyTheLibrarysEntries) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    ASSERT_EQ(S_OK, dll.UnregisterServer());

    EXPECT_FALSE(KeyExists(L"Vexo.Surface"));
    EXPECT_FALSE(KeyExists(L"Vexo.Surface.1"));
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_FALSE(KeyExists(kAppIdKey));
    EXPECT_FALSE(KeyExists(L"AppID\\Vexo.DLL"));
    EXPECT_FALSE(KeyExists(L"TypeLib\\" + kLibid + L"\\1.0"));
    EXPECT_TRUE(KeyExists(L"CLSID"));
    EXPECT_TRUE(KeyExists(L"AppID"));

    // Without a registered type library an object has no type information.
    ComPtr<ISurface> surface;
    ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, surface.put_void()));
    UINT count = 7;
    EXPECT_EQ(S_OK, surface->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    ComPtr<ITypeInfo> typeInfo;
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, surface->GetTypeInfo(0, 0, typeInfo.put()));

    // Class entries already gone are no error; the result is then the
    // platform's answer for a type library that is not registered.
    const HRESULT platform = UnRegisterTypeLib(LIBID_Vexo, 1, 0, 0x0409, SYS_WIN32);
    EXPECT_EQ(platform, dll.UnregisterServer());
}

}  // namespace
