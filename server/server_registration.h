// Self-registration of the library: the AppID entries from the registrar
// script, the entries of each class in the object map, the type library.
#pragma once

#include <windows.h>

#include <string>

#include "server/registry.h"
#include "server/type_library.h"

namespace zorvel {

// Resource of the AppID registrar script.
constexpr UINT kAppIdScriptResource = 101;

// What registration needs to know about the module and the platform.
struct ServerRegistration {
    RegistryStore* registry = nullptr;
    TypeLibRegistrar* typeLibs = nullptr;
    std::wstring appIdScript;
    std::wstring modulePath;
    // %Module% is quoted only for the image of the process.
    bool moduleIsProcessImage = false;
    // LocalServer32 instead of InprocServer32.
    bool moduleIsExecutable = false;
};

// Both run with the thread locale set to the system default and restore the
// caller's locale on every path.  The first failing step ends the operation.
//
// Registration: AppID script, class entries, type library.  A failure
// inside the AppID script takes back what the script wrote.
HRESULT RegisterServer(const ServerRegistration& server);
// Unregistration: class entries, type library, AppID script.
HRESULT UnregisterServer(const ServerRegistration& server);

// The registration of a loaded module: its path, its REGISTRY resource, the
// system registry and the platform's type-library registration.
HRESULT DescribeModule(HMODULE module, ServerRegistration* server);

// The text of a "REGISTRY" resource of a module.
HRESULT LoadRegistrarScript(HMODULE module, UINT id, std::wstring* script);

}  // namespace zorvel
