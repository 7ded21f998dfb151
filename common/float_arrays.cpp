#include "common/float_arrays.h"

#include <cstdlib>

namespace zorvel {
namespace {

AllocationHook g_allocationHook = nullptr;

}  // namespace

AllocationHook SetAllocationHook(AllocationHook hook)
{
    const AllocationHook previous = g_allocationHook;
    g_allocationHook = hook;
    return previous;
}

float* AllocateFloats(uint64_t count)
{
    constexpr uint64_t kMaxBytes = 0xFFFFFFFFu;
    if (count == 0 || count > kMaxBytes / sizeof(float))
        return nullptr;
    const uint64_t bytes = count * sizeof(float);
    if (g_allocationHook && !g_allocationHook(bytes))
        return nullptr;
    return static_cast<float*>(std::malloc(static_cast<size_t>(bytes)));
}

void FreeFloats(float* values)
{
    std::free(values);
}

}  // namespace zorvel
