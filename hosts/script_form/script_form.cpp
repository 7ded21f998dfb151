#include "hosts/script_form/script_form.h"

#include <memory>
#include <new>
#include <string>

#include "common/hresult.h"
#include "common/identifiers.h"
#include "hosts/container/control_host.h"
#include "hosts/container/gdi_owners.h"
#include "hosts/container/test_publication.h"
#include "hosts/container/units.h"
#include "hosts/script_form/form_design.h"
#include "hosts/script_form/run_script.h"
#include "hosts/script_form/sample_script.h"

namespace zorvel::host::script_form {
namespace {

constexpr wchar_t kHostName[] = L"LuaZorvelTest";

struct FormState {
    FormOptions options;
    ScreenDpi dpi;
    ControlHost control;
    HWND scriptText = nullptr;
    HWND runScript = nullptr;
    UniqueGdiObject scriptTextFont;
    UniqueGdiObject runScriptFont;
    UniqueGdiObject scriptBackBrush;
    TestPublication publication;
    HRESULT createResult = S_OK;
    bool ownedByWindow = false;  // set once the form stands; then WM_NCDESTROY frees it
};

RECT ItemRect(const ItemDesign& item, const ScreenDpi& dpi) {
    return TwipsRectToPixels(item.left, item.top, item.width, item.height, dpi);
}

HWND CreateItem(HWND form, const ItemDesign& item, const ScreenDpi& dpi, const wchar_t* className,
                const wchar_t* text, DWORD style, DWORD exStyle, HFONT font) {
    const RECT rc = ItemRect(item, dpi);
    HWND hWnd = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, rc.left,
                                rc.top, rc.right - rc.left, rc.bottom - rc.top, form,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form, GWLP_HINSTANCE)),
                                nullptr);
    if (hWnd && font) SendMessageW(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hWnd;
}

std::wstring SampleScriptText() {
    // The sample is plain ASCII; the editor holds UTF-16.
    return std::wstring(kSampleScript, kSampleScript + kSampleScriptLength);
}

HRESULT CreateItems(HWND form, FormState& state) {
    state.dpi = SystemDpi();
    state.scriptTextFont.reset(CreateDesignFont(kScriptTextFont, state.dpi.y));
    state.runScriptFont.reset(CreateDesignFont(kRunScriptFont, state.dpi.y));
    state.scriptBackBrush.reset(CreateSolidBrush(kScriptBackColor));
    if (!state.scriptTextFont || !state.runScriptFont || !state.scriptBackBrush) return E_OUTOFMEMORY;

    // Both scroll bars; tabs and returns belong to the script.
    const std::wstring sample = SampleScriptText();
    state.scriptText = CreateItem(
        form, kScriptTextDesign, state.dpi, L"EDIT", sample.c_str(),
        WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
            ES_WANTRETURN | ES_NOHIDESEL,
        WS_EX_CLIENTEDGE, static_cast<HFONT>(state.scriptTextFont.get()));
    if (!state.scriptText) return LastErrorResult();
    SendMessageW(state.scriptText, EM_SETLIMITTEXT, 0, 0);  // scripts may be long

    state.runScript = CreateItem(form, kRunScriptDesign, state.dpi, L"BUTTON", kRunScriptCaption,
                                 WS_TABSTOP | BS_PUSHBUTTON, 0,
                                 static_cast<HFONT>(state.runScriptFont.get()));
    if (!state.runScript) return LastErrorResult();

    AmbientProperties ambient;
    ambient.font = kFormFont;
    ambient.displayName = L"cZorvel";
    ControlData data;
    data.stream = MakeExtentStream(kSurfaceStreamVersion, kSurfaceExtentWidth, kSurfaceExtentHeight);
    RETURN_IF_FAILED(state.control.Create(form, ItemRect(kSurfaceDesign, state.dpi), CLSID_CSurface,
                                          data, ambient));
    // The control's window takes its place first in the form's order.
    HWND controlWindow = state.control.Window();
    SetWindowLongPtrW(controlWindow, GWLP_ID, kIdSurface);
    SetWindowPos(controlWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    if (state.options.publishForTests) {
        RETURN_IF_FAILED(state.publication.Publish(
            state.control.Control(), TestPublicationName(kHostName, GetCurrentProcessId())));
    }
    return S_OK;
}

void OnRunScript(HWND form, FormState& state) {
    DispatchError error;
    if (FAILED(RunEditorScript(state.scriptText, state.control.Dispatch(), &error)))
        ReportDispatchError(form, kHostName, error);
}

FormState* StateOf(HWND form) {
    return reinterpret_cast<FormState*>(GetWindowLongPtrW(form, GWLP_USERDATA));
}

LRESULT CALLBACK FormProc(HWND form, UINT msg, WPARAM wParam, LPARAM lParam) {
    FormState* state = StateOf(form);
    switch (msg) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(form, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_CREATE:
        state->createResult = CreateItems(form, *state);
        return SUCCEEDED(state->createResult) ? 0 : -1;
    case WM_CTLCOLOREDIT:
        if (state && reinterpret_cast<HWND>(lParam) == state->scriptText) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kScriptTextColor);
            SetBkColor(dc, kScriptBackColor);
            return reinterpret_cast<LRESULT>(state->scriptBackBrush.get());
        }
        break;
    case WM_COMMAND:
        if (state && LOWORD(wParam) == kIdRunScript && HIWORD(wParam) == BN_CLICKED) {
            OnRunScript(form, *state);
            return 0;
        }
        break;
    case WM_DESTROY:
        if (state) {
            state->publication.Revoke();
            state->control.Close();
            if (state->ownedByWindow && state->options.quitOnClose) PostQuitMessage(0);
        }
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(form, GWLP_USERDATA, 0);
        if (state && state->ownedByWindow) delete state;
        break;
    default:
        break;
    }
    return DefWindowProcW(form, msg, wParam, lParam);
}

bool RegisterFormClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, kFormClassName, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = FormProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kFormClassName;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

HRESULT CreateForm(HINSTANCE instance, const FormOptions& options, HWND* form) {
    if (!form) return E_POINTER;
    *form = nullptr;
    if (!RegisterFormClass(instance)) return LastErrorResult();

    std::unique_ptr<FormState> state(new (std::nothrow) FormState);
    if (!state) return E_OUTOFMEMORY;
    state->options = options;

    // The window is sized so that its client area is the designed one.
    const ScreenDpi dpi = SystemDpi();
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, TwipsToPixels(kFormClientWidthTwips, dpi.x),
                  TwipsToPixels(kFormClientHeightTwips, dpi.y)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND hWnd = CreateWindowExW(0, kFormClassName, kFormCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                instance, state.get());
    if (!hWnd) {
        // WM_CREATE said why; the window is gone and so are its items.
        return FAILED(state->createResult) ? state->createResult : LastErrorResult();
    }
    // From here on the window owns its state, until WM_NCDESTROY.
    state->ownedByWindow = true;
    state.release();
    ShowWindow(hWnd, SW_SHOWNORMAL);
    UpdateWindow(hWnd);
    *form = hWnd;
    return S_OK;
}

IUnknown* FormControl(HWND form) {
    FormState* state = StateOf(form);
    return state ? state->control.Control() : nullptr;
}

bool PreTranslateFormMessage(HWND form, MSG* msg) {
    FormState* state = StateOf(form);
    return state && state->control.PreTranslateMessage(msg);
}

}  // namespace zorvel::host::script_form
