// The core's allocations under the fuzzer: a heap as small as a 32-bit
// process's, so that a count which wraps or cannot be allocated fails the way
// it does in the control, plus chosen failures (the n-th allocation from now,
// or all of them).
#pragma once

#include <cstdint>

namespace zorvel_fuzz {

// Allocations above the limit are refused.  The large limit holds every grid
// the control accepts (30000 points) with its strip scratch; the small one
// keeps most cases cheap, so that a million of them fit in an hour.
constexpr uint64_t kLargeHeapBytes = 256 * 1024;
constexpr uint64_t kSmallHeapBytes = 8 * 1024;

// Sets the limit for the case at hand.
void SetHeapLimit(uint64_t bytes);

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
bool FitsHeap(uint64_t bytes);

}  // namespace zorvel_fuzz
