#include "hosts/dialog/kandel_dialog.h"

#include <memory>
#include <new>
#include <vector>

#include "common/hresult.h"
#include "common/identifiers.h"
#include "hosts/container/control_host.h"
#include "hosts/container/test_publication.h"
#include "hosts/dialog/about_box.h"
#include "hosts/dialog/dialog_init_data.h"
#include "hosts/dialog/double_precision.h"
#include "hosts/dialog/fill.h"
#include "hosts/dialog/resource.h"
#include "hosts/dialog/surface_calls.h"

namespace zorvel::host::dialog {
namespace {

constexpr wchar_t kHostName[] = L"KandelTest";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerPeriodMs = 10;

constexpr DesignFont kDialogFont = {L"MS Sans Serif", 800, FW_NORMAL, DEFAULT_CHARSET};

struct DialogState {
    HINSTANCE resources = nullptr;
    DialogOptions options;
    ControlHost control;
    SurfaceCalls calls;
    HICON icon = nullptr;  // shared resource icon: not destroyed
    UINT_PTR timerId = 0;
    TestPublication publication;
    HRESULT createResult = S_OK;
    bool ownedByWindow = false;  // set once the dialog stands; then WM_NCDESTROY frees it
};

DialogState* StateOf(HWND dialog) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// --- Button actions.  Each stops at the first failing call.

HRESULT InitGraphControl(HWND, DialogState& state) {
    SurfaceCalls& calls = state.calls;
    RETURN_IF_FAILED(calls.SetXRange(-10.0f, 10.0f));
    RETURN_IF_FAILED(calls.SetYRange(-10.0f, 10.0f));
    RETURN_IF_FAILED(calls.SetPointsPerXY(100, 100));
    RETURN_IF_FAILED(calls.SetRadius(50.0f));
    return calls.Refresh();
}

LONG CheckState(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0;
}

HRESULT ToggleXYRotate(HWND dialog, DialogState& state) {
    return state.calls.SetXYRotate(CheckState(dialog, IDC_XYROTATE));
}

HRESULT ToggleZRotate(HWND dialog, DialogState& state) {
    return state.calls.SetZRotate(CheckState(dialog, IDC_ZROTATE));
}

// The timer reads the button's state; a click itself changes nothing.
HRESULT ToggleZoom(HWND, DialogState&) {
    return S_OK;
}

template <SurfaceFunction F>
HRESULT Fill(HWND, DialogState& state) {
    return FillSurface(state.calls, F);
}

struct CommandEntry {
    WORD id;
    HRESULT (*run)(HWND dialog, DialogState& state);
};

const CommandEntry kCommands[] = {
    {IDC_INIT, InitGraphControl},
    {IDC_SETDATA, Fill<WavyProduct>},
    {IDC_XYROTATE, ToggleXYRotate},
    {IDC_ZROTATE, ToggleZRotate},
    {IDC_ZOOM, ToggleZoom},
    {IDC_SINSIN, Fill<SineProduct>},
    {IDC_J0J0, Fill<BesselProduct>},
    {IDC_XJ0, Fill<LinearBessel>},
    {IDC_FLASH, Fill<Flash>},
    {IDC_RAND, Fill<RandomSpikes>},
};

void RunCommand(HWND dialog, DialogState& state, WORD id) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.id != id) continue;
        if (FAILED(entry.run(dialog, state))) ReportDispatchError(dialog, kHostName, state.calls.LastError());
        return;
    }
}

// While "Zoom" is checked the camera comes closer by 0.1 a tick and jumps
// back out to 100 when it would come nearer than 10.
void OnZoomTick(HWND dialog, DialogState& state) {
    if (!CheckState(dialog, IDC_ZOOM)) return;
    float radius = 0.0f;
    HRESULT hr = state.calls.GetRadius(&radius);
    if (SUCCEEDED(hr)) {
        double t;
        {
            DoublePrecisionScope precision;
            t = radius - 0.1;
            if (t < 10.0) t = 100.0;
        }
        hr = state.calls.SetRadius(static_cast<float>(t));
    }
    if (FAILED(hr)) {
        // Once is enough: the next tick would fail the same way.
        CheckDlgButton(dialog, IDC_ZOOM, BST_UNCHECKED);
        ReportDispatchError(dialog, kHostName, state.calls.LastError());
    }
}

// --- Initialisation

HRESULT PlaceControl(HWND dialog, DialogState& state) {
    HWND placeholder = GetDlgItem(dialog, IDC_SURFACE);
    if (!placeholder) return E_UNEXPECTED;
    RECT rc;
    GetWindowRect(placeholder, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);

    std::vector<BYTE> record;
    RETURN_IF_FAILED(LoadInitRecord(state.resources, IDD_KANDELTEST_DIALOG, IDC_SURFACE,
                                    DLGINIT_LOADFROMSTREAM, record));
    ControlData data;
    if (!record.empty()) RETURN_IF_FAILED(ParseControlInitData(record.data(), record.size(), data));

    AmbientProperties ambient;
    ambient.font = kDialogFont;
    ambient.displayName = L"Surface";
    RETURN_IF_FAILED(state.control.Create(dialog, rc, CLSID_CSurface, data, ambient));
    state.calls.Bind(state.control.Dispatch());

    // The control's window becomes item 1000, in the placeholder's place in
    // the tab order, and a tab stop like every item of the dialog.
    HWND window = state.control.Window();
    SetWindowLongPtrW(window, GWLP_ID, IDC_SURFACE);
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_TABSTOP);
    SetWindowPos(window, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(placeholder);
    return S_OK;
}

void AddAboutEntry(HWND dialog, HINSTANCE resources) {
    wchar_t text[128] = {};
    if (LoadStringW(resources, IDS_ABOUTBOX, text, 128) <= 0 || !text[0]) return;
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (!menu) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
}

HRESULT InitDialog(HWND dialog, DialogState& state) {
    RETURN_IF_FAILED(PlaceControl(dialog, state));
    AddAboutEntry(dialog, state.resources);
    state.icon = LoadIconW(state.resources, MAKEINTRESOURCEW(IDR_MAINFRAME));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.icon));
    state.timerId = SetTimer(dialog, kTimerId, kTimerPeriodMs, nullptr);
    if (state.options.publishForTests) {
        RETURN_IF_FAILED(state.publication.Publish(
            state.control.Control(), TestPublicationName(kHostName, GetCurrentProcessId())));
    }
    return S_OK;
}

void PaintMinimised(HWND dialog, const DialogState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    SendMessageW(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT rc;
    GetClientRect(dialog, &rc);
    const int x = (rc.right - rc.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rc.bottom - rc.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, state.icon);
    EndPaint(dialog, &ps);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    DialogState* state = StateOf(dialog);
    switch (msg) {
    case WM_INITDIALOG:
        state = reinterpret_cast<DialogState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state->createResult = InitDialog(dialog, *state);
        if (FAILED(state->createResult)) {
            DestroyWindow(dialog);
            return FALSE;
        }
        return TRUE;
    case WM_SYSCOMMAND:
        if (state && (wParam & 0xFFF0) == IDM_ABOUTBOX) {
            ShowAboutBox(state->resources, dialog);
            return TRUE;
        }
        return FALSE;
    case WM_PAINT:
        if (state && IsIconic(dialog)) {
            PaintMinimised(dialog, *state);
            return TRUE;
        }
        return FALSE;
    case WM_QUERYDRAGICON:
        return state ? reinterpret_cast<INT_PTR>(state->icon) : 0;
    case WM_COMMAND:
        if (!state) return FALSE;
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            DestroyWindow(dialog);
            return TRUE;
        }
        if (HIWORD(wParam) == BN_CLICKED) {
            RunCommand(dialog, *state, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_TIMER:
        if (state && wParam == state->timerId) {
            OnZoomTick(dialog, *state);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (state) {
            if (state->timerId) KillTimer(dialog, state->timerId);
            state->timerId = 0;
            state->publication.Revoke();
            state->calls.Bind(nullptr);
            state->control.Close();
            if (state->ownedByWindow && state->options.quitOnClose) PostQuitMessage(0);
        }
        return FALSE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        if (state && state->ownedByWindow) delete state;
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

HRESULT CreateMainDialog(HINSTANCE resources, const DialogOptions& options, HWND* dialog) {
    if (!dialog) return E_POINTER;
    *dialog = nullptr;
    std::unique_ptr<DialogState> state(new (std::nothrow) DialogState);
    if (!state) return E_OUTOFMEMORY;
    state->resources = resources;
    state->options = options;

    HWND hWnd = CreateDialogParamW(resources, MAKEINTRESOURCEW(IDD_KANDELTEST_DIALOG), nullptr,
                                   DialogProc, reinterpret_cast<LPARAM>(state.get()));
    if (!hWnd || !IsWindow(hWnd)) {
        if (FAILED(state->createResult)) return state->createResult;
        return LastErrorResult();
    }
    // From here on the window owns its state, until WM_NCDESTROY.
    state->ownedByWindow = true;
    state.release();
    *dialog = hWnd;
    return S_OK;
}

IUnknown* MainDialogControl(HWND dialog) {
    DialogState* state = StateOf(dialog);
    return state ? state->control.Control() : nullptr;
}

bool PreTranslateDialogMessage(HWND dialog, MSG* msg) {
    DialogState* state = StateOf(dialog);
    if (state && state->control.PreTranslateMessage(msg)) return true;
    return IsDialogMessageW(dialog, msg) != FALSE;
}

}  // namespace zorvel::host::dialog
