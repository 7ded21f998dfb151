// The registry of script states: one per live control, plus those whose
// control is gone while a run in them unwinds; and each thread's scripts,
// reached through a thread-local slot.  Controls of different threads meet
// only here, under one lock; a state is closed outside it, since closing
// runs the state's finalizers, which may call back into the registry.
#include "script/script_state.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "common/slim_lock.h"

namespace zorvel::script {
namespace {

struct StateEntry {
    ISurface2* owner;  // null once the control is gone
    UniqueLuaState state;
    int runs;         // script runs in this state not yet unwound
    DWORD thread;     // the thread that made the control
};

struct ThreadEntry {
    DWORD thread;
    std::unique_ptr<ThreadScripts> scripts;
};

struct Registry {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<StateEntry> states;  // in construction order
    std::vector<ThreadEntry> threads;
    // Allocated with the first state and freed with the last, so that a
    // library that is loaded again and again keeps no slot.
    DWORD slot = TLS_OUT_OF_INDEXES;
};

// Never destroyed: a control that its host leaks may still reach it while
// the process ends.
Registry& TheRegistry() {
    alignas(Registry) static unsigned char storage[sizeof(Registry)];
    static Registry* registry = new (storage) Registry();
    return *registry;
}

// What the lock holder takes out and lets go of once the lock is released.
struct Released {
    UniqueLuaState state;
    std::vector<std::unique_ptr<ThreadScripts>> scripts;
};

ThreadEntry* FindThread(Registry& r, DWORD thread) {
    for (ThreadEntry& entry : r.threads)
        if (entry.thread == thread) return &entry;
    return nullptr;
}

void MakeNewestCurrent(Registry& r, DWORD thread) {
    ThreadEntry* entry = FindThread(r, thread);
    if (!entry) return;
    ThreadScripts& scripts = *entry->scripts;
    scripts.surface = nullptr;
    scripts.state = nullptr;
    for (auto it = r.states.rbegin(); it != r.states.rend(); ++it) {
        if (it->owner && it->thread == thread) {
            scripts.surface = it->owner;
            scripts.state = it->state.get();
            return;
        }
    }
}

// Takes the entry out; a thread left without states loses its scripts (the
// thread's own slot is cleared when it is the caller), and the last state of
// the process takes the slot with it.
void TakeOut(Registry& r, std::vector<StateEntry>::iterator it, Released& released) {
    const DWORD thread = it->thread;
    released.state = std::move(it->state);
    r.states.erase(it);
    const bool threadHasStates = std::any_of(r.states.begin(), r.states.end(),
                                             [thread](const StateEntry& e) { return e.thread == thread; });
    if (!threadHasStates && thread == GetCurrentThreadId()) {
        auto t = std::find_if(r.threads.begin(), r.threads.end(),
                              [thread](const ThreadEntry& e) { return e.thread == thread; });
        if (t != r.threads.end()) {
            released.scripts.push_back(std::move(t->scripts));
            r.threads.erase(t);
        }
        TlsSetValue(r.slot, nullptr);
    }
    if (r.states.empty()) {
        // Slots of other threads that still point here are zeroed with it.
        for (ThreadEntry& t : r.threads) released.scripts.push_back(std::move(t.scripts));
        r.threads.clear();
        TlsFree(r.slot);
        r.slot = TLS_OUT_OF_INDEXES;
    }
}

std::vector<StateEntry>::iterator FindState(Registry& r, lua_State* L) {
    return std::find_if(r.states.begin(), r.states.end(),
                        [L](const StateEntry& entry) { return entry.state.get() == L; });
}

}  // namespace

ThreadScripts* ThisThread() noexcept {
    const DWORD slot = TheRegistry().slot;
    return slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<ThreadScripts*>(TlsGetValue(slot));
}

HRESULT AddControlState(ISurface2* owner, UniqueLuaState state) noexcept {
    Registry& r = TheRegistry();
    SlimLockGuard lock(&r.lock);
    if (r.slot == TLS_OUT_OF_INDEXES) {
        r.slot = TlsAlloc();
        if (r.slot == TLS_OUT_OF_INDEXES) return E_OUTOFMEMORY;
    }
    const DWORD thread = GetCurrentThreadId();
    try {
        if (!FindThread(r, thread)) {
            r.threads.push_back(ThreadEntry{thread, std::make_unique<ThreadScripts>()});
            TlsSetValue(r.slot, r.threads.back().scripts.get());
        }
        r.states.push_back(StateEntry{owner, std::move(state), 0, thread});
    } catch (...) {
        if (r.states.empty() && r.threads.empty()) {
            TlsFree(r.slot);
            r.slot = TLS_OUT_OF_INDEXES;
        }
        return E_OUTOFMEMORY;
    }
    MakeNewestCurrent(r, thread);
    return S_OK;
}

void RemoveControlState(ISurface2* owner) noexcept {
    Registry& r = TheRegistry();
    Released released;
    {
        SlimLockGuard lock(&r.lock);
        auto it = std::find_if(r.states.begin(), r.states.end(),
                               [owner](const StateEntry& entry) { return entry.owner == owner; });
        if (it == r.states.end()) return;
        it->owner = nullptr;
        const DWORD thread = it->thread;
        if (it->runs == 0) TakeOut(r, it, released);
        MakeNewestCurrent(r, thread);
    }
}

ScopedRun::ScopedRun(lua_State* L) noexcept : m_pState(L) {
    Registry& r = TheRegistry();
    SlimLockGuard lock(&r.lock);
    auto it = FindState(r, L);
    if (it != r.states.end()) ++it->runs;
}

ScopedRun::~ScopedRun() {
    Registry& r = TheRegistry();
    Released released;
    SlimLockGuard lock(&r.lock);
    auto it = FindState(r, m_pState);
    if (it != r.states.end() && --it->runs == 0 && !it->owner) TakeOut(r, it, released);
}

size_t OpenStateCount() noexcept {
    Registry& r = TheRegistry();
    SlimLockGuard lock(&r.lock);
    return r.states.size();
}

}  // namespace zorvel::script
