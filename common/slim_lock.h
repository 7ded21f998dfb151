// A process-wide lock that needs no handle and no clean-up, so nothing of it
// outlives the library when a host unloads it (a std::mutex of this runtime
// makes a kernel object on first use that is never closed).
#pragma once

#include <windows.h>

namespace zorvel {

class SlimLockGuard {
public:
    explicit SlimLockGuard(SRWLOCK* lock) : m_lock(lock) { AcquireSRWLockExclusive(m_lock); }
    ~SlimLockGuard() { ReleaseSRWLockExclusive(m_lock); }
    SlimLockGuard(const SlimLockGuard&) = delete;
    SlimLockGuard& operator=(const SlimLockGuard&) = delete;

private:
    SRWLOCK* m_lock;
};

}  // namespace zorvel
