// The registrar-script reader on fuzzed scripts, run against a registry kept
// in memory that fails one chosen call.  Scripts come as raw UTF-16 text or
// as sequences of the script's own words (roots, braces, NoRemove,
// ForceRemove, val, quoted names, replacement variables good and bad).
//
// Properties: the result is one the registrar documents; a script that does
// not parse writes nothing; registering a script twice leaves what once
// does; and for scripts without NoRemove keys and without paths inside names,
// unregistration - and the clean-up after a registration that failed part
// way - leaves the registry empty.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "server/registrar.h"
#include "tests/server/memory_registry.h"

namespace {

using zorvel_fuzz::FuzzInput;

// Forwards to the memory registry; call number `failAt` answers `error`.
class FailingRegistry final : public zorvel::RegistryStore {
public:
    explicit FailingRegistry(zorvel_test::MemoryRegistry& inner) : m_inner(inner) {}

    void FailCall(int failAt, LONG error)
    {
        m_failAt = failAt;
        m_error = error;
        m_failed = false;
    }
    bool Failed() const { return m_failed; }

    LONG CreateKey(HKEY root, const std::wstring& path) override
    {
        return Fail() ? m_error : m_inner.CreateKey(root, path);
    }
    LONG OpenKey(HKEY root, const std::wstring& path) override
    {
        return Fail() ? m_error : m_inner.OpenKey(root, path);
    }
    LONG SetString(HKEY root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& data) override
    {
        return Fail() ? m_error : m_inner.SetString(root, path, name, data);
    }
    LONG DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) override
    {
        return Fail() ? m_error : m_inner.DeleteValue(root, path, name);
    }
    LONG DeleteTree(HKEY root, const std::wstring& path) override
    {
        return Fail() ? m_error : m_inner.DeleteTree(root, path);
    }
    LONG DeleteKey(HKEY root, const std::wstring& path) override
    {
        return Fail() ? m_error : m_inner.DeleteKey(root, path);
    }
    LONG CountSubkeys(HKEY root, const std::wstring& path, DWORD* count) override
    {
        if (Fail()) {
            *count = 0;
            return m_error;
        }
        return m_inner.CountSubkeys(root, path, count);
    }

private:
    bool Fail()
    {
        if (m_failAt < 0 || m_failAt-- != 0)
            return false;
        m_failed = true;
        return true;
    }

    zorvel_test::MemoryRegistry& m_inner;
    int m_failAt = -1;
    LONG m_error = ERROR_SUCCESS;
    bool m_failed = false;
};

const wchar_t* const kWords[] = {
    L"HKCR", L"HKEY_CLASSES_ROOT", L"HKCU", L"HKEY_CURRENT_USER", L"HKLM", L"HKEY_LOCAL_MACHINE",
    L"HKU", L"HKEY_USERS", L"HKPD", L"HKDD", L"HKCC", L"hkcr", L"HKXX", L"'HKCR'",
    L"{", L"}", L"{", L"}", L"=", L"s", L"S", L"d", L"val", L"VAL", L"NoRemove", L"ForceRemove",
    L"noremove", L"Delete", L"a", L"b", L"AppID", L"CLSID", L"Vexo.DLL", L"'a'", L"'b'",
    L"'Vexo'", L"'%APPID%'", L"'%MODULE%'", L"'%Module_Raw%'", L"%APPID%", L"'%%'", L"'%'",
    L"'%UNDEFINED%'", L"'%ABCDEFGHIJKLMNOPQRSTUVWXYZABCDE%'", L"'%ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF%'",
    L"''", L"'it''s'", L"'a\\b'", L"'\\'", L"'x y'", L"'{'", L"'}'", L"'='", L"'unterminated",
    L"'%STRUCTURE%'", L"%", L"%%",
};
const wchar_t* const kSpaces[] = {L" ", L"\t", L"\r\n", L"\n", L""};

std::wstring WordScript(FuzzInput& in)
{
    std::wstring script;
    while (!in.Empty()) {
        const uint8_t pick = in.Byte();
        if (pick < 240) {
            script += kWords[pick % (sizeof(kWords) / sizeof(kWords[0]))];
        } else {
            // A character of any kind: controls, zero, surrogates, the top of the range.
            const uint32_t c = in.Byte() | (static_cast<uint32_t>(in.Byte()) << 8);
            script += static_cast<wchar_t>(c);
        }
        script += kSpaces[in.Below(5)];
    }
    return script;
}

// One byte is one character, so that the script's words can be spelled in
// the input; 0xFF takes the next two bytes as any UTF-16 unit.
std::wstring RawScript(FuzzInput& in)
{
    std::wstring script;
    while (!in.Empty()) {
        const uint8_t byte = in.Byte();
        if (byte != 0xFF) {
            script += static_cast<wchar_t>(byte);
            continue;
        }
        const uint32_t c = in.Byte() | (static_cast<uint32_t>(in.Byte()) << 8);
        script += static_cast<wchar_t>(c);
    }
    return script;
}

bool Contains(const std::wstring& text, const wchar_t* word)
{
    std::wstring lower;
    for (wchar_t c : text)
        lower += static_cast<wchar_t>(towlower(c));
    return lower.find(word) != std::wstring::npos;
}

bool IsRegistryFailure(HRESULT hr)
{
    return (static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x80070000u;
}

const LONG kErrors[] = {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
                        ERROR_OUTOFMEMORY, ERROR_CANTWRITE, ERROR_KEY_DELETED};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const uint8_t mode = in.Byte();
    const bool inject = (mode & 2) != 0;
    const int failAt = in.Below(32);
    const LONG error = kErrors[in.Below(sizeof(kErrors) / sizeof(kErrors[0]))];

    zorvel::Replacements replacements;
    replacements.Add(L"APPID", L"{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}");
    replacements.Add(L"Module", L"C:\\Program Files\\Vexo\\Zorvel.dll");
    replacements.Add(L"Module_Raw", L"C:\\Program Files\\Vexo\\Zorvel.dll");
    // A value that looks like script: expansion must not change the structure.
    replacements.Add(L"STRUCTURE", L"' } HKLM { 'evil' ");

    const std::wstring script = (mode & 1) ? RawScript(in) : WordScript(in);
    // Names that hold a path, or keys that stay, take the registry away from
    // empty for good reasons; the emptiness checks leave such scripts out.
    const bool leavesNothing = !Contains(script, L"noremove") &&
                               script.find(L'\\') == std::wstring::npos &&
                               script.find(L'%') == std::wstring::npos;

    zorvel_test::MemoryRegistry memory;
    FailingRegistry registry(memory);
    if (inject)
        registry.FailCall(failAt, error);

    const HRESULT registered = zorvel::RunRegistrarScript(registry, script, replacements, true);
    const bool failedInRegistration = registry.Failed();
    FUZZ_CHECK(registered == S_OK || registered == DISP_E_EXCEPTION || registered == E_FAIL ||
               IsRegistryFailure(registered));
    if (registered == DISP_E_EXCEPTION || registered == E_FAIL) {
        // Refused before anything was written.
        FUZZ_CHECK(memory.Log().empty());
        FUZZ_CHECK(memory.KeyCount() == 0);
        FUZZ_CHECK(!failedInRegistration);
        return 0;
    }
    if (IsRegistryFailure(registered)) {
        FUZZ_CHECK(failedInRegistration);
        FUZZ_CHECK(registered == zorvel::HresultFromRegistry(error));
        // The one failing call was spent: the clean-up pass took back everything.
        if (leavesNothing)
            FUZZ_CHECK(memory.KeyCount() == 0);
        return 0;
    }

    // Registered, so a failure that fired was one the registrar may take for
    // an absent key: a ForceRemove tree "not found" stays where it is, and
    // the next registration removes it.  Any other error must have stopped it.
    registry.FailCall(-1, ERROR_SUCCESS);
    if (failedInRegistration) {
        FUZZ_CHECK(zorvel::IsAbsent(error));
        FUZZ_CHECK(zorvel::RunRegistrarScript(registry, script, replacements, true) == S_OK);
    }
    // Once more, with nothing failing: the same keys.
    const size_t keys = memory.KeyCount();
    FUZZ_CHECK(zorvel::RunRegistrarScript(registry, script, replacements, true) == S_OK);
    FUZZ_CHECK(memory.KeyCount() == keys);

    if (inject && !failedInRegistration)
        registry.FailCall(in.Below(8), error);
    const HRESULT unregistered = zorvel::RunRegistrarScript(registry, script, replacements, false);
    if (registry.Failed()) {
        FUZZ_CHECK(unregistered == S_OK || unregistered == zorvel::HresultFromRegistry(error));
        return 0;
    }
    FUZZ_CHECK(unregistered == S_OK);
    if (leavesNothing)
        FUZZ_CHECK(memory.KeyCount() == 0);
    return 0;
}
