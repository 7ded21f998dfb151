// The core's allocations under the fuzzer: a heap as small as a 32-bit
// process's, so that a count which wraps or cannot be allocated fails the way
// it does in the control, plus chosen failures (the n-th allocation from now,
// or all of them).
#pragma once

#include <cstdint>

namespace zorvel_fuzz {

// Allocations above this many bytes are refused.  Large enough for every
// grid the control accepts (30000 points) and its strip scratch.
constexpr uint64_t kHeapLimitBytes = 256 * 1024;

// Installs the hook (once) and clears every chosen failure.
void ResetHeapFaults();
// The allocation `nth` from now (0 is the next one) fails; -1 for none.
void FailAllocation(int nth);
void FailAllAllocations(bool fail);
// True when an allocation was refused for a chosen failure since the last
// call; clears the mark.
bool TakeInjectedFailure();
// True when the hook would let an allocation of this many bytes through,
// leaving chosen failures aside.
inline bool FitsHeap(uint64_t bytes) { return bytes <= kHeapLimitBytes; }

}  // namespace zorvel_fuzz
