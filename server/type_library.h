// The type library of a module: found in the module file itself, or beside
// it as a ".tlb" file, and registered with the platform.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "server/registry.h"

namespace zorvel {

// Full path of a module file.  0x8007007A when it does not fit in 260
// characters with its terminator.
HRESULT GetModulePath(HMODULE module, std::wstring* path);

// The path with its extension (from the last "." after the last "\")
// replaced by ".tlb", or with ".tlb" appended when it has none.
std::wstring TlbPathFor(const std::wstring& path);

// The path up to and including its last "\", "/" or ":".
std::wstring DirectoryOf(const std::wstring& path);

// Loads the type library of the module at modulePath, trying the ".tlb"
// path when the module holds none; loadedFrom receives the path that worked.
HRESULT LoadModuleTypeLib(const std::wstring& modulePath, ITypeLib** typeLib, std::wstring* loadedFrom);

// TypeLib\{LIBID}\major.minor\0\win32 (or win64): the library registered
// for the neutral locale as well as its own.  The automation marshaler and
// LoadRegTypeLib for any other locale look there.
std::wstring NeutralLocaleKey(ITypeLib* typeLib);

// Removes one TypeLib\{LIBID}\major.minor\lcid\platform key, and its locale
// key once no platform is left under it; an absent key is no error.
HRESULT RemovePlatformKey(RegistryStore& registry, const std::wstring& platformKey);

// Type-library registration as the server's registration uses it; tests
// put a fake in its place.
class TypeLibRegistrar {
public:
    virtual ~TypeLibRegistrar() = default;
    virtual HRESULT Register(const std::wstring& modulePath) = 0;
    // Unregisters exactly the version, locale and system kind the library carries.
    virtual HRESULT Unregister(const std::wstring& modulePath) = 0;
};

// The platform's type-library registration.
TypeLibRegistrar& SystemTypeLibRegistrar();

}  // namespace zorvel
