// One Direct3D 8 entry object shared by every control in the process.
// Creating one costs hundreds of milliseconds on some drivers (adapter
// enumeration); a host with many controls, or one that creates and releases
// controls often, pays it once.
#pragma once

#include <d3d8.h>

namespace zorvel {

// A new reference to the shared object, created on first use; null when
// Direct3D 8 is not available (the next call tries again).
IDirect3D8* AcquireDirect3D();

// Drops the process's cached reference; called when the library is about to
// be unloaded and no control is alive.
void ReleaseCachedDirect3D();

}  // namespace zorvel
