// The exported entry points of Zorvel.dll.  Everything they reach lives in
// the static library the tests link as well.
#include <windows.h>
#include <objbase.h>

#include "server/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module.SetModuleInstance(hInstance);
        if (g_module.InitFailed()) return FALSE;
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return g_module.CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    return g_module.GetClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer() {
    return g_module.RegisterServer();
}

STDAPI DllUnregisterServer() {
    return g_module.UnregisterServer();
}
