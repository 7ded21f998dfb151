// KandelTest: the dialog test host as a program.
#include <windows.h>
#include <ole2.h>

#include <cwchar>

#include "hosts/container/test_publication.h"
#include "hosts/dialog/kandel_dialog.h"

using namespace zorvel::host;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    dialog::DialogOptions options;
    options.publishForTests = HasTestSwitch(GetCommandLineW());
    options.quitOnClose = true;

    HWND main = nullptr;
    const HRESULT hr = dialog::CreateMainDialog(instance, options, &main);
    int rc = 0;
    if (FAILED(hr)) {
        wchar_t text[160];
        swprintf(text, 160,
                 L"The dialog could not be created: the Zorvel control could not be created "
                 L"(error 0x%08lX). Is Zorvel.dll registered?",
                 static_cast<unsigned long>(hr));
        MessageBoxW(nullptr, text, L"KandelTest", MB_OK | MB_ICONSTOP);
        rc = 1;
    } else {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (IsWindow(main) && dialog::PreTranslateDialogMessage(main, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    OleUninitialize();
    return rc;
}
