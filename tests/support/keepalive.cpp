// Holds Wine's desktop process up for a whole test run: every test program
// then starts without waiting for it.  Ended by the test script.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HWND hidden = CreateWindowExW(0, L"STATIC", L"zorvel keepalive", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (hidden) DestroyWindow(hidden);
    return 0;
}
