// The control's registry entries, written and removed by the object map's
// registration function against the in-memory registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/owners.h"
#include "memory_registry.h"
#include "server/object_map.h"
#include "zorvel_dll.h"
#include "zorvel_h.h"

namespace {

using zorvel_test::MemoryRegistry;

const std::wstring kClassKey = L"CLSID\\{6639E6C2-8C6C-4870-841E-714BC429FD00}";
const std::wstring kClsid = L"{6639E6C2-8C6C-4870-841E-714BC429FD00}";
const std::wstring kLibid = L"{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}";
const std::wstring kPath = L"C:\\Program Files\\Vexo\\Zorvel.dll";

zorvel::Replacements ModuleReplacements(const wchar_t* moduleType = L"InprocServer32") {
    zorvel::Replacements replacements;
    replacements.Add(L"Module", kPath);
    replacements.Add(L"Module_Raw", kPath);
    replacements.Add(L"MODULEGUID", kLibid);
    replacements.Add(L"MODULETYPE", moduleType);
    replacements.Add(L"APPID", kLibid);
    return replacements;
}

const zorvel::ObjectMapEntry& SurfaceEntry() {
    for (size_t i = 0; i < zorvel::g_objectMapSize; ++i) {
        if (IsEqualCLSID(*zorvel::g_objectMap[i].clsid, CLSID_CSurface)) return zorvel::g_objectMap[i];
    }
    ADD_FAILURE() << "CSurface is not in the object map";
    return zorvel::g_objectMap[0];
}

HRESULT Update(MemoryRegistry& registry, bool bRegister,
               const zorvel::Replacements& replacements = ModuleReplacements()) {
    return SurfaceEntry().updateRegistry(registry, replacements, bRegister);
}

std::wstring Value(const MemoryRegistry& registry, const std::wstring& key, const std::wstring& name = L"") {
    std::wstring data = L"<absent>";
    registry.GetString(HKEY_CLASSES_ROOT, key, name, &data);
    return data;
}

TEST(SurfaceKeys, ObjectMapHoldsTheOneCreatableClass) {
    ASSERT_EQ(1u, zorvel::g_objectMapSize);
    EXPECT_TRUE(IsEqualCLSID(*zorvel::g_objectMap[0].clsid, CLSID_CSurface));
    EXPECT_EQ(0u, zorvel::g_objectMap[0].registerCookie);
}

// The in-memory registration against what the built library wrote into the
// system's registry: every key and value, and no other subkey of the class.
TEST(SurfaceKeys, RegistrationWritesWhatTheSystemRegistryHolds) {
    zorvel_test::ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    ASSERT_EQ(S_OK, dll.RegisterServer());
    zorvel::Replacements replacements = ModuleReplacements();
    replacements.Add(L"Module", dll.Path());
    replacements.Add(L"Module_Raw", dll.Path());
    MemoryRegistry registry;
    ASSERT_EQ(S_OK, Update(registry, true, replacements));

    size_t values = 0;
    for (const std::wstring& entry : registry.Log()) {
        if (entry.compare(0, 4, L"set ") != 0) continue;
        const size_t bar = entry.find(L'|'), equals = entry.find(L'=', bar);
        const std::wstring key = entry.substr(4, bar - 4), name = entry.substr(bar + 1, equals - bar - 1);
        wchar_t data[512] = {};
        DWORD bytes = sizeof(data);
        EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                              nullptr, data, &bytes)) << testing::PrintToString(entry);
        EXPECT_EQ(entry.substr(equals + 1), std::wstring(data)) << testing::PrintToString(entry);
        ++values;
    }
    EXPECT_EQ(16u, values);

    zorvel::UniqueHkey classKey;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, kClassKey.c_str(), 0, KEY_READ, classKey.put()));
    std::vector<std::wstring> subkeys;
    wchar_t name[256];
    for (DWORD i = 0, length = 256; RegEnumKeyExW(classKey.get(), i, name, &length, nullptr, nullptr, nullptr,
                                                  nullptr) == ERROR_SUCCESS; ++i, length = 256)
        subkeys.push_back(name);
    std::sort(subkeys.begin(), subkeys.end());
    EXPECT_EQ(subkeys, registry.Subkeys(HKEY_CLASSES_ROOT, kClassKey));
}

TEST(SurfaceKeys, ModuleTypeNamesTheServerKey) {
    MemoryRegistry registry;
    ASSERT_EQ(S_OK, Update(registry, true, ModuleReplacements(L"LocalServer32")));
    EXPECT_EQ(kPath, Value(registry, kClassKey + L"\\LocalServer32"));
    EXPECT_EQ(L"apartment", Value(registry, kClassKey + L"\\LocalServer32", L"ThreadingModel"));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32"));
}

TEST(SurfaceKeys, RegistrationReplacesStaleEntriesOfTheClass) {
    MemoryRegistry registry;
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CLASSES_ROOT, kClassKey + L"\\Stale\\Deeper"));
    ASSERT_EQ(ERROR_SUCCESS, registry.SetString(HKEY_CLASSES_ROOT, kClassKey, L"OldValue", L"x"));
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CLASSES_ROOT, L"CLSID\\{11111111-2222-3333-4444-555555555555}"));
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CLASSES_ROOT, L"Vexo.Surface\\Foreign"));

    ASSERT_EQ(S_OK, Update(registry, true));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kClassKey + L"\\Stale"));
    EXPECT_EQ(L"<absent>", Value(registry, kClassKey, L"OldValue"));
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"CLSID\\{11111111-2222-3333-4444-555555555555}"));
    // ProgID keys are opened, not replaced.
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"Vexo.Surface\\Foreign"));

    // Stale entries under Control and ToolboxBitmap32 go on every registration.
    const size_t keys = registry.KeyCount();
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CLASSES_ROOT, kClassKey + L"\\Control\\Stale"));
    ASSERT_EQ(ERROR_SUCCESS, registry.SetString(HKEY_CLASSES_ROOT, kClassKey + L"\\ToolboxBitmap32", L"Old", L"x"));
    ASSERT_EQ(S_OK, Update(registry, true));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kClassKey + L"\\Control\\Stale"));
    EXPECT_EQ(1u, registry.ValueCount(HKEY_CLASSES_ROOT, kClassKey + L"\\ToolboxBitmap32"));
    EXPECT_EQ(keys, registry.KeyCount());
    EXPECT_EQ(kPath + L", 1", Value(registry, kClassKey + L"\\ToolboxBitmap32"));
}

TEST(SurfaceKeys, RegistrationStopsAtTheFirstFailure) {
    MemoryRegistry registry;
    registry.FailOn(MemoryRegistry::Op::SetString, HKEY_CLASSES_ROOT, kClassKey + L"\\MiscStatus\\1",
                    ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), Update(registry, true));
    EXPECT_EQ(L"<absent>", Value(registry, kClassKey, L"AppID"));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kClassKey + L"\\TypeLib"));
    // Earlier entries stay.
    EXPECT_EQ(L"0", Value(registry, kClassKey + L"\\MiscStatus"));

    MemoryRegistry replacing;
    ASSERT_EQ(ERROR_SUCCESS, replacing.CreateKey(HKEY_CLASSES_ROOT, kClassKey));
    replacing.FailOn(MemoryRegistry::Op::DeleteTree, HKEY_CLASSES_ROOT, kClassKey, ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), Update(replacing, true));
    EXPECT_FALSE(replacing.HasKey(HKEY_CLASSES_ROOT, kClassKey + L"\\ProgID"));
}

TEST(SurfaceKeys, MissingVariableFailsBeforeItsRow) {
    zorvel::Replacements noAppId;
    noAppId.Add(L"Module", kPath);
    noAppId.Add(L"MODULEGUID", kLibid);
    noAppId.Add(L"MODULETYPE", L"InprocServer32");
    MemoryRegistry registry;
    EXPECT_EQ(E_FAIL, Update(registry, true, noAppId));
    EXPECT_EQ(L"131473", Value(registry, kClassKey + L"\\MiscStatus\\1"));
    EXPECT_EQ(L"<absent>", Value(registry, kClassKey, L"AppID"));
}

TEST(SurfaceKeys, UnregistrationRemovesChildrenBeforeParentsAndKeepsClsid) {
    MemoryRegistry registry;
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CLASSES_ROOT, L"CLSID\\{11111111-2222-3333-4444-555555555555}"));
    ASSERT_EQ(S_OK, Update(registry, true));
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CLASSES_ROOT, kClassKey + L"\\Implemented Categories"));
    registry.ClearLog();

    ASSERT_EQ(S_OK, Update(registry, false));
    const std::wstring k = kClassKey;
    // Removing a subtree removes its children; later rows find them gone.
    const std::vector<std::wstring> expected = {
        L"delete-tree " + k + L"\\Version",
        L"delete-tree " + k + L"\\TypeLib",
        L"delete-tree " + k + L"\\MiscStatus\\1",
        L"delete-tree " + k + L"\\MiscStatus",
        L"delete-tree " + k + L"\\ToolboxBitmap32",
        L"delete-tree " + k + L"\\Control",
        L"delete-tree " + k + L"\\InprocServer32",
        L"delete-tree " + k + L"\\VersionIndependentProgID",
        L"delete-tree " + k + L"\\ProgID",
        L"delete-tree " + k,
        L"delete-tree Vexo.Surface\\CurVer",
        L"delete-tree Vexo.Surface\\CLSID",
        L"delete-tree Vexo.Surface",
        L"delete-tree Vexo.Surface.1\\CLSID",
        L"delete-tree Vexo.Surface.1",
    };
    EXPECT_EQ(expected, registry.Log());
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"CLSID\\{11111111-2222-3333-4444-555555555555}"));
    EXPECT_EQ(2u, registry.KeyCount());
}

TEST(SurfaceKeys, UnregistrationOfAbsentEntriesSucceeds) {
    MemoryRegistry empty;
    EXPECT_EQ(S_OK, Update(empty, false));
    EXPECT_TRUE(empty.Log().empty());

    MemoryRegistry partial;
    ASSERT_EQ(ERROR_SUCCESS, partial.CreateKey(HKEY_CLASSES_ROOT, L"Vexo.Surface\\CLSID"));
    partial.FailOn(MemoryRegistry::Op::DeleteTree, HKEY_CLASSES_ROOT, kClassKey, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(S_OK, Update(partial, false));
    EXPECT_EQ(0u, partial.KeyCount());
}

TEST(SurfaceKeys, UnregistrationStopsAtARealFailure) {
    MemoryRegistry registry;
    ASSERT_EQ(S_OK, Update(registry, true));
    registry.FailOn(MemoryRegistry::Op::DeleteTree, HKEY_CLASSES_ROOT, kClassKey, ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), Update(registry, false));
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"Vexo.Surface"));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, kClassKey + L"\\ProgID"));
}

}  // namespace
