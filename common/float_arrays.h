// Every float array of the grid and the mesh comes from here (the general
// heap), so that a test can refuse chosen allocations.
#pragma once

#include <cstdint>

namespace zorvel {

// The hook sees each byte size and returns false to make that allocation
// fail.  Returns the previous hook.
using AllocationHook = bool (*)(uint64_t byteCount);
AllocationHook SetAllocationHook(AllocationHook hook);

// Null for a count of 0, for a byte size that does not fit 32 bits, when the
// hook refuses, or when the heap is exhausted.
float* AllocateFloats(uint64_t count);
void FreeFloats(float* values);

}  // namespace zorvel
