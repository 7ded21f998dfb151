// The Lua globals bound to the ISurface operations of the current control.
//
// Every binding is a plain function: it tests its arguments with lua_type,
// reads them with lua_tointeger/lua_tonumber (which never raise), calls the
// operation and pushes the results.  A refused argument makes the function do
// nothing and return nothing, and no binding raises an error of its own.
// The two script-running bindings do their conversions in a helper that owns
// its BSTRs and returns before the result is pushed.
#include "script/bindings.h"

#include <cstring>
#include <new>
#include <string>

#include "common/owners.h"
#include "script/binding_args.h"
#include "script/text.h"

namespace zorvel::script {
namespace {

// An argument as the operation takes it.
template <typename T>
T Arg(lua_State* L, int index);
template <>
LONG Arg<LONG>(lua_State* L, int index) {
    return IntegerArg(L, index);
}
template <>
float Arg<float>(lua_State* L, int index) {
    return FloatArg(L, index);
}

template <typename T>
using Getter = HRESULT (STDMETHODCALLTYPE ISurface::*)(T*);
template <typename T>
using Setter = HRESULT (STDMETHODCALLTYPE ISurface::*)(T);
template <typename T>
using PairGetter = HRESULT (STDMETHODCALLTYPE ISurface::*)(T*, T*);
template <typename T>
using PairSetter = HRESULT (STDMETHODCALLTYPE ISurface::*)(T, T);
using ScriptRunner = HRESULT (STDMETHODCALLTYPE ISurface::*)(BSTR, BSTR*);

// The status codes of the operations are not looked at: a refusal looks to
// the script like a success.

template <typename T, Getter<T> Get>
int PushOne(lua_State* L) {
    ISurface2* surface = Current();
    if (!surface) return 0;
    T value = 0;
    (surface->*Get)(&value);
    lua_pushnumber(L, value);
    return 1;
}

template <typename T, Setter<T> Put>
int PutOne(lua_State* L) {
    ISurface2* surface = Current();
    if (!surface || !AreNumbers(L, 1)) return 0;
    (surface->*Put)(Arg<T>(L, 1));
    return 0;
}

template <typename T, PairGetter<T> Get>
int PushPair(lua_State* L) {
    ISurface2* surface = Current();
    if (!surface) return 0;
    T first = 0;
    T second = 0;
    (surface->*Get)(&first, &second);
    lua_pushnumber(L, first);
    lua_pushnumber(L, second);
    return 2;
}

template <typename T, PairSetter<T> Put>
int PutPair(lua_State* L) {
    ISurface2* surface = Current();
    if (!surface || !AreNumbers(L, 2)) return 0;
    (surface->*Put)(Arg<T>(L, 1), Arg<T>(L, 2));
    return 0;
}

// z (argument 5) is converted untested: missing or not convertible gives 0.
int SetData(lua_State* L) {
    ISurface2* surface = Current();
    if (!surface || !AreNumbers(L, 4)) return 0;
    surface->SetData(IntegerArg(L, 1), IntegerArg(L, 2), FloatArg(L, 3), FloatArg(L, 4), FloatArg(L, 5));
    return 0;
}

int Refresh(lua_State* L) {
    (void)L;
    ISurface2* surface = Current();
    if (surface) surface->Refresh();
    return 0;
}

// The text a nested run hands back, kept in a userdata until it is pushed:
// should the push run out of memory, the collector frees the text.
struct ResultBox {
    std::string* text;
};
const char kResultBoxType[] = "Zorvel.ScriptResult";

void ReleaseResultText(ResultBox* box) {
    delete box->text;
    box->text = nullptr;
}

int FreeResultBox(lua_State* L) {
    ResultBox* box = static_cast<ResultBox*>(lua_touserdata(L, 1));
    if (box) ReleaseResultText(box);
    return 0;
}

ResultBox* NewResultBox(lua_State* L) {
    ResultBox* box = static_cast<ResultBox*>(lua_newuserdata(L, sizeof(ResultBox)));
    box->text = nullptr;
    luaL_getmetatable(L, kResultBoxType);
    lua_setmetatable(L, -2);
    return box;
}

// Runs the nested script; every owner lives and dies in here, outside the
// reach of a Lua error.  On success the box holds the Result as ANSI text.
HRESULT RunNestedScript(ScriptRunner run, const char* text, ResultBox* box) noexcept {
    ISurface2* surface = Current();
    if (!surface) return E_UNEXPECTED;
    UniqueBstr argument;
    RETURN_IF_FAILED(BstrFromAnsi(text, strlen(text), argument.put()));
    UniqueBstr result;
    RETURN_IF_FAILED((surface->*run)(argument.get(), result.put()));
    if (!result.get()) return E_UNEXPECTED;
    std::string ansi;
    RETURN_IF_FAILED(AnsiFromBstr(result.get(), ansi));
    box->text = new (std::nothrow) std::string(std::move(ansi));
    return box->text ? S_OK : E_OUTOFMEMORY;
}

// The argument is read up to its first zero byte; a Result that could not be
// made or converted comes back as nil.
template <ScriptRunner Run>
int RunScriptBinding(lua_State* L) {
    if (lua_type(L, 1) != LUA_TSTRING || !Current()) return 0;
    const char* text = lua_tostring(L, 1);
    ResultBox* box = NewResultBox(L);
    if (FAILED(RunNestedScript(Run, text, box))) {
        lua_pushnil(L);
        return 1;
    }
    lua_pushlstring(L, box->text->data(), box->text->size());
    ReleaseResultText(box);  // the text is Lua's now
    return 1;
}

struct Binding {
    const char* name;
    lua_CFunction function;
};

// In the order in which they are registered.
const Binding kBindings[] = {
    {"GetXYRotate", PushOne<LONG, &ISurface::get_XYRotate>},
    {"SetXYRotate", PutOne<LONG, &ISurface::put_XYRotate>},
    {"GetZRotate", PushOne<LONG, &ISurface::get_ZRotate>},
    {"SetZRotate", PutOne<LONG, &ISurface::put_ZRotate>},
    {"GetRadius", PushOne<float, &ISurface::get_Radius>},
    {"SetRadius", PutOne<float, &ISurface::put_Radius>},
    {"SetPointsPerXY", PutPair<LONG, &ISurface::SetPointsPerXY>},
    {"GetPointsPerXY", PushPair<LONG, &ISurface::GetPointsPerXY>},
    {"SetXRange", PutPair<float, &ISurface::SetXRange>},
    {"GetXRange", PushPair<float, &ISurface::GetXRange>},
    {"SetYRange", PutPair<float, &ISurface::SetYRange>},
    {"GetYRange", PushPair<float, &ISurface::GetYRange>},
    {"SetData", SetData},
    {"Refresh", Refresh},
    {"RunScriptFromFile", RunScriptBinding<&ISurface::RunScriptFromFile>},
    {"RunScript", RunScriptBinding<&ISurface::RunScript>},
};

}  // namespace

void RegisterSurfaceBindings(lua_State* L) {
    luaL_newmetatable(L, kResultBoxType);
    lua_pushcclosure(L, FreeResultBox, 0);
    lua_setfield(L, -2, "__gc");
    lua_pop(L, 1);
    for (const Binding& binding : kBindings) {
        lua_pushcclosure(L, binding.function, 0);
        lua_setfield(L, LUA_GLOBALSINDEX, binding.name);
    }
    RegisterPlotBindings(L);
}

}  // namespace zorvel::script
