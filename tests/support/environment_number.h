// Counts and seeds that a long run sets in the environment and the suite
// leaves at its own small values.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>

namespace zorvel_test {

// The number in the environment variable `name`, or fallback when it is not set.
inline uint64_t EnvironmentNumber(const char* name, uint64_t fallback)
{
    char value[64];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    if (n == 0 || n >= sizeof value)
        return fallback;
    return std::strtoull(value, nullptr, 10);
}

}  // namespace zorvel_test
