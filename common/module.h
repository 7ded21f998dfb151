// What every part needs of the library it is linked into: its handle, and
// the lock count that keeps it loaded while objects made by it are alive.
#pragma once

#include <windows.h>

namespace zorvel {

// The image this code is part of: Zorvel.dll, or the program that links the
// control's libraries directly.
HINSTANCE ModuleInstance();

LONG LockModule();
LONG UnlockModule();
LONG ModuleLockCount();

}  // namespace zorvel
