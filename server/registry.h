// The registry as self-registration sees it: a handful of operations on keys
// named by a root and a path.  The key tree and the registrar script are
// written against this interface, so they run on the real registry and, in
// tests, on one kept in memory.
#pragma once

#include <windows.h>

#include <string>

namespace zorvel {

class RegistryStore {
public:
    virtual ~RegistryStore() = default;

    // Every operation returns a system error code (ERROR_SUCCESS,
    // ERROR_FILE_NOT_FOUND, ...).  An empty value name is the default value.

    // Opens root\path, creating it and any missing parent.
    virtual LONG CreateKey(HKEY root, const std::wstring& path) = 0;
    // ERROR_SUCCESS when root\path exists.
    virtual LONG OpenKey(HKEY root, const std::wstring& path) = 0;
    // Writes a REG_SZ value into an existing key.
    virtual LONG SetString(HKEY root, const std::wstring& path, const std::wstring& name,
                           const std::wstring& data) = 0;
    virtual LONG DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) = 0;
    // Deletes root\path with all its subkeys and values.
    virtual LONG DeleteTree(HKEY root, const std::wstring& path) = 0;
    // Deletes root\path, which must have no subkeys.
    virtual LONG DeleteKey(HKEY root, const std::wstring& path) = 0;
    virtual LONG CountSubkeys(HKEY root, const std::wstring& path, DWORD* count) = 0;
};

// The process's own registry.
RegistryStore& SystemRegistry();

// 0x8007xxxx for a failing system error code, S_OK for ERROR_SUCCESS.
inline HRESULT HresultFromRegistry(LONG error) {
    return error == ERROR_SUCCESS
               ? S_OK
               : static_cast<HRESULT>(0x80070000u | (static_cast<ULONG>(error) & 0xFFFFu));
}

// Removal treats a key or value that is already gone as done.
inline bool IsAbsent(LONG error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace zorvel
