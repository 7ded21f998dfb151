// Operation sequences on the grid model: sizes from the control's point-count
// rule (negative, huge and wrapping counts included), raw sizes, scene
// rebuilds, ranges with NaN and infinite bounds, point writes inside and
// outside the grid, and allocations that fail on chosen calls.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "fuzz/grid_operations.h"
#include "fuzz/heap_limit.h"

// Each operation costs at most a few passes over a grid the heap limit keeps
// small; a bound on their number keeps every case short.
constexpr int kMaxOperations = 128;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zorvel_fuzz::ResetHeapFaults();
    zorvel_fuzz::FuzzInput in(data, size);
    zorvel_fuzz::SetHeapLimit(in.Below(16) == 0 ? zorvel_fuzz::kLargeHeapBytes : zorvel_fuzz::kSmallHeapBytes);
    {
        zorvel_fuzz::GridUnderTest test;
        zorvel_fuzz::CheckGridInvariants(test.grid);
        for (int i = 0; i < kMaxOperations && !in.Empty(); ++i)
            zorvel_fuzz::ApplyGridOperation(in, test);
    }
    zorvel_fuzz::ResetHeapFaults();
    return 0;
}
