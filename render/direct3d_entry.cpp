#include "render/direct3d_entry.h"

#include <windows.h>

#include "common/slim_lock.h"

namespace zorvel {
namespace {

SRWLOCK g_direct3dLock = SRWLOCK_INIT;
IDirect3D8* g_pSharedDirect3D = nullptr;

}  // namespace

IDirect3D8* AcquireDirect3D() {
    SlimLockGuard lock(&g_direct3dLock);
    if (!g_pSharedDirect3D) g_pSharedDirect3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (g_pSharedDirect3D) g_pSharedDirect3D->AddRef();
    return g_pSharedDirect3D;
}

void ReleaseCachedDirect3D() {
    IDirect3D8* cached = nullptr;
    {
        SlimLockGuard lock(&g_direct3dLock);
        cached = g_pSharedDirect3D;
        g_pSharedDirect3D = nullptr;
    }
    if (cached) cached->Release();
}

}  // namespace zorvel
