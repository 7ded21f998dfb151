// The base library's print, changed to feed the output capture as well.
#pragma once

#include "script/lua_api.h"

namespace zorvel::script {

// Writes to standard output exactly what Lua's own print writes, and appends
// each argument's text, back to back, then CR LF, to the capture.
int ScriptPrint(lua_State* L);

}  // namespace zorvel::script
