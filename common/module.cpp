#include "common/module.h"

// The linker's name for the first byte of the image the code is linked into.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace zorvel {
namespace {

volatile LONG g_lockCount = 0;

}  // namespace

HINSTANCE ModuleInstance() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

LONG LockModule() {
    return InterlockedIncrement(&g_lockCount);
}

LONG UnlockModule() {
    return InterlockedDecrement(&g_lockCount);
}

LONG ModuleLockCount() {
    return g_lockCount;
}

}  // namespace zorvel
