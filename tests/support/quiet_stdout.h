// Standard output goes to NUL while a QuietStdout lives: what scripts print
// goes to standard output as well as to the capture, and in a long run it
// would bury the test's own figures.
#pragma once

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace zorvel_test {

class QuietStdout {
public:
    // An inactive one leaves standard output alone.
    explicit QuietStdout(bool active = true)
    {
        if (!active)
            return;
        std::fflush(stdout);
        const int saved = _dup(1);
        const int nul = _open("NUL", _O_WRONLY);
        if (saved >= 0 && nul >= 0) {
            _dup2(nul, 1);
            m_saved = saved;
        } else if (saved >= 0) {
            _close(saved);
        }
        if (nul >= 0)
            _close(nul);
    }
    ~QuietStdout()
    {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        _dup2(m_saved, 1);
        _close(m_saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int m_saved = -1;  // the real standard output while it is quiet
};

}  // namespace zorvel_test
