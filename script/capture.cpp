// The process-wide output capture.
#include "script/capture.h"

#include <new>

#include "script/text.h"

std::string g_strScriptOutput;

namespace zorvel::script {

void ClearCapture() noexcept {
    // One large run's buffer is given back, not kept for the life of the
    // process; an ordinary one is reused.
    constexpr size_t kKeptCapacity = 16 * 1024;
    if (g_strScriptOutput.capacity() > kKeptCapacity)
        std::string().swap(g_strScriptOutput);
    else
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
