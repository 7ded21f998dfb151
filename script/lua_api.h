// The Lua 5.1 C API as seen from C++, and the owner of a Lua state.
//
// Lua is built as C: its errors unwind with longjmp.  A frame that calls a
// Lua function able to raise must therefore hold nothing with a destructor;
// work that needs owners happens in helpers that return first.
#pragma once

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <memory>

namespace zorvel::script {

struct LuaStateCloser {
    void operator()(lua_State* L) const noexcept { lua_close(L); }
};
using UniqueLuaState = std::unique_ptr<lua_State, LuaStateCloser>;

}  // namespace zorvel::script
