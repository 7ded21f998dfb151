#include "server/server_registration.h"

#include <objbase.h>
#include <shellapi.h>

#include "server/object_map.h"
#include "common/owners.h"
#include "server/registrar.h"
#include "zorvel_h.h"

namespace zorvel {
namespace {

// The library's AppID is the GUID of its type library.
const GUID& AppIdGuid() {
    return LIBID_Vexo;
}

std::wstring GuidString(const GUID& guid) {
    wchar_t text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}

// Registry data is written with the system's locale, whatever the caller's thread uses.
class SystemLocaleScope {
public:
    SystemLocaleScope() : m_saved(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(m_saved); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    const LCID m_saved;
};

void AddModuleReplacements(const ServerRegistration& server, Replacements* replacements) {
    const std::wstring& path = server.modulePath;
    replacements->Add(L"Module", server.moduleIsProcessImage ? L"\"" + path + L"\"" : path);
    replacements->Add(L"Module_Raw", path);
}

Replacements AppIdReplacements(const ServerRegistration& server) {
    Replacements replacements;
    replacements.Add(L"APPID", GuidString(AppIdGuid()));
    AddModuleReplacements(server, &replacements);
    return replacements;
}

Replacements ClassReplacements(const ServerRegistration& server) {
    Replacements replacements;
    AddModuleReplacements(server, &replacements);
    replacements.Add(L"MODULEGUID", GuidString(LIBID_Vexo));
    replacements.Add(L"MODULETYPE", server.moduleIsExecutable ? L"LocalServer32" : L"InprocServer32");
    replacements.Add(L"APPID", GuidString(AppIdGuid()));
    return replacements;
}

HRESULT UpdateClasses(const ServerRegistration& server, bool bRegister) {
    const Replacements replacements = ClassReplacements(server);
    for (size_t i = 0; i < g_objectMapSize; ++i)
        RETURN_IF_FAILED(g_objectMap[i].updateRegistry(*server.registry, replacements, bRegister));
    return S_OK;
}

}  // namespace

HRESULT RegisterServer(const ServerRegistration& server) {
    SystemLocaleScope locale;
    RETURN_IF_FAILED(RunRegistrarScript(*server.registry, server.appIdScript, AppIdReplacements(server), true));
    RETURN_IF_FAILED(UpdateClasses(server, true));
    return server.typeLibs->Register(server.modulePath);
}

HRESULT UnregisterServer(const ServerRegistration& server) {
    SystemLocaleScope locale;
    RETURN_IF_FAILED(UpdateClasses(server, false));
    RETURN_IF_FAILED(server.typeLibs->Unregister(server.modulePath));
    return RunRegistrarScript(*server.registry, server.appIdScript, AppIdReplacements(server), false);
}

HRESULT LoadRegistrarScript(HMODULE module, UINT id, std::wstring* script) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!resource) return zorvel::LastErrorResult();
    HGLOBAL loaded = LoadResource(module, resource);
    const DWORD size = SizeofResource(module, resource);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes) return zorvel::LastErrorResult();
    script->clear();
    if (size == 0) return S_OK;
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return zorvel::LastErrorResult();
    script->resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), &(*script)[0], length);
    return S_OK;
}

HRESULT DescribeModule(HMODULE module, ServerRegistration* server) {
    server->registry = &SystemRegistry();
    server->typeLibs = &SystemTypeLibRegistrar();
    RETURN_IF_FAILED(GetModulePath(module, &server->modulePath));
    RETURN_IF_FAILED(LoadRegistrarScript(module, kAppIdScriptResource, &server->appIdScript));
    server->moduleIsProcessImage = module == GetModuleHandleW(nullptr);
    // The shell's executable-type query answers 0 for anything but a program.
    server->moduleIsExecutable =
        SHGetFileInfoW(server->modulePath.c_str(), 0, nullptr, 0, SHGFI_EXETYPE) != 0;
    return S_OK;
}

}  // namespace zorvel
