// The process-wide output capture.
#include "script/capture.h"

#include <new>

#include "script/text.h"

std::string g_strScriptOutput;

namespace zorvel::script {

void ClearCapture() noexcept {
    g_strScriptOutput.clear();
}

bool AppendToCapture(const char* text, size_t length) noexcept {
    try {
        g_strScriptOutput.append(text, length);
        return true;
    } catch (...) {
        return false;
    }
}

HRESULT CaptureToBstr(BSTR* out) noexcept {
    return BstrFromAnsi(g_strScriptOutput.data(), g_strScriptOutput.size(), out);
}

}  // namespace zorvel::script
