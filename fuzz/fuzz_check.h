// A broken property ends the fuzzer like a crash, so the input that broke it
// is kept and can be replayed.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace zorvel_fuzz {

[[noreturn]] inline void CheckFailed(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace zorvel_fuzz

#define FUZZ_CHECK(condition)                                                      \
    do {                                                                           \
        if (!(condition))                                                          \
            ::zorvel_fuzz::CheckFailed(__FILE__, __LINE__, #condition);            \
    } while (0)
