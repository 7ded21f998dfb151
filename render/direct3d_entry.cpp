#include "render/direct3d_entry.h"

#include <windows.h>

namespace zorvel {
namespace {

// A slim lock needs no handle and no clean-up, so nothing of it outlives
// the library when a host unloads it (a std::mutex of this runtime makes a
// kernel object on first use that is never closed).
SRWLOCK g_direct3dLock = SRWLOCK_INIT;
IDirect3D8* g_pSharedDirect3D = nullptr;

class LockGuard {
public:
    explicit LockGuard(SRWLOCK* lock) : m_lock(lock) { AcquireSRWLockExclusive(m_lock); }
    ~LockGuard() { ReleaseSRWLockExclusive(m_lock); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    SRWLOCK* m_lock;
};

}  // namespace

IDirect3D8* AcquireDirect3D() {
    LockGuard lock(&g_direct3dLock);
    if (!g_pSharedDirect3D) g_pSharedDirect3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (g_pSharedDirect3D) g_pSharedDirect3D->AddRef();
    return g_pSharedDirect3D;
}

void ReleaseCachedDirect3D() {
    IDirect3D8* cached = nullptr;
    {
        LockGuard lock(&g_direct3dLock);
        cached = g_pSharedDirect3D;
        g_pSharedDirect3D = nullptr;
    }
    if (cached) cached->Release();
}

}  // namespace zorvel
