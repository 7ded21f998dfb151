// The Lua globals of ISurface2, beside the sixteen: SetGrid from a table of
// rows, GetHeight, SetColorMap, SetShowLegend, SetFitHeights, SaveImage,
// SetShowAxes, SetAxisTitle and SetMouseNavigate.
// The same rules as the sixteen: a refused argument makes the function do
// nothing and return nothing; what needs an owner (an array, a BSTR) lives
// in a helper that returns before anything is pushed.
#include "script/bindings.h"

#include <cstring>
#include <new>
#include <vector>

#include "common/owners.h"
#include "script/binding_args.h"
#include "script/text.h"

namespace zorvel::script {
namespace {

// An optional number argument as a variant: missing when absent, empty when
// not a number (which the operation refuses).
VARIANT OptionalNumber(lua_State* L, int index) {
    VARIANT value;
    VariantInit(&value);
    if (lua_isnoneornil(L, index)) {
        value.vt = VT_ERROR;
        value.scode = DISP_E_PARAMNOTFOUND;
    } else if (lua_type(L, index) == LUA_TNUMBER) {
        value.vt = VT_R8;
        value.dblVal = lua_tonumber(L, index);
    }
    return value;
}

// The table of rows at index 1 read into heights (row after row); false
// unless every row is a table of as many numbers as the first.
bool ReadRows(lua_State* L, std::vector<double>& heights, size_t& columns, size_t& rows) {
    if (lua_type(L, 1) != LUA_TTABLE) return false;
    rows = lua_objlen(L, 1);
    columns = 0;
    if (rows == 0 || rows > 30000) return false;
    for (size_t r = 1; r <= rows; ++r) {
        lua_rawgeti(L, 1, static_cast<int>(r));
        const bool row = lua_type(L, -1) == LUA_TTABLE;
        const size_t length = row ? lua_objlen(L, -1) : 0;
        if (r == 1) columns = length;
        bool good = row && length == columns && length != 0 && length * rows <= 30000;
        for (size_t c = 1; good && c <= length; ++c) {
            lua_rawgeti(L, -1, static_cast<int>(c));
            good = lua_type(L, -1) == LUA_TNUMBER;
            if (good) heights.push_back(lua_tonumber(L, -1));
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        if (!good) return false;
    }
    return true;
}

// heights(ix, iy) as a two-dimensional array of doubles, the first dimension
// along x; then SetGrid.
HRESULT CallSetGrid(const std::vector<double>& heights, size_t columns, size_t rows,
                    const VARIANT (&ranges)[4]) noexcept {
    ISurface2* surface = Current();
    if (!surface) return E_UNEXPECTED;
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(columns), 0}, {static_cast<ULONG>(rows), 0}};
    SAFEARRAY* array = SafeArrayCreate(VT_R8, 2, bounds);
    if (!array) return E_OUTOFMEMORY;
    UniqueVariant value;
    value.get()->vt = VT_ARRAY | VT_R8;
    value.get()->parray = array;  // the variant owns it from here
    void* data = nullptr;
    RETURN_IF_FAILED(SafeArrayAccessData(array, &data));
    // The rows are already in the array's order: x varies fastest.
    std::memcpy(data, heights.data(), heights.size() * sizeof(double));
    SafeArrayUnaccessData(array);
    return surface->SetGrid(*value.get(), ranges[0], ranges[1], ranges[2], ranges[3]);
}

// SetGrid(rows[, minX, maxX, minY, maxY]): rows[iy][ix] is the height at
// column ix, row iy, both from 1.
int SetGrid(lua_State* L) {
    std::vector<double>* heights = new (std::nothrow) std::vector<double>();
    if (!heights || !Current()) {
        delete heights;
        return 0;
    }
    size_t columns = 0, rows = 0;
    bool read = false;
    try {
        read = ReadRows(L, *heights, columns, rows);
    } catch (...) {
        read = false;
    }
    const VARIANT ranges[4] = {OptionalNumber(L, 2), OptionalNumber(L, 3), OptionalNumber(L, 4),
                               OptionalNumber(L, 5)};
    if (read) CallSetGrid(*heights, columns, rows, ranges);
    delete heights;
    return 0;
}

int GetHeight(lua_State* L) {
    ISurface2* surface = Current();
    if (!surface || !AreNumbers(L, 2)) return 0;
    float height = 0.0f;
    surface->GetHeight(IntegerArg(L, 1), IntegerArg(L, 2), &height);
    lua_pushnumber(L, height);
    return 1;
}

int SetColorMap(lua_State* L) {
    ISurface2* surface = Current();
    if (!surface || !AreNumbers(L, 1)) return 0;
    surface->put_ColorMap(IntegerArg(L, 1));
    return 0;
}

// A switch from a boolean, or from a number (0 is off).
template <HRESULT (STDMETHODCALLTYPE ISurface2::*Put)(VARIANT_BOOL)>
int PutSwitch(lua_State* L) {
    ISurface2* surface = Current();
    const int type = lua_type(L, 1);
    if (!surface || (type != LUA_TBOOLEAN && type != LUA_TNUMBER)) return 0;
    const bool on = type == LUA_TBOOLEAN ? lua_toboolean(L, 1) != 0 : lua_tonumber(L, 1) != 0.0;
    (surface->*Put)(on ? VARIANT_TRUE : VARIANT_FALSE);
    return 0;
}

HRESULT CallSaveImage(const char* path, const VARIANT& width, const VARIANT& height) noexcept {
    ISurface2* surface = Current();
    if (!surface) return E_UNEXPECTED;
    UniqueBstr name;
    RETURN_IF_FAILED(BstrFromAnsi(path, std::strlen(path), name.put()));
    return surface->SaveImage(name.get(), width, height);
}

// SaveImage(path[, width, height]): true when the file was written.
int SaveImage(lua_State* L) {
    if (lua_type(L, 1) != LUA_TSTRING || !Current()) return 0;
    const HRESULT hr = CallSaveImage(lua_tostring(L, 1), OptionalNumber(L, 2), OptionalNumber(L, 3));
    lua_pushboolean(L, SUCCEEDED(hr));
    return 1;
}

HRESULT CallAxisTitle(LONG axis, const char* text, size_t length) noexcept {
    ISurface2* surface = Current();
    if (!surface) return E_UNEXPECTED;
    UniqueBstr title;
    RETURN_IF_FAILED(BstrFromAnsi(text, length, title.put()));
    return surface->AxisTitle(axis, title.get());
}

// SetAxisTitle(axis, text): axis 0 is x, 1 is y, 2 the height; "" removes it.
int SetAxisTitle(lua_State* L) {
    if (!AreNumbers(L, 1) || lua_type(L, 2) != LUA_TSTRING || !Current()) return 0;
    size_t length = 0;
    const char* text = lua_tolstring(L, 2, &length);
    CallAxisTitle(IntegerArg(L, 1), text, length);
    return 0;
}

const luaL_Reg kPlotBindings[] = {
    {"SetGrid", SetGrid},
    {"GetHeight", GetHeight},
    {"SetColorMap", SetColorMap},
    {"SetShowLegend", PutSwitch<&ISurface2::put_ShowLegend>},
    {"SetFitHeights", PutSwitch<&ISurface2::put_FitHeights>},
    {"SaveImage", SaveImage},
    {"SetShowAxes", PutSwitch<&ISurface2::put_ShowAxes>},
    {"SetAxisTitle", SetAxisTitle},
    {"SetMouseNavigate", PutSwitch<&ISurface2::put_MouseNavigate>},
};

}  // namespace

void RegisterPlotBindings(lua_State* L) {
    for (const luaL_Reg& binding : kPlotBindings) {
        lua_pushcclosure(L, binding.func, 0);
        lua_setfield(L, LUA_GLOBALSINDEX, binding.name);
    }
}

}  // namespace zorvel::script
