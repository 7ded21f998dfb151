// The one error style of the control: HRESULTs, with one-line error paths.
#pragma once

#include <windows.h>

#define RETURN_IF_FAILED(expr)                 \
    do {                                       \
        HRESULT hr_once_ = (expr);             \
        if (FAILED(hr_once_)) return hr_once_; \
    } while (0)

namespace zorvel {

// The failure of the system call just made.  A call that failed without
// setting an error code still failed: that is E_FAIL, never S_OK.
inline HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace zorvel
