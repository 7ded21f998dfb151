// The sixteen Lua globals that drive the current control.
#pragma once

#include "script/lua_api.h"

namespace zorvel::script {

// Registers the sixteen functions as globals of L, in their fixed order, and
// the metatable their results need.  May raise: run it protected.
void RegisterSurfaceBindings(lua_State* L);

}  // namespace zorvel::script
