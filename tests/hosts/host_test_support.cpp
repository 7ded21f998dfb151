#include "host_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "hosts/container/dispatch_call.h"
#include "hosts/container/test_publication.h"

namespace host_test {

using zorvel::host::ArgRefI4;
using zorvel::host::ArgRefR4;
using zorvel::host::InvokeByDispid;

std::wstring ProgramPath(const wchar_t* program) {
    const char* dir = ZORVEL_HOSTS_BIN_DIR;
    std::wstring path(dir, dir + strlen(dir));
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path + L"\\" + program;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        // A rotating control may always have its next tick waiting.
        while (!done() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

LONG GetLongProperty(IDispatch* control, DISPID dispid) {
    zorvel::UniqueVariant result;
    const HRESULT hr = InvokeByDispid(control, dispid, DISPATCH_PROPERTYGET, nullptr, 0, result.put(), nullptr);
    EXPECT_EQ(S_OK, hr) << "get of DISPID " << dispid;
    EXPECT_EQ(VT_I4, result->vt);
    return result->vt == VT_I4 ? result->lVal : -1;
}

float GetRadius(IDispatch* control) {
    zorvel::UniqueVariant result;
    const HRESULT hr = InvokeByDispid(control, 11, DISPATCH_PROPERTYGET, nullptr, 0, result.put(), nullptr);
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(VT_R4, result->vt);
    return result->vt == VT_R4 ? result->fltVal : -1.0f;
}

void GetPointCounts(IDispatch* control, LONG& nx, LONG& ny) {
    nx = ny = -1;
    const VARIANT args[] = {ArgRefI4(&nx), ArgRefI4(&ny)};
    EXPECT_EQ(S_OK, InvokeByDispid(control, 2, DISPATCH_METHOD, args, 2, nullptr, nullptr));
}

void GetRanges(IDispatch* control, float& xmin, float& xmax, float& ymin, float& ymax) {
    xmin = xmax = ymin = ymax = -1.0f;
    const VARIANT x[] = {ArgRefR4(&xmin), ArgRefR4(&xmax)};
    EXPECT_EQ(S_OK, InvokeByDispid(control, 6, DISPATCH_METHOD, x, 2, nullptr, nullptr));
    const VARIANT y[] = {ArgRefR4(&ymin), ArgRefR4(&ymax)};
    EXPECT_EQ(S_OK, InvokeByDispid(control, 7, DISPATCH_METHOD, y, 2, nullptr, nullptr));
}

zorvel::ComPtr<IDispatch> DispatchOf(IUnknown* control) {
    zorvel::ComPtr<IDispatch> dispatch;
    if (control) control->QueryInterface(IID_IDispatch, dispatch.put_void());
    return dispatch;
}

LocalControls::LocalControls() {
    m_registered = SUCCEEDED(m_class.Register());
}

bool WaitForFirstDraw(const CSurface& surface) {
    if (HWND window = surface.Renderer().ControlWindow()) UpdateWindow(window);
    return PumpUntil([&] { return surface.Renderer().DeviceReady() != FALSE; }, 15000);
}

size_t Frame::CountNonBlack() const {
    return static_cast<size_t>(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; }));
}

Frame ReadFrame(CSurface& surface) {
    Frame frame;
    EXPECT_EQ(S_OK, surface.Renderer().ReadBackFrame(frame.pixels, frame.width, frame.height));
    return frame;
}

void TickControl(CSurface& surface) {
    SendMessageW(surface.Renderer().ControlWindow(), WM_TIMER, surface.Renderer().TimerId(), 0);
}

// --- Message boxes

namespace {

std::vector<std::wstring> g_seenBoxes;
std::set<HWND> g_closedBoxes;
std::function<void(HWND)> g_inspectBox;

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
    if (ClassName(child) == L"Static") {
        auto* text = reinterpret_cast<std::wstring*>(param);
        const std::wstring part = WindowText(child);
        if (!part.empty()) *text += L"|" + part;
    }
    return TRUE;
}

BOOL CALLBACK CloseMessageBox(HWND hWnd, LPARAM) {
    if (ClassName(hWnd) != L"#32770" || !IsWindowVisible(hWnd) || g_closedBoxes.count(hWnd)) return TRUE;
    std::wstring text = WindowText(hWnd);
    EnumChildWindows(hWnd, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    g_seenBoxes.push_back(text);
    g_closedBoxes.insert(hWnd);
    if (g_inspectBox) g_inspectBox(hWnd);
    PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK WatchTimer(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, 0);
}

}  // namespace

static BOOL CALLBACK NoteExistingDialog(HWND hWnd, LPARAM) {
    if (ClassName(hWnd) == L"#32770") g_closedBoxes.insert(hWnd);
    return TRUE;
}

MessageBoxWatch::MessageBoxWatch(std::function<void(HWND)> inspect) {
    g_seenBoxes.clear();
    g_closedBoxes.clear();
    // Dialogs already open (a host's main dialog) are no boxes of the call.
    EnumThreadWindows(GetCurrentThreadId(), NoteExistingDialog, 0);
    g_inspectBox = std::move(inspect);
    m_timer = SetTimer(nullptr, 0, 25, WatchTimer);
}

MessageBoxWatch::~MessageBoxWatch() {
    if (m_timer) KillTimer(nullptr, m_timer);
    g_inspectBox = nullptr;
}

const std::vector<std::wstring>& MessageBoxWatch::Seen() const {
    return g_seenBoxes;
}

// --- Host processes

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* windowClass;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != search->processId || !IsWindowVisible(hWnd)) return TRUE;
    if (ClassName(hWnd) != search->windowClass || WindowText(hWnd) != search->caption) return TRUE;
    search->found = hWnd;
    return FALSE;
}

struct DialogSearch {
    DWORD processId;
    HWND exclude;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchDialog(HWND hWnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == search->processId && hWnd != search->exclude && IsWindowVisible(hWnd) &&
        ClassName(hWnd) == L"#32770")
        search->found.push_back(hWnd);
    return TRUE;
}

}  // namespace

HostProcess::HostProcess(const wchar_t* program, const wchar_t* hostName, const wchar_t* windowClass,
                         const wchar_t* caption) {
    const std::wstring path = ProgramPath(program);
    std::wstring commandLine = L"\"" + path + L"\" /test";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &m_info)) {
        ADD_FAILURE() << "cannot start the host, error " << GetLastError();
        return;
    }
    WindowSearch search = {m_info.dwProcessId, windowClass, caption, nullptr};
    PumpUntil([&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || WaitForSingleObject(m_info.hProcess, 0) == WAIT_OBJECT_0;
    }, 30000);
    m_window = search.found;
    if (!m_window) {
        ADD_FAILURE() << "the host's window did not appear";
        return;
    }
    const std::wstring name = zorvel::host::TestPublicationName(hostName, m_info.dwProcessId);
    PumpUntil([&] {
        return SUCCEEDED(zorvel::host::GetPublishedObject(name, IID_IDispatch, m_control.put_void()));
    }, 10000);
    if (!m_control) ADD_FAILURE() << "the host did not publish its control";
}

HostProcess::~HostProcess() {
    m_control.reset();
    if (m_info.hProcess) {
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
            if (m_window) PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (WaitForExit(10000) == STILL_ACTIVE) TerminateProcess(m_info.hProcess, 1);
        }
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
    }
}

bool HostProcess::Click(int id, DWORD timeoutMs) {
    HWND button = GetDlgItem(m_window, id);
    if (!button) return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

std::vector<HWND> HostProcess::OtherDialogs() const {
    DialogSearch search = {m_info.dwProcessId, m_window, {}};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD HostProcess::WaitForExit(DWORD timeoutMs) {
    if (!m_info.hProcess) return STILL_ACTIVE;
    PumpUntil([&] { return WaitForSingleObject(m_info.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

// --- Windows

RECT ChildRect(HWND child) {
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::wstring WindowText(HWND hWnd) {
    const int length = GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring ClassName(HWND hWnd) {
    wchar_t name[256] = {};
    GetClassNameW(hWnd, name, 256);
    return name;
}

LOGFONTW FontOf(HWND hWnd) {
    LOGFONTW lf = {};
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(hWnd, WM_GETFONT, 0, 0));
    if (!font) font = GetStockObject(SYSTEM_FONT);
    GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

}  // namespace host_test
