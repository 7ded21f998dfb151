#include "fuzz/heap_limit.h"

#include "control/surface_grid.h"

namespace zorvel_fuzz {
namespace {

uint64_t g_limit = kLargeHeapBytes;
int g_failIn = -1;
bool g_failAll = false;
bool g_injected = false;

bool Allow(uint64_t bytes)
{
    if (!FitsHeap(bytes))
        return false;
    if (g_failAll || (g_failIn >= 0 && g_failIn-- == 0)) {
        g_injected = true;
        return false;
    }
    return true;
}

}  // namespace

void ResetHeapFaults()
{
    zorvel::SetAllocationHook(&Allow);
    g_failIn = -1;
    g_failAll = false;
    g_injected = false;
}

void SetHeapLimit(uint64_t bytes)
{
    g_limit = bytes;
}

bool FitsHeap(uint64_t bytes)
{
    return bytes <= g_limit;
}

void FailAllocation(int nth)
{
    g_failIn = nth < 0 ? -1 : nth;
}

void FailAllAllocations(bool fail)
{
    g_failAll = fail;
}

bool TakeInjectedFailure()
{
    const bool injected = g_injected;
    g_injected = false;
    return injected;
}

}  // namespace zorvel_fuzz
