// What every binding does with its arguments and the current control.  The
// readers never raise: lua_type, lua_tointeger and lua_tonumber do not.
#pragma once

#include "common/identifiers.h"
#include "script/lua_api.h"
#include "script/script_state.h"

namespace zorvel::script {

inline bool AreNumbers(lua_State* L, int count) {
    for (int i = 1; i <= count; ++i) {
        if (lua_type(L, i) != LUA_TNUMBER) return false;
    }
    return true;
}

inline LONG IntegerArg(lua_State* L, int index) {
    return static_cast<LONG>(lua_tointeger(L, index));
}

inline float FloatArg(lua_State* L, int index) {
    return static_cast<float>(lua_tonumber(L, index));
}

// The operations are called through the interface, as a host would call them.
inline ISurface2* Current() {
    return CurrentSurface();
}

}  // namespace zorvel::script
