// The plain Lua 5.1 loop that the control's script run is measured against:
// the script form's sample script, loaded from memory into a state that was
// opened once, calling trivial C functions of the same names and signatures
// (SetData reads its five arguments and stores z when inside a 173 x 173
// grid; the getters push constants; print collects its arguments).  No COM,
// no control, no temporary file.
//
// Prints three figures:
//   ref_lua_calls     the sample script with its 30,276 SetData calls
//   ref_lua_loop      the same text without the SetData call: loop and sines
//   ref_lua_empty     an empty chunk: load and call alone
//
// Usage: lua_calls_ref [samples=N]
extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <string>
#include <vector>

#include "bench/reference/bench_stats.h"
#include "hosts/script_form/sample_script.h"

#ifdef _WIN32
#define SUFFIX "_wine"
#else
#define SUFFIX ""
#endif

namespace {

constexpr int kCount = 173;
float g_heights[kCount * kCount];
std::string g_output;

int SetData(lua_State* L)
{
    for (int i = 1; i <= 4; ++i)
        if (lua_type(L, i) != LUA_TNUMBER)
            return 0;
    const lua_Integer col = lua_tointeger(L, 1);
    const lua_Integer row = lua_tointeger(L, 2);
    const float x = static_cast<float>(lua_tonumber(L, 3));
    const float y = static_cast<float>(lua_tonumber(L, 4));
    const float z = static_cast<float>(lua_tonumber(L, 5));
    (void)x;
    (void)y;
    if (col >= 0 && col < kCount && row >= 0 && row < kCount)
        g_heights[col + row * kCount] = z;
    return 0;
}

int GetPointsPerXY(lua_State* L)
{
    lua_pushinteger(L, kCount);
    lua_pushinteger(L, kCount);
    return 2;
}

int GetRange(lua_State* L)
{
    lua_pushnumber(L, -10.0f);
    lua_pushnumber(L, 10.0f);
    return 2;
}

int Nothing(lua_State*) { return 0; }

int Print(lua_State* L)
{
    const int n = lua_gettop(L);
    for (int i = 1; i <= n; ++i) {
        size_t length = 0;
        lua_getglobal(L, "tostring");
        lua_pushvalue(L, i);
        lua_call(L, 1, 1);
        const char* text = lua_tolstring(L, -1, &length);
        if (text)
            g_output.append(text, length);
        lua_pop(L, 1);
    }
    g_output.append("\r\n");
    return 0;
}

struct Binding {
    const char* name;
    lua_CFunction function;
};

const Binding kBindings[] = {
    {"SetData", SetData},     {"GetPointsPerXY", GetPointsPerXY},
    {"GetXRange", GetRange},  {"GetYRange", GetRange},
    {"Refresh", Nothing},     {"SetXYRotate", Nothing},
    {"print", Print},
};

void RunChunk(lua_State* L, const std::string& text)
{
    g_output.clear();
    const int top = lua_gettop(L);
    if (luaL_loadbuffer(L, text.data(), text.size(), "=script") == 0)
        lua_pcall(L, 0, LUA_MULTRET, 0);  // the sample ends in a call of nil: dropped
    lua_settop(L, top);
}

void Measure(lua_State* L, const char* name, const std::string& text, int samples)
{
    std::vector<double> times(static_cast<size_t>(samples));
    for (int i = 0; i < 3; ++i)
        RunChunk(L, text);
    for (int i = 0; i < samples; ++i) {
        const double start = bench_now_ms();
        RunChunk(L, text);
        times[static_cast<size_t>(i)] = bench_now_ms() - start;
    }
    bench_report(name, times.data(), samples);
}

}  // namespace

int main(int argc, char** argv)
{
    const int samples = bench_arg_int(argc, argv, "samples", 40);
    lua_State* L = luaL_newstate();
    if (!L)
        return 1;
    luaL_openlibs(L);
    for (const Binding& b : kBindings)
        lua_register(L, b.name, b.function);

    const std::string sample(kSampleScript, kSampleScriptLength);
    std::string loopOnly = sample;
    const std::string call = "SetData(i, j, x, y, z)";
    loopOnly.erase(loopOnly.find(call), call.size());

    Measure(L, "ref_lua_calls" SUFFIX, sample, samples);
    Measure(L, "ref_lua_loop" SUFFIX, loopOnly, samples);
    Measure(L, "ref_lua_empty" SUFFIX, std::string(), samples * 10);

    // The run did what the sample asks: one printed line, the grid filled.
    const bool filled = g_heights[1 + 1 * kCount] != 0.0f;
    lua_close(L);
    return filled ? 0 : 1;
}
