// What every part needs of the library it is linked into: its handle, and
// the lock count that keeps it loaded while objects made by it are alive.
#pragma once

#include <windows.h>

// The linker's name for the first byte of the image the code is linked into.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace zorvel {

// Zorvel.dll, or the program that links the control's libraries directly.
inline HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

inline volatile LONG g_moduleLockCount = 0;
inline LONG LockModule() { return InterlockedIncrement(&g_moduleLockCount); }
inline LONG UnlockModule() { return InterlockedDecrement(&g_moduleLockCount); }
inline LONG ModuleLockCount() { return g_moduleLockCount; }

}  // namespace zorvel
