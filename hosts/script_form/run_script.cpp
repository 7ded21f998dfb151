#include "hosts/script_form/run_script.h"

#include <utility>

#include "common/owners.h"

namespace zorvel::host::script_form {

HRESULT RunEditorScript(HWND edit, IDispatch* control, DispatchError* error) {
    const int length = GetWindowTextLengthW(edit);
    UniqueBstr text(SysAllocStringLen(nullptr, static_cast<UINT>(length > 0 ? length : 0)));
    HRESULT hr = text.get() ? S_OK : E_OUTOFMEMORY;
    if (SUCCEEDED(hr) && length > 0) {
        const int copied = GetWindowTextW(edit, text.get(), length + 1);
        // The length is an upper bound; the string is cut to what came.
        if (copied < length) {
            UniqueBstr exact(SysAllocStringLen(text.get(), static_cast<UINT>(copied)));
            if (!exact.get()) hr = E_OUTOFMEMORY;
            text = std::move(exact);
        }
    }
    if (FAILED(hr)) {
        if (error) *error = DispatchError{hr, {}, {}};
        return hr;
    }
    const VARIANT script = ArgBstr(text.get());
    UniqueVariant output;  // the script's printed text, which the form does not use
    return InvokeByDispid(control, DISPID_SURFACE_RUNSCRIPT, DISPATCH_METHOD, &script, 1, output.put(), error);
}

}  // namespace zorvel::host::script_form
