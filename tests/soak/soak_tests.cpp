// Soak tests of the registered control, created through CoCreateInstance as
// hosts create it: create/release cycles (some drawn in a window), library
// unload/reload rounds, RunScript calls, and rotation timer ticks.  Memory,
// handles, GDI and USER objects, TLS slots and the temporary directory are
// measured after a warm-up and at the end, and must come out flat.
//
// The suite runs short versions.  scripts/soak sets the counts of the long
// ones: ZORVEL_SOAK_CYCLES (10,000), ZORVEL_SOAK_RELOADS (1,200: past the
// number of TLS slots a process has), ZORVEL_SOAK_RUNS (100,000) and
// ZORVEL_SOAK_TICKS (360,000: an hour of 10 ms ticks).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "soak_support.h"
#include "support/quiet_stdout.h"

namespace {

using soak_test::Count;
using soak_test::HostWindow;
using soak_test::Pump;
using soak_test::Repeat;
using soak_test::RunScript;
using soak_test::Slack;
using soak_test::Soak;
using zorvel::ComPtr;

// Some use of a control between its creation and its release; every fourth
// runs a script, which must have run.
void Exercise(ISurface* surface, uint64_t i)
{
    EXPECT_EQ(S_OK, surface->SetPointPerXY(static_cast<LONG>(10 + i % 50), 20));
    EXPECT_EQ(S_OK, surface->SetData(1, 2, 0.5f, 0.25f, static_cast<float>(i)));
    EXPECT_EQ(S_OK, surface->put_XYRotate(static_cast<LONG>(i & 1)));
    if (i % 4 == 0) {
        std::wstring result;
        EXPECT_EQ(S_OK, RunScript(surface, L"SetRadius(30 + " + std::to_wstring(i % 7) + L") print(GetRadius())",
                                  result));
        EXPECT_EQ(std::to_wstring(30 + i % 7) + L"\r\n", result) << i;
    }
}

TEST(Soak, CreateReleaseCycles)
{
    const uint64_t cycles = Count("ZORVEL_SOAK_CYCLES", 150);
    const uint64_t drawEvery = Count("ZORVEL_SOAK_DRAW_EVERY", 10);
    HostWindow window;
    ASSERT_NE(nullptr, window.get());
    auto cycle = [&](uint64_t i) {
        if (drawEvery != 0 && i % drawEvery == 0) {
            zorvel::host::ControlHost host;
            ASSERT_EQ(S_OK, soak_test::PlaceAndDraw(host, window.get(), RECT{10, 10, 330, 250}));
            ComPtr<ISurface> surface = soak_test::SurfaceOf(host.Control());
            ASSERT_TRUE(surface);
            Exercise(surface.get(), i);
            EXPECT_EQ(S_OK, surface->Refresh());
            surface.reset();
            host.Close();
        } else {
            ComPtr<ISurface> surface;
            ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER, IID_ISurface,
                                             surface.put_void()));
            Exercise(surface.get(), i);
        }
    };
    if (!Repeat(30, cycle))
        return;
    Soak soak("create-release", cycles,
              "CoCreateInstance, a few calls, a script every 4th, Release; every " + std::to_string(drawEvery) +
                  "th in-place activated in a 320x240 window, drawn and refreshed");
    if (!soak.Run(cycle))
        return;
    Slack slack;
    // Wine 8's Direct3D keeps two state objects of every device it
    // destroys, a rasterizer state (68 bytes, for the cull mode) and a
    // depth-stencil state (92 bytes): a plain Direct3D 8 program that makes
    // and releases devices with these states loses the same 160 bytes a
    // device.  Each drawn control has had a device of its own.
    if (soak_test::RunningOnWine() && drawEvery != 0) {
        slack.heapBytes += 160 * ((cycles + drawEvery - 1) / drawEvery);
        std::printf("soak-how: create-release heap allowance under Wine: 160 bytes a drawn control, %llu in all\n",
                    static_cast<unsigned long long>(slack.heapBytes - Slack().heapBytes));
    }
    soak.Finish(slack);
}

// The library's file, found from an object it made.
std::wstring ModuleOf(IUnknown* object)
{
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH] = {};
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           *reinterpret_cast<LPCWSTR*>(object), &module))
        GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

// A host that lets the library go whenever no control is alive (as
// CoFreeUnusedLibraries in its idle time does) may load it again and again.
// Whether the library really leaves the process is its own affair; what a
// load made must not pile up either way.
TEST(Soak, LibraryReloads)
{
    const uint64_t rounds = Count("ZORVEL_SOAK_RELOADS", 20);
    uint64_t unloaded = 0;
    auto round = [&](uint64_t i) {
        std::wstring module;
        {
            ComPtr<ISurface> surface;
            ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER, IID_ISurface,
                                             surface.put_void()))
                << "round " << i;
            module = ModuleOf(surface.get());
            ASSERT_FALSE(module.empty());
            Exercise(surface.get(), i);
        }
        CoFreeUnusedLibrariesEx(0, 0);
        if (!GetModuleHandleW(module.c_str()))
            ++unloaded;
    };
    if (!Repeat(3, round))
        return;
    unloaded = 0;
    Soak soak("library-reloads", rounds,
              "CoCreateInstance, a few calls, Release, CoFreeUnusedLibrariesEx(0, 0)");
    if (!soak.Run(round))
        return;
    std::printf("soak-how: library-reloads the library left the process in %llu of %llu rounds\n",
                static_cast<unsigned long long>(unloaded), static_cast<unsigned long long>(rounds));
    soak.Finish();
}

std::wstring ScriptFile()
{
    wchar_t directory[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, directory);
    const std::wstring path = std::wstring(directory, n) + L"zorvel-soak.lua";
    zorvel::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const char text[] = "SetData(2, 2, 1, 1, 1) print('from file')";
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), text, sizeof text - 1, &written, nullptr) || written != sizeof text - 1)
        return std::wstring();
    return path;
}

struct ScriptCase {
    std::wstring script;
    std::wstring result;  // the whole Result text
};

TEST(Soak, RunScriptCalls)
{
    const uint64_t runs = Count("ZORVEL_SOAK_RUNS", 1500);
    const std::wstring file = ScriptFile();
    ASSERT_FALSE(file.empty());
    std::wstring escaped;
    for (wchar_t c : file)
        escaped += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
    // Errors are dropped with what was printed before them; a nested run
    // empties the capture that the outer script goes on printing into.
    const std::vector<ScriptCase> cases = {
        {L"print('soak', 1, 2.5)", L"soak12.5\r\n"},
        {L"SetPointsPerXY(20, 30) for i = 0, 19 do SetData(i, i, i, -i, i * 0.5) end print(GetPointsPerXY())",
         L"2030\r\n"},
        {L"local r = RunScript('print(7)') print(#r)", L"7\r\n3\r\n"},
        {L"print('before') error('fails on purpose')", L"before\r\n"},
        {L"print(setmetatable({}, {__tostring = function() error('in tostring') end}))", L""},
        {L"local r = RunScriptFromFile('" + escaped + L"') print(#r)", L"from file\r\n11\r\n"},
        {L"local t = {} for i = 1, 1000 do t[i] = tostring(i) end print(#t, t[1000])", L"10001000\r\n"},
        {L"SetXRange(-5, 5) SetYRange(-2, 2) SetRadius(40 + math.random(20)) print(GetYRange())", L"-22\r\n"},
        {L"coroutine.wrap(function() SetData(1, 1, 1, 1, 1) coroutine.yield() end)() print('co')", L"co\r\n"},
        {L"print(string.rep('z', 65536))", std::wstring(65536, L'z') + L"\r\n"},
        {L"print((pcall(function() local function f(n) return 1 + f(n + 1) end return f(1) end)))",
         L"false\r\n"},
        {L"this is not lua", L""},
    };
    const ScriptCase draw = {L"Refresh() print('drawn')", L"drawn\r\n"};
    HostWindow window;
    zorvel::host::ControlHost host;
    ASSERT_EQ(S_OK, soak_test::PlaceAndDraw(host, window.get(), RECT{10, 10, 330, 250}));
    ComPtr<ISurface> surface = soak_test::SurfaceOf(host.Control());
    ASSERT_TRUE(surface);
    std::wstring result;
    auto run = [&](uint64_t i) {
        // Every 50th run draws a frame.
        const ScriptCase& c = i % 50 == 49 ? draw : cases[i % cases.size()];
        ASSERT_EQ(S_OK, RunScript(surface.get(), c.script, result)) << i;
        ASSERT_EQ(c.result, result) << "run " << i << ": " << testing::PrintToString(c.script);
        if (i % 500 == 0)
            Pump();
    };
    if (!Repeat(150, run))
        return;
    Soak soak("runscript", runs,
              std::to_string(cases.size()) + " scripts in turn (nested runs, a script file, errors, 64 KiB of "
                                             "output), every 50th a Refresh; one control drawn in a 320x240 window");
    if (!soak.Run(run))
        return;
    soak.Finish();
    surface.reset();
    host.Close();
    DeleteFileW(file.c_str());
}

// Four apartment threads, each with its own registered control, run their
// scripts at the same time, a round of 25 each per step; every result must be
// the thread's own.
TEST(Soak, RunScriptOnFourThreads)
{
    constexpr int kThreads = 4;
    constexpr uint64_t kRunsPerRound = 25;
    const uint64_t rounds = std::max<uint64_t>(1, Count("ZORVEL_SOAK_RUNS", 2000) / (kThreads * kRunsPerRound));
    struct Worker {
        zorvel::UniqueHandle go{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
        zorvel::UniqueHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
        bool stop = false;
        uint64_t wrong = 0;
        std::wstring firstWrong;
        std::thread thread;
    };
    std::vector<Worker> workers(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        workers[t].thread = std::thread([&worker = workers[t], t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            ComPtr<ISurface> surface;
            CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER, IID_ISurface, surface.put_void());
            const std::wstring n = std::to_wstring(t);
            for (uint64_t run = 0; WaitForSingleObject(worker.go.get(), INFINITE) == WAIT_OBJECT_0 && !worker.stop;) {
                for (uint64_t k = 0; k < kRunsPerRound; ++k, ++run) {
                    const std::wstring radius = std::to_wstring(t * 10 + 1 + run % 5);
                    zorvel::UniqueBstr script(SysAllocString((L"local r = RunScript(\"print('n" + n + L"')\") SetRadius(" +
                                                              radius + L") print('t" + n + L"', GetRadius(), #r)").c_str()));
                    zorvel::UniqueBstr result;
                    const HRESULT hr = surface ? surface->RunScript(script.get(), result.put()) : E_FAIL;
                    const std::wstring text = result.get() ? result.get() : L"";
                    if (hr != S_OK || text != L"n" + n + L"\r\nt" + n + radius + L"4\r\n")
                        if (worker.wrong++ == 0) worker.firstWrong = text;
                }
                SetEvent(worker.done.get());
            }
            surface.reset();
            CoUninitialize();
        });
    }
    auto round = [&](uint64_t i) {
        {
            zorvel_test::QuietStdout quiet;
            for (Worker& worker : workers) SetEvent(worker.go.get());
            for (Worker& worker : workers) WaitForSingleObject(worker.done.get(), INFINITE);
        }
        for (int t = 0; t < kThreads; ++t)
            ASSERT_EQ(0u, workers[t].wrong) << "round " << i << ", thread " << t << ": "
                                            << testing::PrintToString(workers[t].firstWrong);
    };
    if (Repeat(4, round)) {
        Soak soak("runscript-threads", rounds,
                  "4 apartment threads, each with its own control, 25 runs each per step (a nested run, a "
                  "radius set and read back); " + std::to_string(rounds * kThreads * kRunsPerRound) + " runs");
        if (soak.Run(round))
            soak.Finish();
    }
    for (Worker& worker : workers) {
        worker.stop = true;
        SetEvent(worker.go.get());
        worker.thread.join();
    }
}

TEST(Soak, RotationTicks)
{
    const uint64_t ticks = Count("ZORVEL_SOAK_TICKS", 1000);
    // A small window and grid: every tick draws a frame, and the soak is
    // about what drawing leaves behind, not about its pixels.
    const LONG side = static_cast<LONG>(Count("ZORVEL_SOAK_TICK_WINDOW", 64));
    const uint64_t grid = Count("ZORVEL_SOAK_TICK_GRID", 16);
    HostWindow window;
    zorvel::host::ControlHost host;
    ASSERT_EQ(S_OK, soak_test::PlaceAndDraw(host, window.get(), RECT{10, 10, 10 + side, 10 + side}));
    ComPtr<ISurface> surface = soak_test::SurfaceOf(host.Control());
    ASSERT_TRUE(surface);
    const std::wstring n = std::to_wstring(grid);
    std::wstring result;
    ASSERT_EQ(S_OK, RunScript(surface.get(),
                              L"local n = " + n + L" SetPointsPerXY(n, n) for i = 0, n - 1 do for j = 0, n - 1 do "
                                  L"SetData(i, j, i - n / 2, j - n / 2, 5 * math.sin(i / 3) * math.cos(j / 3)) "
                                  L"end end",
                              result));
    ASSERT_EQ(S_OK, surface->Refresh());
    ASSERT_EQ(S_OK, surface->put_XYRotate(1));
    ASSERT_EQ(S_OK, surface->put_ZRotate(1));
    const HWND control = host.Window();
    ASSERT_NE(nullptr, control);
    // Timer 1 is the control's 10 ms rotation timer; each tick turns the
    // camera and draws.  The control's own timer messages are left waiting
    // (Pump), so every frame is one of these.
    auto tick = [&](uint64_t i) {
        SendMessageW(control, WM_TIMER, 1, 0);
        if (i % 1000 == 999)
            Pump();
    };
    if (!Repeat(300, tick))
        return;
    Soak soak("rotation-ticks", ticks,
              "WM_TIMER (timer 1) sent to the control's " + std::to_string(side) + "x" + std::to_string(side) +
                  " window, XYRotate and ZRotate on, " + std::to_string(grid) + "x" + std::to_string(grid) +
                  " grid: a frame a tick");
    if (!soak.Run(tick))
        return;
    soak.Finish();
    // The device still draws after the ticks.
    EXPECT_EQ(S_OK, surface->Refresh());
    EXPECT_TRUE(IsWindow(control));
    surface.reset();
    host.Close();
}

}  // namespace
