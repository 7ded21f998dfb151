// The about box: program icon, name and version, an OK button.
#pragma once

#include <windows.h>

namespace zorvel::host::dialog {

// Shows the about box modally over owner.
void ShowAboutBox(HINSTANCE resources, HWND owner);

}  // namespace zorvel::host::dialog
