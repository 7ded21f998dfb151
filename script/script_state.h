// Which Lua state belongs to which control, and which pair is current.
//
// Every control has a state of its own.  The current pair, on which the bound
// functions act and in which every script runs, is the newest live control
// with its state; when that control goes, the pair passes back to the newest
// control still alive.  A state is closed when its control is destroyed, or,
// when a script is still running in it at that moment, as soon as that run
// has unwound.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/identifiers.h"
#include "script/lua_api.h"


extern ISurface* g_pCurrentSurface;
extern lua_State* g_pLuaState;

namespace zorvel::script {

// A new state with all standard libraries, the changed print and the sixteen
// bound functions; null when memory runs out.
UniqueLuaState NewScriptState() noexcept;

// Takes the state over and makes owner and state the current pair.
HRESULT AddControlState(ISurface* owner, UniqueLuaState state) noexcept;
// Hands the current pair on, then closes the owner's state unless a run in it
// has yet to unwind.
void RemoveControlState(ISurface* owner) noexcept;

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

// States created and not yet closed, for tests and diagnostics.
size_t OpenStateCount() noexcept;

}  // namespace zorvel::script
