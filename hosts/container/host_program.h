// What both test hosts do as programs: OLE up, their window made, the message
// loop, and a message box when the window cannot be made (usually because the
// control is not registered).
#pragma once

#include <windows.h>

namespace zorvel::host {

struct HostProgram {
    const wchar_t* name;     // the message box's title
    const wchar_t* failure;  // "The form could not be loaded", ...
    HRESULT (*create)(HINSTANCE instance, bool publishForTests, HWND* window);
    // True when the message was the window's and is done with.
    bool (*preTranslate)(HWND window, MSG* msg);
};

int RunHostProgram(HINSTANCE instance, const HostProgram& program);

}  // namespace zorvel::host
