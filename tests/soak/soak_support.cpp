#include "soak_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "support/environment_number.h"
#include "support/quiet_stdout.h"

namespace soak_test {

uint64_t Count(const char* name, uint64_t suiteCount)
{
    return zorvel_test::EnvironmentNumber(name, suiteCount);
}

bool RunningOnWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           PeekMessageW(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HostWindow::HostWindow()
{
    m_window = CreateWindowExW(0, L"STATIC", L"soak", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 420,
                               340, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Pump();
}

HostWindow::~HostWindow()
{
    if (m_window)
        DestroyWindow(m_window);
    Pump();
}

HRESULT PlaceAndDraw(zorvel::host::ControlHost& host, HWND parent, const RECT& position)
{
    RETURN_IF_FAILED(host.Create(parent, position, CLSID_CSurface, zorvel::host::ControlData(),
                                 zorvel::host::AmbientProperties()));
    if (!host.Window())
        return E_UNEXPECTED;
    UpdateWindow(host.Window());
    Pump();
    return S_OK;
}

zorvel::ComPtr<ISurface> SurfaceOf(IUnknown* control)
{
    zorvel::ComPtr<ISurface> surface;
    if (control)
        control->QueryInterface(IID_ISurface, surface.put_void());
    return surface;
}

HRESULT RunScript(ISurface* surface, const std::wstring& script, std::wstring& result)
{
    result.clear();
    zorvel::UniqueBstr text(SysAllocStringLen(script.data(), static_cast<UINT>(script.size())));
    if (!text.get())
        return E_OUTOFMEMORY;
    zorvel::UniqueBstr output;
    HRESULT hr;
    {
        zorvel_test::QuietStdout quiet;
        hr = surface->RunScript(text.get(), output.put());
    }
    if (output.get())
        result.assign(output.get(), output.length());
    return hr;
}

Soak::Soak(const char* name, uint64_t count, std::string how)
    : m_name(name), m_count(count), m_how(std::move(how))
{
}

void Soak::Start()
{
    // Room for every checkpoint now, so that keeping them allocates nothing
    // between the first sample and the last.
    m_checkpoints.reserve(11);
    Pump();
    m_start = Measure();
    m_began = std::chrono::steady_clock::now();
    std::printf("soak-how: %s %s\n", m_name, m_how.c_str());
    Print("start", m_start);
}

void Soak::Progress(uint64_t done)
{
    const uint64_t step = std::max<uint64_t>(1, m_count / 10);
    if (done % step != 0)
        return;
    Pump();
    const ResourceSample sample = Measure();
    Print(("after " + std::to_string(done)).c_str(), sample);
    m_checkpoints.push_back(sample);
}

void Soak::Finish(const Slack& slack)
{
    Pump();
    const ResourceSample end = Measure();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - m_began;
    Print("end", end);
    std::printf("soak-done: %s count=%llu seconds=%.1f\n", m_name, static_cast<unsigned long long>(m_count),
                seconds.count());
    std::printf("soak-sources: %s\n", Sources().c_str());
    std::fflush(stdout);

    // Memory swings from one sample to the next: the driver's pools by
    // megabytes, a Lua heap between its collections by a few hundred
    // kilobytes.  A leak shows as the end climbing above everything the
    // first half of the run reached.
    auto earlierPeak = [&](uint64_t ResourceSample::*figure) {
        uint64_t peak = m_start.*figure;
        for (size_t i = 0; i < m_checkpoints.size() / 2; ++i)
            peak = std::max(peak, m_checkpoints[i].*figure);
        return peak;
    };
    const uint64_t privatePeak = earlierPeak(&ResourceSample::privateBytes);
    const uint64_t pagefilePeak = earlierPeak(&ResourceSample::pagefileBytes);
    const uint64_t heapPeak = earlierPeak(&ResourceSample::heapBytes);
    EXPECT_LE(end.privateBytes, privatePeak + slack.privateBytes)
        << m_name << ": private bytes at the start " << m_start.privateBytes << ", first-half peak " << privatePeak;
    EXPECT_LE(end.pagefileBytes, pagefilePeak + slack.pagefileBytes)
        << m_name << ": pagefile bytes at the start " << m_start.pagefileBytes << ", first-half peak "
        << pagefilePeak;
    EXPECT_LE(end.heapBytes, heapPeak + slack.heapBytes)
        << m_name << ": heap bytes at the start " << m_start.heapBytes << ", first-half peak " << heapPeak;
    EXPECT_LE(end.handles, m_start.handles + slack.handles) << m_name;
    EXPECT_LE(end.gdiObjects, m_start.gdiObjects + slack.gdiObjects) << m_name;
    EXPECT_LE(end.userObjects, m_start.userObjects + slack.userObjects) << m_name;
    EXPECT_LE(end.tlsSlots, m_start.tlsSlots + slack.tlsSlots) << m_name;
    EXPECT_LE(end.tempFiles, m_start.tempFiles + slack.tempFiles) << m_name;
}

void Soak::Print(const char* when, const ResourceSample& sample) const
{
    std::printf("soak-sample: %s %s %s\n", m_name, when, sample.Text().c_str());
    std::fflush(stdout);
}

}  // namespace soak_test
