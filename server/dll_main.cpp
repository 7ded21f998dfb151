// The exported entry points of Zorvel.dll.  Everything they reach lives in
// the static libraries the tests link as well.  No C++ exception may cross
// into the caller: each entry point that can meet one answers with an
// HRESULT instead.
#include <windows.h>
#include <objbase.h>

#include <new>

#include "render/direct3d_entry.h"
#include "render/renderer.h"
#include "server/module.h"
#include "server/per_user_registration.h"

namespace {

template <typename Call>
HRESULT Guarded(Call call) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // Windows keeps a library's window classes after FreeLibrary; a later load
    // at another address would find a class whose procedure is gone.  At
    // process exit (reserved set) there is nothing to tidy.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        zorvel::Renderer::UnregisterControlWindowClass();
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    const HRESULT hr = g_module.CanUnloadNow();
    // The library may go now: drop the shared Direct3D object while it is
    // still safe to call into it (never from DllMain).
    if (hr == S_OK) zorvel::ReleaseCachedDirect3D();
    return hr;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    const HRESULT hr = Guarded([&] { return g_module.GetClassObject(rclsid, riid, ppv); });
    // The statically linked C++ runtime keeps a kernel handle and its
    // exception buffer with every load and gives neither back on unload, so
    // a host that frees unused libraries would lose them on every reload.
    // Once it has handed out an object the library stays for the life of
    // the process; DllCanUnloadNow answers as before, and loads that only
    // register or unregister still go.
    if (SUCCEEDED(hr)) {
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&DllGetClassObject), &self);
    }
    return hr;
}

STDAPI DllRegisterServer() {
    return Guarded([] { return g_module.RegisterServer(); });
}

STDAPI DllUnregisterServer() {
    return Guarded([] { return g_module.UnregisterServer(); });
}

// "regsvr32 /n /i:user" registers for the current user alone (no
// administrator rights needed); "/u /n /i:user" takes that back.
STDAPI DllInstall(BOOL bInstall, LPCWSTR pszCmdLine) {
    return Guarded([&] {
        return zorvel::InstallServer(g_module.GetModuleInstance(), bInstall, pszCmdLine);
    });
}
