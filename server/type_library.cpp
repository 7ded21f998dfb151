#include "server/type_library.h"

#include <oleauto.h>

#include <vector>

#include "common/owners.h"
#include "server/registry.h"

namespace zorvel {

HRESULT GetModulePath(HMODULE module, std::wstring* path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0) return zorvel::LastErrorResult();
    // A full buffer means the name was cut short.
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    path->assign(buffer, length);
    return S_OK;
}

std::wstring TlbPathFor(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    const size_t dot = path.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + L".tlb";
}

std::wstring DirectoryOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

HRESULT LoadModuleTypeLib(const std::wstring& modulePath, ITypeLib** typeLib, std::wstring* loadedFrom) {
    *typeLib = nullptr;
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, typeLib);
    if (SUCCEEDED(hr)) {
        *loadedFrom = modulePath;
        return hr;
    }
    const std::wstring tlbPath = TlbPathFor(modulePath);
    hr = LoadTypeLibEx(tlbPath.c_str(), REGKIND_NONE, typeLib);
    if (SUCCEEDED(hr)) *loadedFrom = tlbPath;
    return hr;
}

std::wstring NeutralLocaleKey(ITypeLib* typeLib) {
    TLIBATTR* attr = nullptr;
    if (FAILED(typeLib->GetLibAttr(&attr))) return std::wstring();
    wchar_t key[96];
    wchar_t guid[39];
    StringFromGUID2(attr->guid, guid, 39);
    wsprintfW(key, L"TypeLib\\%s\\%x.%x\\0\\%s", guid, attr->wMajorVerNum, attr->wMinorVerNum,
              attr->syskind == SYS_WIN64 ? L"win64" : L"win32");
    typeLib->ReleaseTLibAttr(attr);
    return key;
}

HRESULT RemovePlatformKey(RegistryStore& registry, const std::wstring& platformKey) {
    const LONG error = registry.DeleteTree(HKEY_CLASSES_ROOT, platformKey);
    if (!IsAbsent(error)) RETURN_IF_FAILED(HresultFromRegistry(error));
    const std::wstring localeKey = platformKey.substr(0, platformKey.rfind(L'\\'));
    DWORD platforms = 0;
    if (registry.CountSubkeys(HKEY_CLASSES_ROOT, localeKey, &platforms) != ERROR_SUCCESS || platforms != 0)
        return S_OK;
    const LONG gone = registry.DeleteKey(HKEY_CLASSES_ROOT, localeKey);
    return IsAbsent(gone) ? S_OK : HresultFromRegistry(gone);
}

namespace {

class SystemRegistrar final : public TypeLibRegistrar {
public:
    HRESULT Register(const std::wstring& modulePath) override {
        ComPtr<ITypeLib> typeLib;
        std::wstring path;
        RETURN_IF_FAILED(LoadModuleTypeLib(modulePath, typeLib.put(), &path));
        // RegisterTypeLib takes non-const strings.
        std::vector<wchar_t> fullPath(path.begin(), path.end());
        fullPath.push_back(L'\0');
        const std::wstring directory = DirectoryOf(path);
        std::vector<wchar_t> helpDir(directory.begin(), directory.end());
        helpDir.push_back(L'\0');
        RETURN_IF_FAILED(RegisterTypeLib(typeLib.get(), fullPath.data(), helpDir.data()));
        const std::wstring neutral = NeutralLocaleKey(typeLib.get());
        RegistryStore& registry = SystemRegistry();
        RETURN_IF_FAILED(HresultFromRegistry(registry.CreateKey(HKEY_CLASSES_ROOT, neutral)));
        return HresultFromRegistry(registry.SetString(HKEY_CLASSES_ROOT, neutral, L"", path));
    }

    HRESULT Unregister(const std::wstring& modulePath) override {
        ComPtr<ITypeLib> typeLib;
        std::wstring path;
        RETURN_IF_FAILED(LoadModuleTypeLib(modulePath, typeLib.put(), &path));
        // This bitness's neutral entry first (the other bitness keeps its
        // own): the library's key goes only once it is empty.
        RETURN_IF_FAILED(RemovePlatformKey(SystemRegistry(), NeutralLocaleKey(typeLib.get())));
        TLIBATTR* attr = nullptr;
        RETURN_IF_FAILED(typeLib->GetLibAttr(&attr));
        const HRESULT hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum,
                                             attr->lcid, attr->syskind);
        typeLib->ReleaseTLibAttr(attr);
        return hr;
    }
};

}  // namespace

TypeLibRegistrar& SystemTypeLibRegistrar() {
    static SystemRegistrar registrar;
    return registrar;
}

}  // namespace zorvel
