// KandelTest: the dialog test host as a program.
#include "hosts/container/host_program.h"
#include "hosts/dialog/kandel_dialog.h"

using namespace zorvel::host;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    const HostProgram program = {
        L"KandelTest", L"The dialog could not be created",
        [](HINSTANCE instance, bool publishForTests, HWND* window) {
            dialog::DialogOptions options;
            options.publishForTests = publishForTests;
            options.quitOnClose = true;
            return dialog::CreateMainDialog(instance, options, window);
        },
        dialog::PreTranslateDialogMessage};
    return RunHostProgram(instance, program);
}
