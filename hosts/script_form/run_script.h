// The "Run Script" button: the editor's whole text goes to the control's
// RunScript as one string, late-bound.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "common/identifiers.h"
#include "hosts/container/dispatch_call.h"

namespace zorvel::host::script_form {

// Runs the text of edit in control.  The script's printed output is not
// used.  Returns the call's status; error receives a failure's details.
HRESULT RunEditorScript(HWND edit, IDispatch* control, DispatchError* error);

}  // namespace zorvel::host::script_form
