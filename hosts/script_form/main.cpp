// LuaZorvelTest: the script test form as a program.
#include <windows.h>
#include <ole2.h>

#include <cwchar>

#include "hosts/container/test_publication.h"
#include "hosts/script_form/script_form.h"

using namespace zorvel::host;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    script_form::FormOptions options;
    options.publishForTests = HasTestSwitch(GetCommandLineW());
    options.quitOnClose = true;

    HWND form = nullptr;
    const HRESULT hr = script_form::CreateForm(instance, options, &form);
    int rc = 0;
    if (FAILED(hr)) {
        wchar_t text[160];
        swprintf(text, 160,
                 L"The form could not be loaded: the Zorvel control could not be created "
                 L"(error 0x%08lX). Is Zorvel.dll registered?",
                 static_cast<unsigned long>(hr));
        MessageBoxW(nullptr, text, L"LuaZorvelTest", MB_OK | MB_ICONSTOP);
        rc = 1;
    } else {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (script_form::PreTranslateFormMessage(form, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        rc = static_cast<int>(msg.wParam);
    }
    OleUninitialize();
    return rc;
}
