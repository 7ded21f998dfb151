// Late-bound calls with everything a caller can get wrong: random DISPIDs
// and flags, argument counts past the longest list, named arguments that
// collide or point nowhere, every VARIANT type by value and by reference
// (null references, objects whose value calls back into the control, arrays,
// type numbers no variant should carry), result variants that already hold
// something, and missing result, exception and argument-error pointers.
//
// Every answer must be one the dispatch documents; a refused call must leave
// the control as it was and write nothing but the argument-error index; a
// result and the callers' by-reference variables must hold what the
// operation gave.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwctype>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "control/surface.h"
#include "fuzz_support.h"
#include "support/surface_names.h"
#include "random_variant.h"

namespace {

using fuzz_test::Random;
using fuzz_test::ReentryLog;
using fuzz_test::VariantArena;
using zorvel::ComPtr;

constexpr UINT kUntouched = 0xDEADBEEF;

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// What a caller can see of the control, the grid's contents included.
struct ControlState {
    LONG countX = 0;
    LONG countY = 0;
    float range[4] = {};
    LONG xyRotate = 0;
    LONG zRotate = 0;
    float radius = 0;
    uint64_t grid = 0;
    LONG colorMap = 0;
    VARIANT_BOOL showLegend = VARIANT_FALSE;
    VARIANT_BOOL fitHeights = VARIANT_FALSE;
    VARIANT_BOOL showAxes = VARIANT_FALSE;
    VARIANT_BOOL mouseNavigate = VARIANT_FALSE;
    std::wstring titles[3];

    bool SameAs(const ControlState& o) const
    {
        for (int i = 0; i < 4; ++i) {
            if (!SameBits(range[i], o.range[i]))
                return false;
        }
        return countX == o.countX && countY == o.countY && xyRotate == o.xyRotate &&
               zRotate == o.zRotate && SameBits(radius, o.radius) && grid == o.grid &&
               colorMap == o.colorMap && showLegend == o.showLegend && fitHeights == o.fitHeights &&
               showAxes == o.showAxes && mouseNavigate == o.mouseNavigate && titles[0] == o.titles[0] &&
               titles[1] == o.titles[1] && titles[2] == o.titles[2];
    }
};

uint64_t Hash(uint64_t hash, const float* values, uint64_t count)
{
    if (!values)
        return hash * 31 + 7;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(values);
    for (uint64_t i = 0; i < count * sizeof(float); ++i)
        hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    return hash;
}

ControlState StateOf(ISurface* control)
{
    ControlState s;
    control->GetPointsPerXY(&s.countX, &s.countY);
    control->GetXRange(&s.range[0], &s.range[1]);
    control->GetYRange(&s.range[2], &s.range[3]);
    control->get_XYRotate(&s.xyRotate);
    control->get_ZRotate(&s.zRotate);
    control->get_Radius(&s.radius);
    ISurface2* plot = static_cast<CSurface*>(control);
    plot->get_ColorMap(&s.colorMap);
    plot->get_ShowLegend(&s.showLegend);
    plot->get_FitHeights(&s.fitHeights);
    plot->get_ShowAxes(&s.showAxes);
    plot->get_MouseNavigate(&s.mouseNavigate);
    for (int axis = 0; axis < 3; ++axis)
        s.titles[axis] = static_cast<CSurface*>(control)->Renderer().AxisTitle(axis);
    const CSurfaceGrid* grid = &static_cast<CSurface*>(control)->Grid();
    uint64_t hash = 0xCBF29CE484222325ull;
    hash = Hash(hash, grid->XValues(), grid->CountX());
    hash = Hash(hash, grid->YValues(), grid->CountY());
    hash = Hash(hash, grid->Heights(), static_cast<uint64_t>(grid->CountX()) * grid->CountY());
    s.grid = hash;
    return s;
}

// The control's copy of the ranges and counts against its grid's.
void ExpectConsistent(ISurface* control)
{
    const CSurfaceGrid* grid = &static_cast<CSurface*>(control)->Grid();
    const ControlState s = StateOf(control);
    ASSERT_EQ(static_cast<LONG>(grid->CountX()), s.countX);
    ASSERT_EQ(static_cast<LONG>(grid->CountY()), s.countY);
    ASSERT_TRUE(SameBits(grid->XMin(), s.range[0]) && SameBits(grid->XMax(), s.range[1]));
    ASSERT_TRUE(SameBits(grid->YMin(), s.range[2]) && SameBits(grid->YMax(), s.range[3]));
    ASSERT_TRUE(s.xyRotate == 0 || s.xyRotate == 1);
    ASSERT_TRUE(s.zRotate == 0 || s.zRotate == 1);
    ASSERT_GT(s.radius, 0.0f);
}

bool IsDispatchRefusal(HRESULT hr)
{
    return hr == DISP_E_BADVARTYPE || hr == DISP_E_BADPARAMCOUNT || hr == DISP_E_PARAMNOTFOUND ||
           hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTOPTIONAL;
}

// SaveImage (10006) is left out: it would write files wherever a random
// text points.
const DISPID kDispids[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 10000, 1, 2, 3, 5, 9, 10, 11,
                           10001, 10001, 10002, 10003, 10004, 10005, 10007, 10008, 10009,
                           0, -1, -3, -4, -5, 14, 100, 9999, 10010, 0x7FFFFFFF,
                           static_cast<DISPID>(0x80000000)};
const WORD kFlags[] = {
    DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
    DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF, DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF,
    DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, 0, 0xFFFF,
};
const DISPID kNames[] = {0, 1, 2, 3, 4, DISPID_PROPERTYPUT, DISPID_PROPERTYPUT, -1, 5, 7, 0x7FFFFFFF};

struct Tally {
    std::map<HRESULT, uint64_t> results;
    uint64_t reentries = 0;
    uint64_t gridArrays = 0;  // SetGrid calls, and how many took their array
    uint64_t gridsTaken = 0;

    std::string Text() const
    {
        std::string text;
        for (const auto& entry : results) {
            char item[48];
            std::snprintf(item, sizeof item, "%s0x%08lX:%llu", text.empty() ? "" : ",",
                          static_cast<unsigned long>(entry.first), static_cast<unsigned long long>(entry.second));
            text += item;
        }
        return "results=" + text + " reentries=" + std::to_string(reentries) +
               " setgrid=" + std::to_string(gridArrays) + " setgrid-taken=" + std::to_string(gridsTaken);
    }
};

// A pointer parameter's argument written back by a getter: a direct
// reference of the parameter's type, or a referenced variant.
void ExpectWrittenBack(const VARIANT& arg, VARTYPE type, LONG l, float f)
{
    if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal) {
        ASSERT_EQ(type, arg.pvarVal->vt);
        if (type == VT_I4) {
            ASSERT_EQ(l, arg.pvarVal->lVal);
        } else {
            ASSERT_TRUE(SameBits(f, arg.pvarVal->fltVal));
        }
    } else if (arg.vt == (VT_BYREF | VT_I4)) {
        ASSERT_EQ(l, *arg.plVal);
    } else if (arg.vt == (VT_BYREF | VT_R4)) {
        ASSERT_TRUE(SameBits(f, *arg.pfltVal));
    }
}

// The calls a host means to make, which the fuzzer then bends.
struct Shape {
    DISPID id;
    UINT params;
    WORD flags;
};
const Shape kShapes[] = {
    {10000, 2, DISPATCH_METHOD}, {1, 2, DISPATCH_METHOD}, {2, 2, DISPATCH_METHOD},
    {3, 2, DISPATCH_METHOD}, {4, 2, DISPATCH_METHOD}, {5, 5, DISPATCH_METHOD},
    {6, 2, DISPATCH_METHOD}, {7, 2, DISPATCH_METHOD}, {8, 0, DISPATCH_METHOD},
    {9, 0, DISPATCH_PROPERTYGET}, {9, 1, DISPATCH_PROPERTYPUT}, {10, 0, DISPATCH_PROPERTYGET},
    {10, 1, DISPATCH_PROPERTYPUT}, {11, 0, DISPATCH_PROPERTYGET}, {11, 1, DISPATCH_PROPERTYPUT},
    {12, 1, DISPATCH_METHOD}, {13, 1, DISPATCH_METHOD},
    {10001, 1, DISPATCH_METHOD}, {10001, 1, DISPATCH_METHOD}, {10001, 5, DISPATCH_METHOD},
    {10002, 2, DISPATCH_METHOD}, {10003, 0, DISPATCH_PROPERTYGET}, {10003, 1, DISPATCH_PROPERTYPUT},
    {10004, 0, DISPATCH_PROPERTYGET}, {10004, 1, DISPATCH_PROPERTYPUT}, {10005, 0, DISPATCH_PROPERTYGET},
    {10005, 1, DISPATCH_PROPERTYPUT}, {10007, 0, DISPATCH_PROPERTYGET}, {10007, 1, DISPATCH_PROPERTYPUT},
    {10008, 2, DISPATCH_METHOD}, {10009, 0, DISPATCH_PROPERTYGET}, {10009, 1, DISPATCH_PROPERTYPUT},
};

void OneInvoke(Random& random, ISurface* control, Tally& tally)
{
    IDispatch* dispatch = control;
    ReentryLog log;
    VariantArena arena(random, dispatch, log);

    // Two in three calls start from one a host would make; the rest are anything.
    const bool shaped = random.Percent(65);
    const Shape& shape = random.Pick(kShapes);
    UINT argCount = shaped ? shape.params : (random.Percent(90) ? random.Below(7) : random.Below(12));
    if (shaped && random.Percent(10))
        argCount = random.Percent(50) ? argCount + 1 : (argCount == 0 ? 0 : argCount - 1);
    std::vector<VARIANT> args(argCount);
    for (VARIANT& arg : args) {
        if (shaped)
            arena.FillPlausible(&arg);
        else
            arena.Fill(&arg);
    }
    // SetGrid's heights, the first parameter and so the last argument.
    std::pair<ULONG, ULONG> gridShape = {0, 0};
    if (shaped && shape.id == 10001 && argCount != 0) {
        VariantClear(&args[argCount - 1]);
        gridShape = arena.FillGridArray(&args[argCount - 1]);
    }
    UINT namedCount = 0;
    std::vector<DISPID> named;
    if (shaped && shape.flags == DISPATCH_PROPERTYPUT && argCount == 1 && random.Percent(60)) {
        named.push_back(DISPID_PROPERTYPUT);
    } else if (shaped && argCount > 1 && random.Percent(20)) {
        // Named arguments in some order: the last k parameters by position.
        const UINT k = 1 + random.Below(argCount);
        for (UINT i = 0; i < k; ++i)
            named.push_back(static_cast<DISPID>(argCount - 1 - i));
        for (UINT i = k; i-- > 1;)
            std::swap(named[i], named[random.Below(i + 1)]);
    } else if (!shaped && random.Percent(30)) {
        named.resize(random.Below(argCount + 2));
        for (DISPID& id : named)
            id = random.Percent(90) ? random.Pick(kNames) : static_cast<DISPID>(random.U32());
    }
    namedCount = static_cast<UINT>(named.size());
    DISPPARAMS params = {argCount ? args.data() : nullptr, namedCount ? named.data() : nullptr,
                         argCount, namedCount};
    if (random.Percent(3))
        params.rgvarg = nullptr;  // promises arguments it does not carry
    if (random.Percent(3))
        params.rgdispidNamedArgs = nullptr;
    DISPPARAMS* paramsArg = random.Percent(2) ? nullptr : &params;

    VARIANT result;
    VariantInit(&result);
    BSTR old = nullptr;
    if (random.Percent(20)) {
        // A result variable still holding the last call's text.
        old = SysAllocString(L"old");
        result.vt = VT_BSTR;
        result.bstrVal = old;
    }
    const bool wantResult = random.Percent(75);
    EXCEPINFO excep = {};
    const bool wantExcep = random.Percent(50);
    UINT argErr = kUntouched;
    const bool wantArgErr = random.Percent(70);
    DISPID id = random.Percent(95) ? random.Pick(kDispids) : static_cast<DISPID>(random.U32());
    WORD flags = random.Percent(95) ? random.Pick(kFlags) : static_cast<WORD>(random.U32());
    if (shaped) {
        id = shape.id;
        flags = random.Percent(85) ? shape.flags : random.Pick(kFlags);
    }
    const LCID locale = random.Percent(80) ? LOCALE_USER_DEFAULT : static_cast<LCID>(random.U32());

    if (fuzz_test::Verbose()) {
        std::fprintf(stderr, "invoke %ld flags 0x%x args %u named %u params %d rgvarg %d result %d:", id,
                     flags, argCount, namedCount, paramsArg != nullptr, params.rgvarg != nullptr, wantResult);
        for (const VARIANT& arg : args) {
            std::fprintf(stderr, " 0x%x%s", arg.vt, (arg.vt & VT_BYREF) && !arg.byref ? "(null)" : "");
            if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal) {
                const VARIANT& inner = *arg.pvarVal;
                const bool nullInside = (inner.vt & VT_BYREF) ? !inner.byref
                                        : (inner.vt & VT_ARRAY) ? !inner.parray : false;
                std::fprintf(stderr, "[0x%x%s]", inner.vt, nullInside ? "(null)" : "");
            }
        }
        for (DISPID name : named)
            std::fprintf(stderr, " n%ld", name);
        std::fprintf(stderr, "\n");
    }
    const ControlState before = StateOf(control);
    HRESULT hr;
    {
        fuzz_test::QuietStdout quiet;
        hr = dispatch->Invoke(id, IID_NULL, locale, flags, paramsArg, wantResult ? &result : nullptr,
                              wantExcep ? &excep : nullptr, wantArgErr ? &argErr : nullptr);
    }
    const ControlState after = StateOf(control);
    ++tally.results[hr];
    // The second interface's refusals come as exceptions when there is an
    // EXCEPINFO to carry their description; the checks below go by the code.
    if (hr == DISP_E_EXCEPTION) {
        ASSERT_TRUE(wantExcep && id > 10000) << "DISPID " << id;
        ASSERT_TRUE(FAILED(excep.scode) && excep.scode != DISP_E_EXCEPTION);
        ASSERT_NE(nullptr, excep.bstrDescription);
        hr = excep.scode;
    }
    tally.reentries += static_cast<uint64_t>(log.reentries);
    if (id == DISPID_SURFACE2_SETGRID) {
        ++tally.gridArrays;
        if (hr == S_OK) ++tally.gridsTaken;
    }

    SCOPED_TRACE(testing::Message() << "DISPID " << id << " flags " << flags << " args " << argCount
                                    << " named " << namedCount << " hr 0x" << std::hex << hr);
    // S_OK, the 1 of a refused value, E_FAIL of a refresh without a device,
    // E_OUTOFMEMORY of a range for an axis the grid could not allocate, or
    // one of the dispatch refusals.
    // E_INVALIDARG: an array, a range, a map or an axis ISurface2 refuses.
    ASSERT_TRUE(hr == S_OK || hr == 1 || hr == E_FAIL || hr == E_OUTOFMEMORY || hr == E_INVALIDARG ||
                IsDispatchRefusal(hr));
    if (hr == E_OUTOFMEMORY) {
        ASSERT_TRUE(id == 3 || id == 4 || id == 12 || id == 13 || id == 10001 || id == 10008)
            << "only a range, a grid, a script or a title allocates";
    }
    if ((IsDispatchRefusal(hr) || hr == E_INVALIDARG) && log.reentries == 0) {
        ASSERT_TRUE(after.SameAs(before));
    }
    // A grid taken from a whole array has the array's shape.
    if (hr == S_OK && id == 10001 && gridShape.first != 0 && namedCount == 0 && paramsArg && params.rgvarg) {
        ASSERT_EQ(static_cast<LONG>(gridShape.first), after.countX);
        ASSERT_EQ(static_cast<LONG>(gridShape.second), after.countY);
    }

    if (wantArgErr) {
        if (hr == DISP_E_TYPEMISMATCH && argErr != kUntouched) {
            ASSERT_LT(argErr, argCount);
        } else if (hr == DISP_E_PARAMNOTFOUND && argErr != kUntouched) {
            ASSERT_LT(argErr, namedCount);
        } else {
            ASSERT_EQ(kUntouched, argErr);
        }
    }
    if (wantExcep && FAILED(hr) && !IsDispatchRefusal(hr)) {
        ASSERT_EQ(hr, excep.scode);
    }

    const bool propertyGet =
        ((id >= 9 && id <= 11) || (id >= 10003 && id <= 10005) || id == 10007 || id == 10009) &&
        (flags & DISPATCH_PROPERTYGET);
    if (wantResult) {
        if (FAILED(hr)) {
            // Cleared, or - refused before the arguments were looked at - untouched.
            const bool untouched = old && result.vt == VT_BSTR && result.bstrVal == old;
            ASSERT_TRUE(result.vt == VT_EMPTY || untouched) << "vt " << result.vt;
        } else if (propertyGet && id > 10000) {
            ASSERT_EQ(id == 10003 ? VT_I4 : VT_BOOL, result.vt);
            const LONG want = id == 10003 ? after.colorMap
                              : id == 10004 ? after.showLegend
                              : id == 10005 ? after.fitHeights
                              : id == 10007 ? after.showAxes
                                            : after.mouseNavigate;
            ASSERT_EQ(want, id == 10003 ? result.lVal : result.boolVal);
        } else if (id == 10002 && hr != DISP_E_BADPARAMCOUNT) {
            ASSERT_EQ(VT_R4, result.vt);
        } else if (propertyGet) {
            ASSERT_EQ(id == 11 ? VT_R4 : VT_I4, result.vt);
            if (id == 9) {
                ASSERT_EQ(after.xyRotate, result.lVal);
            } else if (id == 10) {
                ASSERT_EQ(after.zRotate, result.lVal);
            } else {
                ASSERT_TRUE(SameBits(after.radius, result.fltVal));
            }
        } else if (id == 12 || id == 13) {
            ASSERT_EQ(VT_BSTR, result.vt);
            ASSERT_NE(nullptr, result.bstrVal);
        } else {
            ASSERT_EQ(VT_EMPTY, result.vt);
        }
    }
    // The getters' pointer parameters, positional: rgvarg[1] is the first.
    if (hr == S_OK && namedCount == 0 && argCount == 2 && paramsArg && params.rgvarg) {
        if (id == 2) {
            ExpectWrittenBack(args[1], VT_I4, after.countX, 0);
            ExpectWrittenBack(args[0], VT_I4, after.countY, 0);
        } else if (id == 6 || id == 7) {
            const int first = id == 6 ? 0 : 2;
            ExpectWrittenBack(args[1], VT_R4, 0, after.range[first]);
            ExpectWrittenBack(args[0], VT_R4, 0, after.range[first + 1]);
        }
    }

    for (VARIANT& arg : args)
        VariantClear(&arg);
    VariantClear(&result);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

ComPtr<ISurface> NewControl()
{
    ComPtr<ISurface> control;
    EXPECT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, control.put_void()));
    return control;
}

TEST(DispatchFuzz, RandomInvokeCallsAnswerAsDocumented)
{
    const uint64_t cases = fuzz_test::CaseCount(3000);
    const uint64_t seed = fuzz_test::Seed();
    Random random(seed);
    ComPtr<ISurface> control = NewControl();
    ASSERT_TRUE(control);
    Tally tally;
    fuzz_test::HangWatch watch("dispatch-invoke");
    for (uint64_t i = 0; i < cases; ++i) {
        watch.Case(i);
        // Now and then a grid with data, and now and then a new control.
        if (random.Percent(2))
            control->SetPointPerXY(1 + random.Below(40), 1 + random.Below(40));
        if (random.Percent(2))
            control->SetData(random.Below(8), random.Below(8), 1.0f, 2.0f, static_cast<float>(i));
        if (i % 20000 == 19999)
            control = NewControl();
        SCOPED_TRACE(testing::Message() << "case " << i << " of seed " << seed);
        OneInvoke(random, control.get(), tally);
        if (HasFatalFailure())
            return;
        ExpectConsistent(control.get());
        if (HasFatalFailure())
            return;
    }
    fuzz_test::Report("dispatch-invoke", cases, seed, tally.Text());
}

// GetIDsOfNames and the type information, with names in any case, unknown
// names, null names and null arrays.
const wchar_t* const kUnknownNames[] = {L"", L"Foo", L"SetDat", L"SetData ", L" SetData", L"SetData2",
                                        L"Run Script", L"\x00e9", L"DISPID_VALUE"};

TEST(DispatchFuzz, RandomNameLookupsAnswerAsDocumented)
{
    const uint64_t cases = fuzz_test::CaseCount(3000);
    const uint64_t seed = fuzz_test::Seed();
    Random random(seed);
    ComPtr<ISurface> control = NewControl();
    ASSERT_TRUE(control);
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadTypeLibEx(L"" ZORVEL_TLB_PATH, REGKIND_NONE, library.put()));
    const std::vector<zorvel_test::SurfaceName> known = zorvel_test::SurfaceNames(library.get());
    ASSERT_FALSE(known.empty());
    uint64_t found = 0;
    uint64_t unknown = 0;
    fuzz_test::HangWatch watch("dispatch-names");
    for (uint64_t i = 0; i < cases; ++i) {
        watch.Case(i);
        SCOPED_TRACE(testing::Message() << "case " << i << " of seed " << seed);
        const UINT count = random.Below(6);
        std::vector<std::wstring> texts(count);
        std::vector<LPOLESTR> names(count);
        std::vector<DISPID> expected(count, DISPID_UNKNOWN);
        for (UINT k = 0; k < count; ++k) {
            if (random.Percent(75)) {
                texts[k] = known[random.Below(static_cast<uint32_t>(known.size()))].name;
                for (wchar_t& c : texts[k]) {
                    if (random.Percent(30))
                        c = static_cast<wchar_t>(iswupper(c) ? towlower(c) : towupper(c));
                }
                for (const zorvel_test::SurfaceName& entry : known) {
                    if (_wcsicmp(entry.name.c_str(), texts[k].c_str()) == 0) {
                        expected[k] = entry.id;
                        break;
                    }
                }
            } else {
                texts[k] = random.Pick(kUnknownNames);
            }
            names[k] = random.Percent(3) ? nullptr : &texts[k][0];
        }
        std::vector<DISPID> ids(count, 0x5A5A5A5A);
        LPOLESTR* namesArg = (count == 0 && random.Percent(50)) || random.Percent(2) ? nullptr
                                                                                    : names.data();
        DISPID* idsArg = (count == 0 && random.Percent(50)) || random.Percent(2) ? nullptr : ids.data();
        const HRESULT hr = control->GetIDsOfNames(IID_NULL, namesArg, count, random.U32(), idsArg);
        if (count != 0 && (!namesArg || !idsArg)) {
            ASSERT_EQ(E_POINTER, hr);
            continue;
        }
        UINT firstUnknown = count;
        for (UINT k = 0; k < count; ++k) {
            if (!names[k] || expected[k] == DISPID_UNKNOWN) {
                firstUnknown = k;
                break;
            }
        }
        if (firstUnknown == count) {
            ASSERT_EQ(S_OK, hr);
            ++found;
        } else {
            ASSERT_EQ(DISP_E_UNKNOWNNAME, hr);
            ++unknown;
        }
        for (UINT k = 0; k < firstUnknown; ++k)
            ASSERT_EQ(expected[k], ids[k]) << "name " << k;
    }

    // Type information: index 0 only; the library may or may not be
    // registered in this prefix.
    for (uint64_t i = 0; i < cases / 10 + 1; ++i) {
        const UINT index = random.Percent(50) ? random.Below(3) : random.U32();
        ITypeInfo* info = reinterpret_cast<ITypeInfo*>(0x1);
        const bool wantInfo = random.Percent(90);
        const HRESULT hr = control->GetTypeInfo(index, random.U32(), wantInfo ? &info : nullptr);
        if (!wantInfo) {
            ASSERT_EQ(E_POINTER, hr);
        } else if (index != 0) {
            ASSERT_EQ(DISP_E_BADINDEX, hr);
            ASSERT_EQ(nullptr, info);
        } else if (SUCCEEDED(hr)) {
            ASSERT_NE(nullptr, info);
            info->Release();
        } else {
            ASSERT_EQ(nullptr, info);
        }
    }
    UINT typeInfoCount = 7;
    ASSERT_EQ(E_POINTER, control->GetTypeInfoCount(nullptr));
    ASSERT_EQ(S_OK, control->GetTypeInfoCount(&typeInfoCount));
    ASSERT_TRUE(typeInfoCount == 0 || typeInfoCount == 1);
    fuzz_test::Report("dispatch-names", cases, seed,
                      "found=" + std::to_string(found) + " unknown=" + std::to_string(unknown));
}

}  // namespace
