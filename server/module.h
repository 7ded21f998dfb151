// The module object: one per loaded library.  Its lock count decides when the
// library may be unloaded; every live control holds one lock.
#pragma once

#include <windows.h>

class CVexoModule {
public:
    CVexoModule();
    ~CVexoModule();
    CVexoModule(const CVexoModule&) = delete;
    CVexoModule& operator=(const CVexoModule&) = delete;

    LONG Lock() { return InterlockedIncrement(&m_nLockCnt); }
    LONG Unlock() { return InterlockedDecrement(&m_nLockCnt); }
    LONG GetLockCount() const { return m_nLockCnt; }

    // The library's own module handle (the process image when linked into a program).
    HINSTANCE GetModuleInstance() const { return m_hInstance; }
    void SetModuleInstance(HINSTANCE hInstance) { m_hInstance = hInstance; }

    bool InitFailed() const { return m_bInitFailed; }
    CRITICAL_SECTION& ClassObjectLock() { return m_csClassObject; }

    // The entry points of the library.
    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
    HRESULT CanUnloadNow() const { return m_nLockCnt == 0 ? S_OK : S_FALSE; }
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    // Releases the cached class objects; the library is going away.
    void Term();

private:
    volatile LONG m_nLockCnt = 0;
    HINSTANCE m_hInstance = nullptr;
    bool m_bInitFailed = false;
    CRITICAL_SECTION m_csClassObject;
};

extern CVexoModule g_module;
