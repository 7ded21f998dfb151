// Which Lua state belongs to which control, and which pair is current.
//
// Every control has a state of its own, and belongs to the thread (the
// apartment) that made it.  Each thread has its own current pair, on which
// the bound functions act and in which every script of that thread runs: the
// thread's newest live control with its state.  When that control goes, the
// pair passes back to the thread's newest control still alive.  Each thread
// also has its own output capture.  A state is closed when its control is
// destroyed, or, when a script is still running in it at that moment, as soon
// as that run has unwound.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "common/identifiers.h"
#include "script/lua_api.h"

namespace zorvel::script {

// What the scripts of one thread share.
struct ThreadScripts {
    ISurface2* surface = nullptr;  // the current pair
    lua_State* state = nullptr;
    std::string output;           // what print wrote since the current run started
};

// The calling thread's, or null while it has no control.
ThreadScripts* ThisThread() noexcept;
inline ISurface2* CurrentSurface() noexcept {
    ThreadScripts* scripts = ThisThread();
    return scripts ? scripts->surface : nullptr;
}
inline lua_State* CurrentState() noexcept {
    ThreadScripts* scripts = ThisThread();
    return scripts ? scripts->state : nullptr;
}

// A new state with all standard libraries, the changed print and the sixteen
// bound functions; null when memory runs out.
UniqueLuaState NewScriptState() noexcept;

// Takes the state over and makes owner and state the calling thread's
// current pair.
HRESULT AddControlState(ISurface2* owner, UniqueLuaState state) noexcept;
// Hands the owner's thread's current pair on, then closes the owner's state
// unless a run in it has yet to unwind.
void RemoveControlState(ISurface2* owner) noexcept;

// Marks a script run in L for as long as it lives.
class ScopedRun {
public:
    explicit ScopedRun(lua_State* L) noexcept;
    ~ScopedRun();
    ScopedRun(const ScopedRun&) = delete;
    ScopedRun& operator=(const ScopedRun&) = delete;

private:
    lua_State* m_pState;
};

// States created and not yet closed, in all threads; for tests and diagnostics.
size_t OpenStateCount() noexcept;

}  // namespace zorvel::script
