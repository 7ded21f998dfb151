// The steps of self-registration, with the in-memory registry and a fake
// type-library registration that records what it saw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_registry.h"
#include "server/server_registration.h"

namespace {

using zorvel_test::MemoryRegistry;

const std::wstring kClassKey = L"CLSID\\{6639E6C2-8C6C-4870-841E-714BC429FD00}";
const std::wstring kAppIdKey = L"AppID\\{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}";
const wchar_t kAppIdScript[] =
    L"HKCR\r\n{\r\n\tNoRemove AppID\r\n\t{\r\n\t\t'%APPID%' = s 'Vexo'\r\n\t\t'Vexo.DLL'\r\n"
    L"\t\t{\r\n\t\t\tval AppID = s '%APPID%'\r\n\t\t}\r\n\t}\r\n}\r\n";
const LCID kCallerLocale = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);

struct Snapshot {
    std::wstring call;
    std::wstring path;
    LCID locale;
    bool classKeyPresent;
    bool appIdPresent;
};

class FakeTypeLibs final : public zorvel::TypeLibRegistrar {
public:
    explicit FakeTypeLibs(const MemoryRegistry& registry) : m_registry(registry) {}

    HRESULT Register(const std::wstring& modulePath) override { return Record(L"register", modulePath); }
    HRESULT Unregister(const std::wstring& modulePath) override { return Record(L"unregister", modulePath); }

    HRESULT result = S_OK;
    std::vector<Snapshot> calls;

private:
    HRESULT Record(const wchar_t* call, const std::wstring& path) {
        calls.push_back({call, path, GetThreadLocale(), m_registry.HasKey(HKEY_CLASSES_ROOT, kClassKey),
                         m_registry.HasKey(HKEY_CLASSES_ROOT, kAppIdKey)});
        return result;
    }

    const MemoryRegistry& m_registry;
};

class ServerRegistrationTest : public testing::Test {
protected:
    void SetUp() override {
        m_savedLocale = GetThreadLocale();
        ASSERT_TRUE(SetThreadLocale(kCallerLocale));
        server.registry = &registry;
        server.typeLibs = &typeLibs;
        server.appIdScript = kAppIdScript;
        server.modulePath = L"C:\\Vexo\\Zorvel.dll";
    }
    void TearDown() override { SetThreadLocale(m_savedLocale); }

    std::wstring Value(const std::wstring& key, const std::wstring& name = L"") const {
        std::wstring data = L"<absent>";
        registry.GetString(HKEY_CLASSES_ROOT, key, name, &data);
        return data;
    }

    MemoryRegistry registry;
    FakeTypeLibs typeLibs{registry};
    zorvel::ServerRegistration server;

private:
    LCID m_savedLocale = 0;
};

TEST_F(ServerRegistrationTest, RegistersAppIdThenClassesThenTypeLibraryInTheSystemLocale) {
    ASSERT_EQ(S_OK, zorvel::RegisterServer(server));

    ASSERT_FALSE(registry.Log().empty());
    EXPECT_EQ(L"create AppID", registry.Log().front());
    EXPECT_EQ(L"set " + kClassKey + L"\\Version|=1.0", registry.Log().back());
    ASSERT_EQ(1u, typeLibs.calls.size());
    EXPECT_EQ(L"register", typeLibs.calls[0].call);
    EXPECT_EQ(L"C:\\Vexo\\Zorvel.dll", typeLibs.calls[0].path);
    EXPECT_TRUE(typeLibs.calls[0].classKeyPresent);
    EXPECT_EQ(ConvertDefaultLocale(LOCALE_SYSTEM_DEFAULT), typeLibs.calls[0].locale);
    EXPECT_EQ(kCallerLocale, GetThreadLocale());

    EXPECT_EQ(L"Vexo", Value(kAppIdKey));
    EXPECT_EQ(L"C:\\Vexo\\Zorvel.dll", Value(kClassKey + L"\\InprocServer32"));
    EXPECT_EQ(L"C:\\Vexo\\Zorvel.dll, 1", Value(kClassKey + L"\\ToolboxBitmap32"));
}

TEST_F(ServerRegistrationTest, ModulePathIsQuotedOnlyForTheProcessImage) {
    server.moduleIsProcessImage = true;
    server.moduleIsExecutable = true;
    ASSERT_EQ(S_OK, zorvel::RegisterServer(server));
    EXPECT_EQ(L"\"C:\\Vexo\\Zorvel.dll\"", Value(kClassKey + L"\\LocalServer32"));
    EXPECT_EQ(L"\"C:\\Vexo\\Zorvel.dll\", 1", Value(kClassKey + L"\\ToolboxBitmap32"));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32"));
}

TEST_F(ServerRegistrationTest, FailureInTheAppIdScriptTakesItBackAndStops) {
    registry.FailOn(MemoryRegistry::Op::SetString, HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL", ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), zorvel::RegisterServer(server));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kAppIdKey));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, L"Vexo.Surface"));
    EXPECT_TRUE(typeLibs.calls.empty());
    EXPECT_EQ(kCallerLocale, GetThreadLocale());

    server.appIdScript = L"HKCR { NoRemove AppID { '%APPID%' = s 'Vexo' }";
    registry.ClearLog();
    EXPECT_EQ(DISP_E_EXCEPTION, zorvel::RegisterServer(server));
    EXPECT_TRUE(registry.Log().empty());
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
}

TEST_F(ServerRegistrationTest, LaterFailuresKeepEarlierSteps) {
    registry.FailOn(MemoryRegistry::Op::CreateKey, HKEY_CLASSES_ROOT, L"Vexo.Surface.1", ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), zorvel::RegisterServer(server));
    EXPECT_EQ(L"Vexo", Value(kAppIdKey));
    EXPECT_TRUE(typeLibs.calls.empty());
    EXPECT_EQ(kCallerLocale, GetThreadLocale());

    MemoryRegistry fresh;
    FakeTypeLibs failing(fresh);
    failing.result = TYPE_E_CANTLOADLIBRARY;
    server.registry = &fresh;
    server.typeLibs = &failing;
    EXPECT_EQ(TYPE_E_CANTLOADLIBRARY, zorvel::RegisterServer(server));
    EXPECT_TRUE(fresh.HasKey(HKEY_CLASSES_ROOT, kClassKey + L"\\Version"));
    EXPECT_TRUE(fresh.HasKey(HKEY_CLASSES_ROOT, kAppIdKey));
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
}

TEST_F(ServerRegistrationTest, UnregistersClassesThenTypeLibraryThenAppId) {
    ASSERT_EQ(S_OK, zorvel::RegisterServer(server));
    typeLibs.calls.clear();

    ASSERT_EQ(S_OK, zorvel::UnregisterServer(server));
    ASSERT_EQ(1u, typeLibs.calls.size());
    EXPECT_EQ(L"unregister", typeLibs.calls[0].call);
    EXPECT_FALSE(typeLibs.calls[0].classKeyPresent);
    EXPECT_TRUE(typeLibs.calls[0].appIdPresent);
    EXPECT_EQ(ConvertDefaultLocale(LOCALE_SYSTEM_DEFAULT), typeLibs.calls[0].locale);
    EXPECT_EQ(kCallerLocale, GetThreadLocale());

    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kAppIdKey));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL"));
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"AppID"));
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_EQ(2u, registry.KeyCount());
}

TEST_F(ServerRegistrationTest, FailedTypeLibraryUnregistrationKeepsTheAppId) {
    ASSERT_EQ(S_OK, zorvel::RegisterServer(server));
    typeLibs.result = TYPE_E_REGISTRYACCESS;
    EXPECT_EQ(TYPE_E_REGISTRYACCESS, zorvel::UnregisterServer(server));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_EQ(L"Vexo", Value(kAppIdKey));
    EXPECT_EQ(kCallerLocale, GetThreadLocale());
}

}  // namespace
