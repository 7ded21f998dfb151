// What the host tests share: the hosts' windows run in this process on the
// linked control library, messages pumped and frames read back; the hosts'
// programs started as processes of their own and reached through their
// windows and their published control; message boxes watched and closed.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/surface.h"
#include "hosts/local_class.h"
#include "common/owners.h"

namespace host_test {

// Directory of the built programs, as Windows sees it.
std::wstring ProgramPath(const wchar_t* program);

// Dispatches the thread's messages until done() or timeoutMs; true when done.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD ms);

// --- Calls by DISPID, for reading a control's state.
LONG GetLongProperty(IDispatch* control, DISPID dispid);   // XYRotate (9), ZRotate (10)
float GetRadius(IDispatch* control);                        // Radius (11)
void GetPointCounts(IDispatch* control, LONG& nx, LONG& ny);
void GetRanges(IDispatch* control, float& xmin, float& xmax, float& ymin, float& ymax);
zorvel::ComPtr<IDispatch> DispatchOf(IUnknown* control);

// --- Controls of the linked library, made in place of the registered class.
class LocalControls {
public:
    LocalControls();
    ~LocalControls() = default;
    bool Registered() const { return m_registered; }
    CSurface* SurfaceOf(IUnknown* control) const { return m_class.SurfaceOf(control); }

private:
    zorvel::host::LocalSurfaceClass m_class;
    bool m_registered = false;
};

// Waits for the control's first paint (its device and timer come with it).
bool WaitForFirstDraw(const CSurface& surface);

struct Frame {
    std::vector<uint32_t> pixels;
    UINT width = 0;
    UINT height = 0;
    bool operator==(const Frame& other) const {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
    bool operator!=(const Frame& other) const { return !(*this == other); }
    size_t CountNonBlack() const;
};
Frame ReadFrame(CSurface& surface);

// Sends the control's own timer tick, as the 10 ms timer would.
void TickControl(CSurface& surface);

// --- Message boxes shown on this thread while a call runs: each is read and
// closed, so that a test never hangs on one.
class MessageBoxWatch {
public:
    // inspect, when given, sees each box before it is closed.
    explicit MessageBoxWatch(std::function<void(HWND box)> inspect = nullptr);
    ~MessageBoxWatch();
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

    // Caption and text of each box seen, in order.
    const std::vector<std::wstring>& Seen() const;

private:
    UINT_PTR m_timer;
};

// --- A host program started with /test in a process of its own.
class HostProcess {
public:
    HostProcess(const wchar_t* program, const wchar_t* hostName, const wchar_t* windowClass,
                const wchar_t* caption);
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool Started() const { return m_window && m_control; }
    HWND Window() const { return m_window; }
    DWORD Id() const { return m_info.dwProcessId; }
    IDispatch* Control() const { return m_control.get(); }

    // Sends BM_CLICK to button id and waits up to timeoutMs for the click to
    // be handled; false when it was not (a modal box holds it, for example).
    bool Click(int id, DWORD timeoutMs = 20000);
    // Visible dialog windows of the process other than its main window.
    std::vector<HWND> OtherDialogs() const;
    // Waits for the process to end; its exit code, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs);
    void ReleaseControl() { m_control.reset(); }

private:
    PROCESS_INFORMATION m_info = {};
    HWND m_window = nullptr;
    zorvel::ComPtr<IDispatch> m_control;
};

// The rectangle of a child window in its parent's client coordinates.
RECT ChildRect(HWND child);
std::wstring WindowText(HWND hWnd);
std::wstring ClassName(HWND hWnd);
LOGFONTW FontOf(HWND hWnd);

}  // namespace host_test
