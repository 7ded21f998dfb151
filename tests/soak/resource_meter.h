// What a soak test watches of its own process: memory, kernel handles, GDI
// and USER objects, thread-local storage slots and the files in the
// temporary directory.
//
// Each figure comes from the documented call where there is one
// (GetProcessMemoryInfo, VirtualQuery, HeapWalk, GetProcessHandleCount,
// GetGuiResources, GetTempPath).  Where the platform answers such a call with
// 0 - Wine 8 does for the handle count and both GUI counts - the figure comes
// from the next best source, named by Sources(): the system's handle table
// for the handles, the process's GDI handle table for the GDI objects, and
// the process's windows for the USER objects.  The TLS slots in use are the
// set bits of the process's two TLS bitmaps, read without taking a slot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace soak_test {

struct ResourceSample {
    uint64_t workingSetBytes = 0;
    uint64_t pagefileBytes = 0;  // the system's PagefileUsage (PrivateUsage) figure
    uint64_t privateBytes = 0;   // committed private pages of the address space
    uint64_t heapBytes = 0;      // bytes in use in all of the process's heaps
    uint64_t handles = 0;
    uint64_t gdiObjects = 0;
    uint64_t userObjects = 0;
    uint64_t tlsSlots = 0;       // TLS indexes in use
    uint64_t tempFiles = 0;      // entries of the temporary directory

    // "private=... pagefile=... ..." in a fixed order, for the logs.
    std::string Text() const;
};

ResourceSample Measure();

// Where each figure came from in the last Measure().
std::string Sources();

}  // namespace soak_test
