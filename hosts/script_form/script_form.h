// The script test form: the control on the left, the script editor and the
// "Run Script" button on the right.  The program's main() and the tests that
// run the form in-process both create it through here.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace zorvel::host::script_form {

struct FormOptions {
    bool publishForTests = false;  // the /test switch: see test_publication.h
    bool quitOnClose = false;      // end the thread's message loop with the form
};

// Creates and shows the form with its control.  When the control cannot be
// created or activated the form is not shown and the failure is returned.
HRESULT CreateForm(HINSTANCE instance, const FormOptions& options, HWND* form);

// The control on a form (borrowed), for code running the form in-process.
IUnknown* FormControl(HWND form);

// Lets the form's control see a keystroke first; true when it took it.
bool PreTranslateFormMessage(HWND form, MSG* msg);

}  // namespace zorvel::host::script_form
