// Making a script state: stock Lua with every standard library, the changed
// print and the bound functions.
#include "script/bindings.h"
#include "script/print.h"
#include "script/script_state.h"

namespace zorvel::script {
namespace {

// Runs protected, so that running out of memory here fails the creation
// instead of ending the process in Lua's panic handler.
int SetUpState(lua_State* L) {
    luaL_openlibs(L);
    lua_pushcclosure(L, ScriptPrint, 0);
    lua_setfield(L, LUA_GLOBALSINDEX, "print");
    RegisterSurfaceBindings(L);
    return 0;
}

}  // namespace

UniqueLuaState NewScriptState() noexcept {
    UniqueLuaState state(luaL_newstate());
    if (state && lua_cpcall(state.get(), SetUpState, nullptr) != 0) state.reset();
    return state;
}

}  // namespace zorvel::script
