// The output capture of the calling thread's scripts.
#include "script/capture.h"

#include "script/script_state.h"
#include "script/text.h"

namespace zorvel::script {

void ClearCapture() noexcept {
    ThreadScripts* scripts = ThisThread();
    if (!scripts) return;
    // One large run's buffer is given back, not kept for the life of the
    // thread; an ordinary one is reused.
    constexpr size_t kKeptCapacity = 16 * 1024;
    if (scripts->output.capacity() > kKeptCapacity)
        std::string().swap(scripts->output);
    else
        scripts->output.clear();
}

bool AppendToCapture(const char* text, size_t length) noexcept {
    // A finalizer that prints while the thread's last state closes has no
    // run to print for.
    ThreadScripts* scripts = ThisThread();
    if (!scripts) return true;
    try {
        scripts->output.append(text, length);
        return true;
    } catch (...) {
        return false;
    }
}

HRESULT CaptureToBstr(BSTR* out) noexcept {
    ThreadScripts* scripts = ThisThread();
    if (!scripts) return BstrFromAnsi("", 0, out);
    return BstrFromAnsi(scripts->output.data(), scripts->output.size(), out);
}

}  // namespace zorvel::script
