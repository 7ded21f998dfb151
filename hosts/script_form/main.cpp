// LuaZorvelTest: the script test form as a program.
#include "hosts/container/host_program.h"
#include "hosts/script_form/script_form.h"

using namespace zorvel::host;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    const HostProgram program = {
        L"LuaZorvelTest", L"The form could not be loaded",
        [](HINSTANCE instance, bool publishForTests, HWND* window) {
            script_form::FormOptions options;
            options.publishForTests = publishForTests;
            options.quitOnClose = true;
            return script_form::CreateForm(instance, options, window);
        },
        script_form::PreTranslateFormMessage};
    return RunHostProgram(instance, program);
}
