// What the fuzzers under Wine share: a seeded generator, the number of cases
// (small in the suite, large when scripts/fuzz sets ZORVEL_FUZZ_CASES), and
// a summary line per fuzzer for the reliability figures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "support/environment_number.h"
#include "support/quiet_stdout.h"

namespace fuzz_test {

// splitmix64: the same seed gives the same cases on every run.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}

    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t U32() { return static_cast<uint32_t>(Next()); }
    // 0 .. n - 1.
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(Next() % n); }
    bool Percent(uint32_t p) { return Below(100) < p; }
    template <typename T, size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(static_cast<uint32_t>(N))]; }

private:
    uint64_t m_state;
};

using zorvel_test::EnvironmentNumber;

// ZORVEL_FUZZ_CASES sets every fuzzer's count at once.
inline uint64_t CaseCount(uint64_t suiteCount)
{
    return EnvironmentNumber("ZORVEL_FUZZ_CASES", suiteCount);
}

inline uint64_t Seed()
{
    return EnvironmentNumber("ZORVEL_FUZZ_SEED", 1);
}

// ZORVEL_FUZZ_VERBOSE=1: each case is described on stderr before it runs,
// so that the last line before a crash names it.
inline bool Verbose()
{
    static const bool verbose = EnvironmentNumber("ZORVEL_FUZZ_VERBOSE", 0) != 0;
    return verbose;
}

// During a fuzzed call what the scripts print goes nowhere, so that the
// test's own output stays readable.  Set ZORVEL_FUZZ_VERBOSE to see it.
class QuietStdout : public zorvel_test::QuietStdout {
public:
    QuietStdout() : zorvel_test::QuietStdout(!Verbose()) {}
};

// A case that runs for minutes is a hang.  The watch names it and ends the
// process, as libFuzzer's -timeout does natively, so that a large run stops
// with the case that hung instead of running on until someone looks.
class HangWatch {
public:
    explicit HangWatch(const char* fuzzer, DWORD limitSeconds = 300)
        : m_fuzzer(fuzzer), m_limit(limitSeconds * 1000)
    {
        m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_started = static_cast<LONG>(GetTickCount());
        if (m_stop)
            m_thread = CreateThread(nullptr, 0, &HangWatch::Watch, this, 0, nullptr);
    }
    ~HangWatch()
    {
        if (m_thread) {
            SetEvent(m_stop);
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
        }
        if (m_stop)
            CloseHandle(m_stop);
    }
    HangWatch(const HangWatch&) = delete;
    HangWatch& operator=(const HangWatch&) = delete;

    // Called as each case starts.
    void Case(uint64_t index)
    {
        InterlockedExchange(&m_case, static_cast<LONG>(index));
        InterlockedExchange(&m_started, static_cast<LONG>(GetTickCount()));
    }

private:
    static DWORD WINAPI Watch(void* context)
    {
        HangWatch* self = static_cast<HangWatch*>(context);
        while (WaitForSingleObject(self->m_stop, 1000) == WAIT_TIMEOUT) {
            const DWORD started = static_cast<DWORD>(InterlockedCompareExchange(&self->m_started, 0, 0));
            if (GetTickCount() - started > self->m_limit) {
                std::fprintf(stderr, "fuzz-hang: %s case %ld ran for over %lu s\n", self->m_fuzzer,
                             static_cast<long>(InterlockedCompareExchange(&self->m_case, 0, 0)),
                             static_cast<unsigned long>(self->m_limit / 1000));
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
        return 0;
    }

    const char* m_fuzzer;
    DWORD m_limit;
    HANDLE m_stop = nullptr;
    HANDLE m_thread = nullptr;
    volatile LONG m_case = 0;
    volatile LONG m_started = 0;  // tick count at the start of the case
};

// One line per fuzzer, read by scripts/fuzz for the figures.
inline void Report(const char* fuzzer, uint64_t cases, uint64_t seed, const std::string& detail)
{
    std::printf("fuzz-figures: %s cases=%llu seed=%llu %s\n", fuzzer,
                static_cast<unsigned long long>(cases), static_cast<unsigned long long>(seed),
                detail.c_str());
    std::fflush(stdout);
}

// The same line with the detail as name=count pairs.
inline void Report(const char* fuzzer, uint64_t cases, uint64_t seed, const std::map<std::string, uint64_t>& tally)
{
    std::string detail;
    for (const auto& entry : tally)
        detail += entry.first + "=" + std::to_string(entry.second) + " ";
    Report(fuzzer, cases, seed, detail);
}

}  // namespace fuzz_test
