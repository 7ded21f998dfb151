// Registration for the current user alone: the same class, AppID and type
// library entries, written under HKEY_CURRENT_USER\Software\Classes, which
// needs no administrator rights.  DllInstall reaches it with "user".
#pragma once

#include <windows.h>

#include <string>

#include "server/registry.h"
#include "server/type_library.h"

namespace zorvel {

// A view of another store in which HKEY_CLASSES_ROOT is the user's own
// Software\Classes key.  Every other root is refused (ERROR_ACCESS_DENIED),
// so nothing outside that key can be written through it.
class PerUserClassesStore final : public RegistryStore {
public:
    explicit PerUserClassesStore(RegistryStore& inner) : m_inner(inner) {}

    LONG CreateKey(HKEY root, const std::wstring& path) override;
    LONG OpenKey(HKEY root, const std::wstring& path) override;
    LONG SetString(HKEY root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& data) override;
    LONG DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) override;
    LONG DeleteTree(HKEY root, const std::wstring& path) override;
    LONG DeleteKey(HKEY root, const std::wstring& path) override;
    LONG CountSubkeys(HKEY root, const std::wstring& path, DWORD* count) override;

private:
    // False for a root other than HKEY_CLASSES_ROOT.
    static bool Map(HKEY root, const std::wstring& path, std::wstring* mapped);
    RegistryStore& m_inner;
};

// The type library's entries (TypeLib and the Interface keys of its
// automation interfaces) written through a registry store, as the platform's
// registration writes them under HKEY_CLASSES_ROOT.  The platform has no
// per-user form that all versions honour, so the entries are written here.
class StoreTypeLibRegistrar final : public TypeLibRegistrar {
public:
    explicit StoreTypeLibRegistrar(RegistryStore& registry) : m_registry(registry) {}
    HRESULT Register(const std::wstring& modulePath) override;
    HRESULT Unregister(const std::wstring& modulePath) override;

private:
    RegistryStore& m_registry;
};

// What DllInstall does: bInstall registers, otherwise unregisters; cmdLine
// "user" (any case) means the current user, null or empty the machine.
// E_INVALIDARG for any other command line.
HRESULT InstallServer(HMODULE module, BOOL bInstall, const wchar_t* cmdLine);

}  // namespace zorvel
