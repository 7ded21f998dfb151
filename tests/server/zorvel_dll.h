// The built Zorvel.dll, loaded into the test process with its five entry
// points.  ZORVEL_DLL_PATH comes from tests/server.cmake.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

namespace zorvel_test {

inline const wchar_t* ZorvelDllPath() {
    return L"" ZORVEL_DLL_PATH;
}

class ZorvelDll {
public:
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using NoArgumentFn = HRESULT(STDAPICALLTYPE*)();

    ZorvelDll() : m_module(LoadLibraryW(ZorvelDllPath())) {
        if (!m_module) return;
        GetClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(m_module, "DllGetClassObject"));
        CanUnloadNow = reinterpret_cast<NoArgumentFn>(GetProcAddress(m_module, "DllCanUnloadNow"));
        RegisterServer = reinterpret_cast<NoArgumentFn>(GetProcAddress(m_module, "DllRegisterServer"));
        UnregisterServer = reinterpret_cast<NoArgumentFn>(GetProcAddress(m_module, "DllUnregisterServer"));
    }
    ~ZorvelDll() {
        if (m_module) FreeLibrary(m_module);
    }
    ZorvelDll(const ZorvelDll&) = delete;
    ZorvelDll& operator=(const ZorvelDll&) = delete;

    bool Loaded() const {
        return m_module && GetClassObject && CanUnloadNow && RegisterServer && UnregisterServer;
    }
    HMODULE Module() const { return m_module; }

    // The path as the loader reports it (what registration writes).
    std::wstring Path() const {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(m_module, path, MAX_PATH);
        return path;
    }

    GetClassObjectFn GetClassObject = nullptr;
    NoArgumentFn CanUnloadNow = nullptr;
    NoArgumentFn RegisterServer = nullptr;
    NoArgumentFn UnregisterServer = nullptr;

private:
    HMODULE m_module;
};

}  // namespace zorvel_test
