// The output capture: what the scripts' print calls wrote since the current
// run started, as ANSI text.  One per process, shared by every control and
// every nested run.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>

extern std::string g_strScriptOutput;

namespace zorvel::script {

void ClearCapture() noexcept;
// False when the capture cannot grow; it then keeps what it had.
bool AppendToCapture(const char* text, size_t length) noexcept;
// The capture as a new BSTR (empty, never null, when nothing was printed).
HRESULT CaptureToBstr(BSTR* out) noexcept;

}  // namespace zorvel::script
