#include "hosts/container/host_program.h"

#include <ole2.h>

#include <cwchar>

#include "hosts/container/test_publication.h"

namespace zorvel::host {

int RunHostProgram(HINSTANCE instance, const HostProgram& program) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    HWND window = nullptr;
    const HRESULT hr = program.create(instance, HasTestSwitch(GetCommandLineW()), &window);
    int rc = 1;
    if (FAILED(hr)) {
        wchar_t text[160];
        swprintf(text, 160,
                 L"%ls: the Zorvel control could not be created (error 0x%08lX). Is Zorvel.dll "
                 L"registered?",
                 program.failure, static_cast<unsigned long>(hr));
        MessageBoxW(nullptr, text, program.name, MB_OK | MB_ICONSTOP);
    } else {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (IsWindow(window) && program.preTranslate(window, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        rc = static_cast<int>(msg.wParam);
    }
    OleUninitialize();
    return rc;
}

}  // namespace zorvel::host
