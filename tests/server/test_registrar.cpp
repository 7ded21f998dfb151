// The registrar script runner against the in-memory registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_registry.h"
#include "server/registrar.h"

namespace {

using zorvel_test::MemoryRegistry;

const wchar_t kGuid[] = L"{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}";

// The library's AppID script, as its resource holds it.
const wchar_t kAppIdScript[] =
    L"HKCR\r\n{\r\n\tNoRemove AppID\r\n\t{\r\n\t\t'%APPID%' = s 'Vexo'\r\n\t\t'Vexo.DLL'\r\n"
    L"\t\t{\r\n\t\t\tval AppID = s '%APPID%'\r\n\t\t}\r\n\t}\r\n}\r\n";

zorvel::Replacements AppIdReplacements() {
    zorvel::Replacements replacements;
    replacements.Add(L"APPID", kGuid);
    replacements.Add(L"Module", L"C:\\it's {odd}\\Zorvel.dll");
    return replacements;
}

HRESULT RunScript(MemoryRegistry& registry, const std::wstring& script, bool bRegister) {
    return zorvel::RunRegistrarScript(registry, script, AppIdReplacements(), bRegister);
}

std::wstring Value(const MemoryRegistry& registry, const std::wstring& key, const std::wstring& name,
                   HKEY root = HKEY_CLASSES_ROOT) {
    std::wstring data = L"<absent>";
    registry.GetString(root, key, name, &data);
    return data;
}

TEST(Registrar, AppIdScriptWritesTheAppIdKeys) {
    MemoryRegistry registry;
    ASSERT_EQ(S_OK, RunScript(registry, kAppIdScript, true));

    const std::wstring guidKey = std::wstring(L"AppID\\") + kGuid;
    EXPECT_EQ(L"Vexo", Value(registry, guidKey, L""));
    EXPECT_EQ(1u, registry.ValueCount(HKEY_CLASSES_ROOT, guidKey));
    EXPECT_EQ(kGuid, Value(registry, L"AppID\\Vexo.DLL", L"AppID"));
    EXPECT_EQ(1u, registry.ValueCount(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL"));
    EXPECT_EQ(0u, registry.ValueCount(HKEY_CLASSES_ROOT, L"AppID"));
    EXPECT_EQ(3u, registry.KeyCount());

    const std::vector<std::wstring> expected = {
        L"create AppID",
        L"create " + guidKey,
        L"set " + guidKey + L"|=Vexo",
        L"create AppID\\Vexo.DLL",
        L"set AppID\\Vexo.DLL|AppID=" + std::wstring(kGuid),
    };
    EXPECT_EQ(expected, registry.Log());
}

TEST(Registrar, RegisteringTwiceLeavesOneCopy) {
    MemoryRegistry registry;
    ASSERT_EQ(S_OK, RunScript(registry, kAppIdScript, true));
    ASSERT_EQ(S_OK, RunScript(registry, kAppIdScript, true));
    EXPECT_EQ(3u, registry.KeyCount());
    EXPECT_EQ(1u, registry.ValueCount(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL"));
}

TEST(Registrar, UnregistrationKeepsNoRemoveKeysAndForeignEntries) {
    MemoryRegistry registry;
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CLASSES_ROOT, L"AppID\\{00000000-1111-2222-3333-444444444444}"));
    ASSERT_EQ(S_OK, RunScript(registry, kAppIdScript, true));
    registry.ClearLog();

    ASSERT_EQ(S_OK, RunScript(registry, kAppIdScript, false));
    const std::wstring guidKey = std::wstring(L"AppID\\") + kGuid;
    const std::vector<std::wstring> expected = {
        L"delete-key " + guidKey,
        L"delete-value AppID\\Vexo.DLL|AppID",
        L"delete-key AppID\\Vexo.DLL",
    };
    EXPECT_EQ(expected, registry.Log());
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"AppID"));
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"AppID\\{00000000-1111-2222-3333-444444444444}"));
    EXPECT_EQ(2u, registry.KeyCount());
}

TEST(Registrar, UnregistrationLeavesKeysThatStillHaveSubkeys) {
    MemoryRegistry registry;
    ASSERT_EQ(S_OK, RunScript(registry, kAppIdScript, true));
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL\\Foreign"));

    ASSERT_EQ(S_OK, RunScript(registry, kAppIdScript, false));
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL\\Foreign"));
    EXPECT_EQ(L"<absent>", Value(registry, L"AppID\\Vexo.DLL", L"AppID"));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, std::wstring(L"AppID\\") + kGuid));
}

TEST(Registrar, UnregistrationOfAbsentEntriesSucceeds) {
    MemoryRegistry empty;
    EXPECT_EQ(S_OK, RunScript(empty, kAppIdScript, false));
    EXPECT_EQ(0u, empty.KeyCount());

    MemoryRegistry partial;  // the key is there, its value is not
    ASSERT_EQ(ERROR_SUCCESS, partial.CreateKey(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL"));
    EXPECT_EQ(S_OK, RunScript(partial, kAppIdScript, false));
    EXPECT_FALSE(partial.HasKey(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL"));
    EXPECT_TRUE(partial.HasKey(HKEY_CLASSES_ROOT, L"AppID"));
}

TEST(Registrar, ForceRemoveReplacesAKeyAndRemovesItWhole) {
    const wchar_t script[] = L"HKCU { NoRemove Software { ForceRemove Vexo = s 'fresh' { Settings { val Mode = s 'a' } } } }";
    MemoryRegistry registry;
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CURRENT_USER, L"Software\\Vexo\\Stale\\Deeper"));
    ASSERT_EQ(ERROR_SUCCESS, registry.SetString(HKEY_CURRENT_USER, L"Software\\Vexo", L"Old", L"x"));

    ASSERT_EQ(S_OK, RunScript(registry, script, true));
    EXPECT_FALSE(registry.HasKey(HKEY_CURRENT_USER, L"Software\\Vexo\\Stale"));
    EXPECT_EQ(L"<absent>", Value(registry, L"Software\\Vexo", L"Old", HKEY_CURRENT_USER));
    EXPECT_EQ(L"fresh", Value(registry, L"Software\\Vexo", L"", HKEY_CURRENT_USER));
    EXPECT_EQ(L"a", Value(registry, L"Software\\Vexo\\Settings", L"Mode", HKEY_CURRENT_USER));

    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CURRENT_USER, L"Software\\Vexo\\AddedLater"));
    ASSERT_EQ(S_OK, RunScript(registry, script, false));
    EXPECT_FALSE(registry.HasKey(HKEY_CURRENT_USER, L"Software\\Vexo"));
    EXPECT_TRUE(registry.HasKey(HKEY_CURRENT_USER, L"Software"));
}

TEST(Registrar, QuotedNamesAndExpandedValuesKeepTheirText) {
    // A doubled quote is one quote; a replacement holding quotes and braces
    // does not change the script's structure.
    const wchar_t script[] = L"HKLM{'It''s'=s'%Module%'{val'%Module%'=s'{ }'}}";
    MemoryRegistry registry;
    ASSERT_EQ(S_OK, RunScript(registry, script, true));
    EXPECT_EQ(L"C:\\it's {odd}\\Zorvel.dll", Value(registry, L"It's", L"", HKEY_LOCAL_MACHINE));
    EXPECT_EQ(L"{ }", Value(registry, L"It's", L"C:\\it's {odd}\\Zorvel.dll", HKEY_LOCAL_MACHINE));
}

TEST(Registrar, RootsHaveLongAndShortNames) {
    const struct {
        const wchar_t* name;
        HKEY root;
    } roots[] = {
        {L"HKCR", HKEY_CLASSES_ROOT},        {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKCU", HKEY_CURRENT_USER},        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKLM", HKEY_LOCAL_MACHINE},       {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKU", HKEY_USERS},                {L"HKEY_USERS", HKEY_USERS},
        {L"HKCC", HKEY_CURRENT_CONFIG},      {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    };
    for (const auto& root : roots) {
        MemoryRegistry registry;
        EXPECT_EQ(S_OK, RunScript(registry, std::wstring(root.name) + L" { Key = s 'v' }", true)) << root.name;
        EXPECT_EQ(L"v", Value(registry, L"Key", L"", root.root)) << root.name;
    }
    for (const wchar_t* name : {L"HKPD", L"HKEY_PERFORMANCE_DATA", L"HKDD", L"HKEY_DYN_DATA"}) {
        MemoryRegistry registry;
        EXPECT_EQ(S_OK, RunScript(registry, std::wstring(name) + L" { }", true)) << name;
    }
}

TEST(Registrar, SyntaxErrorsAndUnknownRootsWriteNothing) {
    const wchar_t* const scripts[] = {
        L"HKCR",
        L"HKCR {",
        L"HKCR { Key",
        L"HKCR { Key = 'v' }",
        L"HKCR { Key = s }",
        L"HKCR { Key = d '1' }",
        L"HKCR { 'unterminated }",
        L"HKCR { Key { val } }",
        L"HKCR { Key { val Name s 'v' } }",
        L"HKCR { val Name = s 'v' }",
        L"HKCR { = s 'v' }",
        L"HKCR { '' }",
        L"HKCR { Key } }",
        L"{ Key }",
        L"HKXX { Key }",
        L"'HKCR' { Key }",
        L"HKCR { Good } HKXX { Bad }",
    };
    for (const wchar_t* script : scripts) {
        MemoryRegistry registry;
        EXPECT_EQ(DISP_E_EXCEPTION, RunScript(registry, script, true)) << testing::PrintToString(std::wstring(script));
        EXPECT_EQ(DISP_E_EXCEPTION, RunScript(registry, script, false)) << testing::PrintToString(std::wstring(script));
        EXPECT_TRUE(registry.Log().empty()) << testing::PrintToString(std::wstring(script));
    }
}

TEST(Registrar, BadPlaceholdersFailWithoutWriting) {
    const wchar_t* const scripts[] = {
        L"HKCR { Key = s '%NOPE%' }",
        L"HKCR { '%APPID' }",
        L"HKCR { Key { val '%A2345678901234567890123456789012%' = s 'v' } }",
    };
    for (const wchar_t* script : scripts) {
        MemoryRegistry registry;
        EXPECT_EQ(E_FAIL, RunScript(registry, script, true)) << testing::PrintToString(std::wstring(script));
        EXPECT_TRUE(registry.Log().empty());
    }
}

TEST(Registrar, FailedRegistrationTakesBackWhatItWrote) {
    MemoryRegistry registry;
    registry.FailOn(MemoryRegistry::Op::SetString, HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL", ERROR_ACCESS_DENIED);

    EXPECT_EQ(static_cast<HRESULT>(0x80070005), RunScript(registry, kAppIdScript, true));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, std::wstring(L"AppID\\") + kGuid));
    EXPECT_FALSE(registry.HasKey(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL"));
    EXPECT_TRUE(registry.HasKey(HKEY_CLASSES_ROOT, L"AppID"));
    EXPECT_EQ(1u, registry.KeyCount());
}

TEST(Registrar, RegistryErrorsBecomeHresults) {
    MemoryRegistry registry;
    registry.FailOn(MemoryRegistry::Op::CreateKey, HKEY_CLASSES_ROOT, L"AppID", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(static_cast<HRESULT>(0x80070008), RunScript(registry, kAppIdScript, true));

    MemoryRegistry removal;
    ASSERT_EQ(S_OK, RunScript(removal, kAppIdScript, true));
    removal.FailOn(MemoryRegistry::Op::DeleteKey, HKEY_CLASSES_ROOT, std::wstring(L"AppID\\") + kGuid,
                   ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), RunScript(removal, kAppIdScript, false));
    // The first failure ends the pass: the later key is still there.
    EXPECT_TRUE(removal.HasKey(HKEY_CLASSES_ROOT, L"AppID\\Vexo.DLL"));
}

}  // namespace

namespace {

// A key nested levels deep under HKCR, one letter a level.
std::wstring NestedScript(int levels) {
    std::wstring script = L"HKCR {";
    for (int i = 0; i < levels; ++i) script += L" K {";
    for (int i = 0; i <= levels; ++i) script += L" }";
    return script;
}

}  // namespace

TEST(Registrar, KeysNestedDeeperThanTheRegistryAllowsWriteNothing) {
    // HKCR counts as the first of the registry's 512 levels.
    MemoryRegistry fits;
    EXPECT_EQ(S_OK, RunScript(fits, NestedScript(511), true));
    EXPECT_FALSE(fits.Log().empty());
    for (int levels : {512, 100000}) {
        MemoryRegistry registry;
        EXPECT_EQ(DISP_E_EXCEPTION, RunScript(registry, NestedScript(levels), true)) << levels;
        EXPECT_EQ(DISP_E_EXCEPTION, RunScript(registry, NestedScript(levels), false)) << levels;
        EXPECT_TRUE(registry.Log().empty()) << levels;
    }
}
