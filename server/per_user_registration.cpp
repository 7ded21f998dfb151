#include "server/per_user_registration.h"

#include <oleauto.h>

#include "common/owners.h"
#include "server/server_registration.h"

namespace zorvel {

bool PerUserClassesStore::Map(HKEY root, const std::wstring& path, std::wstring* mapped) {
    if (root != HKEY_CLASSES_ROOT) return false;
    *mapped = path.empty() ? L"Software\\Classes" : L"Software\\Classes\\" + path;
    return true;
}

LONG PerUserClassesStore::CreateKey(HKEY root, const std::wstring& path) {
    std::wstring mapped;
    return Map(root, path, &mapped) ? m_inner.CreateKey(HKEY_CURRENT_USER, mapped) : ERROR_ACCESS_DENIED;
}

LONG PerUserClassesStore::OpenKey(HKEY root, const std::wstring& path) {
    std::wstring mapped;
    return Map(root, path, &mapped) ? m_inner.OpenKey(HKEY_CURRENT_USER, mapped) : ERROR_ACCESS_DENIED;
}

LONG PerUserClassesStore::SetString(HKEY root, const std::wstring& path, const std::wstring& name,
                                    const std::wstring& data) {
    std::wstring mapped;
    return Map(root, path, &mapped) ? m_inner.SetString(HKEY_CURRENT_USER, mapped, name, data)
                                    : ERROR_ACCESS_DENIED;
}

LONG PerUserClassesStore::DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    std::wstring mapped;
    return Map(root, path, &mapped) ? m_inner.DeleteValue(HKEY_CURRENT_USER, mapped, name)
                                    : ERROR_ACCESS_DENIED;
}

LONG PerUserClassesStore::DeleteTree(HKEY root, const std::wstring& path) {
    std::wstring mapped;
    // The whole of Software\Classes is never one of the library's entries.
    if (path.empty() || !Map(root, path, &mapped)) return ERROR_ACCESS_DENIED;
    return m_inner.DeleteTree(HKEY_CURRENT_USER, mapped);
}

LONG PerUserClassesStore::DeleteKey(HKEY root, const std::wstring& path) {
    std::wstring mapped;
    if (path.empty() || !Map(root, path, &mapped)) return ERROR_ACCESS_DENIED;
    return m_inner.DeleteKey(HKEY_CURRENT_USER, mapped);
}

LONG PerUserClassesStore::CountSubkeys(HKEY root, const std::wstring& path, DWORD* count) {
    std::wstring mapped;
    if (!Map(root, path, &mapped)) {
        *count = 0;
        return ERROR_ACCESS_DENIED;
    }
    return m_inner.CountSubkeys(HKEY_CURRENT_USER, mapped, count);
}

namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}

// The marshaler of automation interfaces.
const wchar_t kOleAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

struct TypeLibIdentity {
    std::wstring libKey;      // TypeLib\{LIBID}
    std::wstring versionKey;  // TypeLib\{LIBID}\major.minor
    std::wstring platformKey; // ...\lcid\win32 or win64
    std::wstring version;
};

HRESULT Identify(ITypeLib* typeLib, TypeLibIdentity* id) {
    TLIBATTR* attr = nullptr;
    RETURN_IF_FAILED(typeLib->GetLibAttr(&attr));
    wchar_t version[16];
    wsprintfW(version, L"%x.%x", attr->wMajorVerNum, attr->wMinorVerNum);
    wchar_t lcid[16];
    wsprintfW(lcid, L"%lx", static_cast<unsigned long>(attr->lcid));
    id->version = version;
    id->libKey = L"TypeLib\\" + GuidText(attr->guid);
    id->versionKey = id->libKey + L"\\" + version;
    id->platformKey = id->versionKey + L"\\" + lcid + (attr->syskind == SYS_WIN64 ? L"\\win64" : L"\\win32");
    typeLib->ReleaseTLibAttr(attr);
    return S_OK;
}

// Calls visit(iid, name) for each interface the automation marshaler serves.
template <typename Visit>
HRESULT ForEachAutomationInterface(ITypeLib* typeLib, Visit visit) {
    const UINT count = typeLib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        ComPtr<ITypeInfo> info;
        RETURN_IF_FAILED(typeLib->GetTypeInfo(i, info.put()));
        TYPEATTR* attr = nullptr;
        RETURN_IF_FAILED(info->GetTypeAttr(&attr));
        const bool automation = (attr->typekind == TKIND_INTERFACE || attr->typekind == TKIND_DISPATCH) &&
                                (attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)) != 0;
        const GUID iid = attr->guid;
        info->ReleaseTypeAttr(attr);
        if (!automation) continue;
        UniqueBstr name;
        RETURN_IF_FAILED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr));
        RETURN_IF_FAILED(visit(L"Interface\\" + GuidText(iid), std::wstring(name.get() ? name.get() : L"")));
    }
    return S_OK;
}

HRESULT Write(RegistryStore& registry, const std::wstring& key, const std::wstring& name,
              const std::wstring& data) {
    RETURN_IF_FAILED(HresultFromRegistry(registry.CreateKey(HKEY_CLASSES_ROOT, key)));
    return HresultFromRegistry(registry.SetString(HKEY_CLASSES_ROOT, key, name, data));
}

HRESULT RemoveTree(RegistryStore& registry, const std::wstring& key) {
    const LONG error = registry.DeleteTree(HKEY_CLASSES_ROOT, key);
    return IsAbsent(error) ? S_OK : HresultFromRegistry(error);
}

}  // namespace

HRESULT StoreTypeLibRegistrar::Register(const std::wstring& modulePath) {
    ComPtr<ITypeLib> typeLib;
    std::wstring path;
    RETURN_IF_FAILED(LoadModuleTypeLib(modulePath, typeLib.put(), &path));
    TypeLibIdentity id;
    RETURN_IF_FAILED(Identify(typeLib.get(), &id));
    UniqueBstr doc;
    RETURN_IF_FAILED(typeLib->GetDocumentation(-1, nullptr, doc.put(), nullptr, nullptr));
    const std::wstring libGuid = id.libKey.substr(id.libKey.find(L'{'));

    RETURN_IF_FAILED(Write(m_registry, id.versionKey, L"", doc.get() ? doc.get() : L""));
    RETURN_IF_FAILED(Write(m_registry, id.platformKey, L"", path));
    RETURN_IF_FAILED(Write(m_registry, NeutralLocaleKey(typeLib.get()), L"", path));
    RETURN_IF_FAILED(Write(m_registry, id.versionKey + L"\\FLAGS", L"", L"0"));
    RETURN_IF_FAILED(Write(m_registry, id.versionKey + L"\\HELPDIR", L"", DirectoryOf(path)));
    return ForEachAutomationInterface(typeLib.get(), [&](const std::wstring& key, const std::wstring& name) {
        RETURN_IF_FAILED(Write(m_registry, key, L"", name));
        RETURN_IF_FAILED(Write(m_registry, key + L"\\ProxyStubClsid", L"", kOleAutomationMarshaler));
        RETURN_IF_FAILED(Write(m_registry, key + L"\\ProxyStubClsid32", L"", kOleAutomationMarshaler));
        RETURN_IF_FAILED(Write(m_registry, key + L"\\TypeLib", L"", libGuid));
        return Write(m_registry, key + L"\\TypeLib", L"Version", id.version);
    });
}

HRESULT StoreTypeLibRegistrar::Unregister(const std::wstring& modulePath) {
    ComPtr<ITypeLib> typeLib;
    std::wstring path;
    RETURN_IF_FAILED(LoadModuleTypeLib(modulePath, typeLib.put(), &path));
    TypeLibIdentity id;
    RETURN_IF_FAILED(Identify(typeLib.get(), &id));
    RETURN_IF_FAILED(RemovePlatformKey(m_registry, id.platformKey));
    RETURN_IF_FAILED(RemovePlatformKey(m_registry, NeutralLocaleKey(typeLib.get())));
    // The other bitness may still be registered: what both share goes with
    // the last platform.
    DWORD subkeys = 0;
    const LONG counted = m_registry.CountSubkeys(HKEY_CLASSES_ROOT, id.versionKey, &subkeys);
    if (counted == ERROR_SUCCESS) {
        for (const wchar_t* shared : {L"\\FLAGS", L"\\HELPDIR"})
            if (m_registry.OpenKey(HKEY_CLASSES_ROOT, id.versionKey + shared) == ERROR_SUCCESS) --subkeys;
        if (subkeys != 0) return S_OK;
    }
    RETURN_IF_FAILED(ForEachAutomationInterface(typeLib.get(), [&](const std::wstring& key, const std::wstring&) {
        return RemoveTree(m_registry, key);
    }));
    RETURN_IF_FAILED(RemoveTree(m_registry, id.versionKey));
    // The library's key goes with its last version.
    DWORD versions = 0;
    const LONG error = m_registry.CountSubkeys(HKEY_CLASSES_ROOT, id.libKey, &versions);
    if (IsAbsent(error)) return S_OK;
    RETURN_IF_FAILED(HresultFromRegistry(error));
    return versions == 0 ? RemoveTree(m_registry, id.libKey) : S_OK;
}

HRESULT InstallServer(HMODULE module, BOOL bInstall, const wchar_t* cmdLine) {
    const bool perUser = cmdLine && lstrcmpiW(cmdLine, L"user") == 0;
    if (!perUser && cmdLine && *cmdLine) return E_INVALIDARG;

    ServerRegistration server;
    RETURN_IF_FAILED(DescribeModule(module, &server));
    PerUserClassesStore userClasses(*server.registry);
    StoreTypeLibRegistrar userTypeLibs(userClasses);
    if (perUser) {
        server.registry = &userClasses;
        server.typeLibs = &userTypeLibs;
    }
    return bInstall ? RegisterServer(server) : UnregisterServer(server);
}

}  // namespace zorvel
