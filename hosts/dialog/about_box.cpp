#include "hosts/dialog/about_box.h"

#include "hosts/dialog/resource.h"

namespace zorvel::host::dialog {
namespace {

INT_PTR CALLBACK AboutProc(HWND about, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(about, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

void ShowAboutBox(HINSTANCE resources, HWND owner) {
    DialogBoxParamW(resources, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, AboutProc, 0);
}

}  // namespace zorvel::host::dialog
