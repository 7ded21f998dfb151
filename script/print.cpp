// print: standard output as Lua's own print writes it, plus the capture.
#include "script/print.h"

#include <cstdio>
#include <cstring>

#include "script/capture.h"

namespace zorvel::script {
namespace {

int RaiseOutOfMemory(lua_State* L) {
    lua_pushliteral(L, "not enough memory");
    return lua_error(L);
}

}  // namespace

// Called by Lua and able to raise: nothing here has a destructor.
int ScriptPrint(lua_State* L) {
    const int count = lua_gettop(L);
    lua_getglobal(L, "tostring");
    for (int i = 1; i <= count; ++i) {
        lua_pushvalue(L, -1);
        lua_pushvalue(L, i);
        lua_call(L, 1, 1);
        // Like Lua's print, a number from tostring is taken as its text.
        const char* text = lua_tostring(L, -1);
        if (!text) return luaL_error(L, LUA_QL("tostring") " must return a string to " LUA_QL("print"));
        if (i > 1) fputs("\t", stdout);
        fputs(text, stdout);
        // Both outputs stop at a zero byte.
        if (!AppendToCapture(text, strlen(text))) return RaiseOutOfMemory(L);
        lua_pop(L, 1);
    }
    fputs("\n", stdout);
    if (!AppendToCapture("\r\n", 2)) return RaiseOutOfMemory(L);
    return 0;
}

}  // namespace zorvel::script
