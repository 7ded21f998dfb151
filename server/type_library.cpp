#include "server/type_library.h"

#include <oleauto.h>

#include <vector>

#include "common/owners.h"

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
        return RegisterTypeLib(typeLib.get(), fullPath.data(), helpDir.data());
    }

    HRESULT Unregister(const std::wstring& modulePath) override {
        ComPtr<ITypeLib> typeLib;
        std::wstring path;
        RETURN_IF_FAILED(LoadModuleTypeLib(modulePath, typeLib.put(), &path));
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
