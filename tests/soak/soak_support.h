// What the soak tests share: their counts, a message pump that leaves the
// ticks to the tests, a host window, script calls whose printing stays off
// the log, and the sampler that reports and checks the figures.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "hosts/container/control_host.h"
#include "resource_meter.h"
#include "common/owners.h"
#include "zorvel_h.h"

namespace soak_test {

// The count named in the environment, or the suite's own.
uint64_t Count(const char* name, uint64_t suiteCount);

bool RunningOnWine();

// Handles the waiting messages, except WM_TIMER: the tests deliver the
// ticks they count, and a 10 ms timer that draws would never let a pump end.
void Pump();

// A shown top-level window to place controls in.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND get() const { return m_window; }

private:
    HWND m_window = nullptr;
};

// The registered control placed in parent at position and drawn once.
HRESULT PlaceAndDraw(zorvel::host::ControlHost& host, HWND parent, const RECT& position);

zorvel::ComPtr<ISurface> SurfaceOf(IUnknown* control);

// RunScript with the script's printing kept off standard output; the
// Result text is put in result.
HRESULT RunScript(ISurface* surface, const std::wstring& script, std::wstring& result);

// What may stay behind after a warm-up without being a leak.  Memory moves
// with heap fragmentation and with the pools of the graphics driver; the
// counts of objects may not move at all unless a test says why.
struct Slack {
    uint64_t privateBytes = 4 * 1024 * 1024;
    uint64_t pagefileBytes = 16 * 1024 * 1024;
    uint64_t heapBytes = 64 * 1024;
    uint64_t handles = 0;
    uint64_t gdiObjects = 0;
    uint64_t userObjects = 0;
    uint64_t tlsSlots = 0;
    uint64_t tempFiles = 0;
};

// One soak: samples at the start (after the test's warm-up), at ten
// checkpoints and at the end, printed as they are taken:
//   soak-sample: NAME start|after N|end private=... tls=... temp-files=...
//   soak-how: NAME what was done, in words
//   soak-done: NAME count=N seconds=S
//   soak-sources: where each figure came from
// Finish() checks the end against the start and the slack.
class Soak {
public:
    Soak(const char* name, uint64_t count, std::string how);

    // The start sample, then the soak's count of steps, sampled at the
    // checkpoints.  False when a step failed.
    template <class Step>
    bool Run(Step& step);
    void Finish(const Slack& slack = Slack());

private:
    void Start();
    // Takes a checkpoint sample when done is a tenth of the count.
    void Progress(uint64_t done);
    void Print(const char* when, const ResourceSample& sample) const;

    const char* m_name;
    uint64_t m_count;
    std::string m_how;
    ResourceSample m_start;
    std::vector<ResourceSample> m_checkpoints;
    std::chrono::steady_clock::time_point m_began;
};

// step(0) .. step(count - 1), ended by the first failure.  False when a
// step failed.
template <class Step>
bool Repeat(uint64_t count, Step& step)
{
    for (uint64_t i = 0; i < count; ++i) {
        step(i);
        if (::testing::Test::HasFailure())
            return false;
    }
    return true;
}

template <class Step>
bool Soak::Run(Step& step)
{
    Start();
    auto sampled = [&](uint64_t i) {
        step(i);
        Progress(i + 1);
    };
    return Repeat(m_count, sampled);
}

}  // namespace soak_test
