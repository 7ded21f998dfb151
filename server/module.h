// The module object: one per loaded library.  Its lock count (common/module.h)
// decides when the library may be unloaded; every live control holds one lock.
#pragma once

#include <windows.h>

#include "common/module.h"

class CVexoModule {
public:
    CVexoModule() = default;
    ~CVexoModule();
    CVexoModule(const CVexoModule&) = delete;
    CVexoModule& operator=(const CVexoModule&) = delete;

    LONG Lock() { return zorvel::LockModule(); }
    LONG Unlock() { return zorvel::UnlockModule(); }
    LONG GetLockCount() const { return zorvel::ModuleLockCount(); }

    // The library's own module handle (the process image when linked into a program).
    HINSTANCE GetModuleInstance() const { return zorvel::ModuleInstance(); }

    // The entry points of the library.
    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
    HRESULT CanUnloadNow() const { return GetLockCount() == 0 ? S_OK : S_FALSE; }
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    // Releases the cached class objects; the library is going away.
    void Term();

private:
    SRWLOCK m_classObjectLock = SRWLOCK_INIT;
};

extern CVexoModule g_module;
