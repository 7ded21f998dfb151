// The output capture: what the scripts' print calls wrote since the current
// run started, as ANSI text.  One per thread, shared by the thread's controls
// and nested runs.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>

namespace zorvel::script {

void ClearCapture() noexcept;
// False when the capture cannot grow; it then keeps what it had.
bool AppendToCapture(const char* text, size_t length) noexcept;
// The capture as a new BSTR (empty, never null, when nothing was printed).
HRESULT CaptureToBstr(BSTR* out) noexcept;

}  // namespace zorvel::script
