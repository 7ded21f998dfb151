// KandelTest's main dialog: the control on the left, the buttons that set it
// up, fill it, turn it and zoom it on the right.  The program's main() and
// the tests that run the dialog in-process both create it through here.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace zorvel::host::dialog {

struct DialogOptions {
    bool publishForTests = false;  // the /test switch: see test_publication.h
    bool quitOnClose = false;      // end the thread's message loop with the dialog
};

// Creates and shows the main dialog (modeless) from the templates in
// resources, with its control in item 1000.  When the control cannot be
// created the dialog is not shown and the failure is returned.
HRESULT CreateMainDialog(HINSTANCE resources, const DialogOptions& options, HWND* dialog);

// The control in a main dialog (borrowed), for code running it in-process.
IUnknown* MainDialogControl(HWND dialog);

// Gives the dialog (and its control) a look at a message of the thread's
// loop; true when it was handled.
bool PreTranslateDialogMessage(HWND dialog, MSG* msg);

}  // namespace zorvel::host::dialog
