// The dispatch part of ISurface.  Names come from one flat table; Invoke
// looks the DISPID up in a table of operations, each with its parameter
// types and a thunk that calls the ISurface method.  The type library only
// hands out type information.
#include "control/surface.h"

#include <cwchar>

namespace {

using zorvel::ComPtr;
using zorvel::UniqueVariant;

struct NameEntry {
    const wchar_t* name;
    DISPID id;
};

// Member names and parameter names share the table; a parameter name maps to
// its position in its method's parameter list.  Searched in this order.
const NameEntry kNames[] = {
    {L"lpx", 0}, {L"lpy", 1}, {L"SetPointPerXY", DISPID_SURFACE_SETPOINTPERXY},
    {L"SetPointsPerXY", DISPID_SURFACE_SETPOINTSPERXY},
    {L"ppX", 0}, {L"ppY", 1}, {L"GetPointsPerXY", DISPID_SURFACE_GETPOINTSPERXY},
    {L"min_x", 0}, {L"max_x", 1}, {L"SetXRange", DISPID_SURFACE_SETXRANGE},
    {L"min_y", 0}, {L"max_y", 1}, {L"SetYRange", DISPID_SURFACE_SETYRANGE},
    {L"posx", 0}, {L"posy", 1}, {L"x", 2}, {L"y", 3}, {L"z", 4},
    {L"SetData", DISPID_SURFACE_SETDATA},
    {L"pflminX", 0}, {L"pflmaxX", 1}, {L"GetXRange", DISPID_SURFACE_GETXRANGE},
    {L"pflminY", 0}, {L"pflmaxY", 1}, {L"GetYRange", DISPID_SURFACE_GETYRANGE},
    {L"Refresh", DISPID_SURFACE_REFRESH},
    {L"XYRotate", DISPID_SURFACE_XYROTATE}, {L"pVal", 0},
    {L"get_XYRotate", DISPID_SURFACE_XYROTATE}, {L"put_XYRotate", DISPID_SURFACE_XYROTATE},
    {L"ZRotate", DISPID_SURFACE_ZROTATE},
    {L"get_ZRotate", DISPID_SURFACE_ZROTATE}, {L"put_ZRotate", DISPID_SURFACE_ZROTATE},
    {L"Radius", DISPID_SURFACE_RADIUS},
    {L"get_Radius", DISPID_SURFACE_RADIUS}, {L"put_Radius", DISPID_SURFACE_RADIUS},
    {L"filename", 0}, {L"Result", 1}, {L"RunScriptFromFile", DISPID_SURFACE_RUNSCRIPTFROMFILE},
    {L"script", 0}, {L"RunScript", DISPID_SURFACE_RUNSCRIPT},
    // ISurface2
    {L"heights", 0}, {L"minX", 1}, {L"maxX", 2}, {L"minY", 3}, {L"maxY", 4},
    {L"SetGrid", DISPID_SURFACE2_SETGRID},
    {L"ix", 0}, {L"iy", 1}, {L"pHeight", 2}, {L"GetHeight", DISPID_SURFACE2_GETHEIGHT},
    {L"ColorMap", DISPID_SURFACE2_COLORMAP}, {L"pMap", 0}, {L"map", 0},
    {L"get_ColorMap", DISPID_SURFACE2_COLORMAP}, {L"put_ColorMap", DISPID_SURFACE2_COLORMAP},
    {L"ShowLegend", DISPID_SURFACE2_SHOWLEGEND}, {L"pShow", 0}, {L"show", 0},
    {L"get_ShowLegend", DISPID_SURFACE2_SHOWLEGEND}, {L"put_ShowLegend", DISPID_SURFACE2_SHOWLEGEND},
    {L"FitHeights", DISPID_SURFACE2_FITHEIGHTS}, {L"pFit", 0}, {L"fit", 0},
    {L"get_FitHeights", DISPID_SURFACE2_FITHEIGHTS}, {L"put_FitHeights", DISPID_SURFACE2_FITHEIGHTS},
    {L"path", 0}, {L"width", 1}, {L"height", 2}, {L"SaveImage", DISPID_SURFACE2_SAVEIMAGE},
    {L"ShowAxes", DISPID_SURFACE2_SHOWAXES},
    {L"get_ShowAxes", DISPID_SURFACE2_SHOWAXES}, {L"put_ShowAxes", DISPID_SURFACE2_SHOWAXES},
    {L"axis", 0}, {L"text", 1}, {L"AxisTitle", DISPID_SURFACE2_AXISTITLE},
    {L"MouseNavigate", DISPID_SURFACE2_MOUSENAVIGATE}, {L"pOn", 0}, {L"on", 0},
    {L"get_MouseNavigate", DISPID_SURFACE2_MOUSENAVIGATE}, {L"put_MouseNavigate", DISPID_SURFACE2_MOUSENAVIGATE},
};

constexpr UINT kMaxParams = 5;  // SetData, SetGrid

enum class Kind { Method, PropertyGet, PropertyPut };

// Arguments arrive converted to the parameter types, in parameter order;
// pointer parameters arrive as VT_BYREF with a valid pointer; a VT_VARIANT
// parameter takes the caller's argument as it is, and one left out arrives
// as VT_ERROR DISP_E_PARAMNOTFOUND.
using Thunk = HRESULT (*)(ISurface2* surface, const VARIANT* arg, VARIANT* result);

struct Operation {
    DISPID id;
    Kind kind;
    UINT paramCount;
    VARTYPE params[kMaxParams];
    Thunk thunk;
    UINT required = paramCount;  // the trailing ones past this are optional
};

constexpr VARTYPE kLongRef = VT_BYREF | VT_I4;
constexpr VARTYPE kFloatRef = VT_BYREF | VT_R4;

const Operation kOperations[] = {
    {DISPID_SURFACE_SETPOINTPERXY, Kind::Method, 2, {VT_I4, VT_I4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->SetPointPerXY(a[0].lVal, a[1].lVal); }},
    {DISPID_SURFACE_SETPOINTSPERXY, Kind::Method, 2, {VT_I4, VT_I4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->SetPointsPerXY(a[0].lVal, a[1].lVal); }},
    {DISPID_SURFACE_GETPOINTSPERXY, Kind::Method, 2, {kLongRef, kLongRef},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->GetPointsPerXY(a[0].plVal, a[1].plVal); }},
    {DISPID_SURFACE_SETXRANGE, Kind::Method, 2, {VT_R4, VT_R4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->SetXRange(a[0].fltVal, a[1].fltVal); }},
    {DISPID_SURFACE_SETYRANGE, Kind::Method, 2, {VT_R4, VT_R4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->SetYRange(a[0].fltVal, a[1].fltVal); }},
    {DISPID_SURFACE_SETDATA, Kind::Method, 5, {VT_I4, VT_I4, VT_R4, VT_R4, VT_R4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) {
         return s->SetData(a[0].lVal, a[1].lVal, a[2].fltVal, a[3].fltVal, a[4].fltVal);
     }},
    {DISPID_SURFACE_GETXRANGE, Kind::Method, 2, {kFloatRef, kFloatRef},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->GetXRange(a[0].pfltVal, a[1].pfltVal); }},
    {DISPID_SURFACE_GETYRANGE, Kind::Method, 2, {kFloatRef, kFloatRef},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->GetYRange(a[0].pfltVal, a[1].pfltVal); }},
    {DISPID_SURFACE_REFRESH, Kind::Method, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT*) { return s->Refresh(); }},
    {DISPID_SURFACE_XYROTATE, Kind::PropertyGet, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT* r) { r->vt = VT_I4; return s->get_XYRotate(&r->lVal); }},
    {DISPID_SURFACE_XYROTATE, Kind::PropertyPut, 1, {VT_I4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->put_XYRotate(a[0].lVal); }},
    {DISPID_SURFACE_ZROTATE, Kind::PropertyGet, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT* r) { r->vt = VT_I4; return s->get_ZRotate(&r->lVal); }},
    {DISPID_SURFACE_ZROTATE, Kind::PropertyPut, 1, {VT_I4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->put_ZRotate(a[0].lVal); }},
    {DISPID_SURFACE_RADIUS, Kind::PropertyGet, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT* r) { r->vt = VT_R4; return s->get_Radius(&r->fltVal); }},
    {DISPID_SURFACE_RADIUS, Kind::PropertyPut, 1, {VT_R4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->put_Radius(a[0].fltVal); }},
    {DISPID_SURFACE_RUNSCRIPTFROMFILE, Kind::Method, 1, {VT_BSTR},
     [](ISurface2* s, const VARIANT* a, VARIANT* r) {
         r->vt = VT_BSTR;
         r->bstrVal = nullptr;
         return s->RunScriptFromFile(a[0].bstrVal, &r->bstrVal);
     }},
    {DISPID_SURFACE_RUNSCRIPT, Kind::Method, 1, {VT_BSTR},
     [](ISurface2* s, const VARIANT* a, VARIANT* r) {
         r->vt = VT_BSTR;
         r->bstrVal = nullptr;
         return s->RunScript(a[0].bstrVal, &r->bstrVal);
     }},
    {DISPID_SURFACE2_SETGRID, Kind::Method, 5, {VT_VARIANT, VT_VARIANT, VT_VARIANT, VT_VARIANT, VT_VARIANT},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->SetGrid(a[0], a[1], a[2], a[3], a[4]); }, 1},
    {DISPID_SURFACE2_GETHEIGHT, Kind::Method, 2, {VT_I4, VT_I4},
     [](ISurface2* s, const VARIANT* a, VARIANT* r) { r->vt = VT_R4; return s->GetHeight(a[0].lVal, a[1].lVal, &r->fltVal); }},
    {DISPID_SURFACE2_COLORMAP, Kind::PropertyGet, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT* r) { r->vt = VT_I4; return s->get_ColorMap(&r->lVal); }},
    {DISPID_SURFACE2_COLORMAP, Kind::PropertyPut, 1, {VT_I4},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->put_ColorMap(a[0].lVal); }},
    {DISPID_SURFACE2_SHOWLEGEND, Kind::PropertyGet, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT* r) { r->vt = VT_BOOL; return s->get_ShowLegend(&r->boolVal); }},
    {DISPID_SURFACE2_SHOWLEGEND, Kind::PropertyPut, 1, {VT_BOOL},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->put_ShowLegend(a[0].boolVal); }},
    {DISPID_SURFACE2_FITHEIGHTS, Kind::PropertyGet, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT* r) { r->vt = VT_BOOL; return s->get_FitHeights(&r->boolVal); }},
    {DISPID_SURFACE2_FITHEIGHTS, Kind::PropertyPut, 1, {VT_BOOL},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->put_FitHeights(a[0].boolVal); }},
    {DISPID_SURFACE2_SAVEIMAGE, Kind::Method, 3, {VT_BSTR, VT_VARIANT, VT_VARIANT},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->SaveImage(a[0].bstrVal, a[1], a[2]); }, 1},
    {DISPID_SURFACE2_SHOWAXES, Kind::PropertyGet, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT* r) { r->vt = VT_BOOL; return s->get_ShowAxes(&r->boolVal); }},
    {DISPID_SURFACE2_SHOWAXES, Kind::PropertyPut, 1, {VT_BOOL},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->put_ShowAxes(a[0].boolVal); }},
    {DISPID_SURFACE2_AXISTITLE, Kind::Method, 2, {VT_I4, VT_BSTR},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->AxisTitle(a[0].lVal, a[1].bstrVal); }},
    {DISPID_SURFACE2_MOUSENAVIGATE, Kind::PropertyGet, 0, {},
     [](ISurface2* s, const VARIANT*, VARIANT* r) { r->vt = VT_BOOL; return s->get_MouseNavigate(&r->boolVal); }},
    {DISPID_SURFACE2_MOUSENAVIGATE, Kind::PropertyPut, 1, {VT_BOOL},
     [](ISurface2* s, const VARIANT* a, VARIANT*) { return s->put_MouseNavigate(a[0].boolVal); }},
};

// DISP_E_MEMBERNOTFOUND for an unknown DISPID, and for a property asked for
// neither its value nor a new one.  A property get wins over a put.
HRESULT FindOperation(DISPID id, WORD flags, const Operation** found) {
    for (const Operation& op : kOperations) {
        if (op.id != id) continue;
        const bool wanted = op.kind == Kind::Method ||
                            (op.kind == Kind::PropertyGet && (flags & DISPATCH_PROPERTYGET)) ||
                            (op.kind == Kind::PropertyPut && (flags & DISPATCH_PROPERTYPUT) &&
                             !(flags & DISPATCH_PROPERTYGET));
        if (wanted) {
            *found = &op;
            return S_OK;
        }
    }
    return DISP_E_MEMBERNOTFOUND;
}

void SetArgError(UINT* puArgErr, UINT index) {
    if (puArgErr) *puArgErr = index;
}

// Where each parameter's argument sits in rgvarg.  Positional arguments come
// last in rgvarg, in reverse order; a named argument gives its position; the
// value of a property put (DISPID_PROPERTYPUT) is the last parameter.
HRESULT MapArguments(const DISPPARAMS& params, UINT* slot, UINT* puArgErr) {
    const UINT count = params.cArgs;
    const UINT named = params.cNamedArgs;
    const UINT unset = count;
    for (UINT k = 0; k < count; ++k) slot[k] = unset;
    for (UINT k = 0; k < count - named; ++k) slot[k] = count - 1 - k;
    for (UINT i = 0; i < named; ++i) {
        const DISPID id = params.rgdispidNamedArgs[i];
        const DISPID position =
            (i == 0 && id == DISPID_PROPERTYPUT) ? static_cast<DISPID>(count) - 1 : id;
        // Outside the list, or a parameter that already has its argument.
        if (position < 0 || static_cast<UINT>(position) >= count || slot[position] != unset) {
            SetArgError(puArgErr, i);
            return DISP_E_PARAMNOTFOUND;
        }
        slot[position] = i;
    }
    return S_OK;
}

// A pointer parameter takes a reference of its own type or a reference to a
// variant (how script engines pass their variables); a value never works.
struct PointerArg {
    VARIANT* target = nullptr;  // the caller's variant, for a VT_BYREF|VT_VARIANT argument
    union {
        LONG l;
        float f;
    } local = {0};
};

// A reference to nothing anywhere down a chain of referenced variants: the
// system's conversion would follow it.
bool HoldsNullReference(const VARIANT* source) {
    for (int depth = 0; depth < 16; ++depth) {
        if (!(source->vt & VT_BYREF)) return false;
        if (!source->byref) return true;
        if (source->vt != (VT_BYREF | VT_VARIANT)) return false;
        source = source->pvarVal;
    }
    return true;  // deeper than any caller builds on purpose
}

// The argument for one parameter as the thunk takes it, or DISP_E_TYPEMISMATCH.
// A conversion lands in converted, which owns it.
HRESULT PrepareArgument(VARTYPE type, VARIANT* source, VARIANT* arg, UniqueVariant* converted,
                        PointerArg* pointer) {
    arg->vt = VT_EMPTY;
    if ((source->vt & VT_BYREF) && !source->byref) return DISP_E_TYPEMISMATCH;
    // A pointer parameter keeps the caller's variant, whatever it holds.
    if (!(type & VT_BYREF) && HoldsNullReference(source)) return DISP_E_TYPEMISMATCH;
    if (source->vt == type || type == VT_VARIANT) {
        *arg = *source;
        return S_OK;
    }
    if (type & VT_BYREF) {
        if (source->vt != (VT_BYREF | VT_VARIANT)) return DISP_E_TYPEMISMATCH;
        pointer->target = source->pvarVal;
        arg->vt = type;
        arg->byref = &pointer->local;
        return S_OK;
    }
    if (FAILED(VariantChangeType(converted->get(), source, 0, type))) return DISP_E_TYPEMISMATCH;
    *arg = *converted->get();
    return S_OK;
}

// The caller's variables receive what the operation wrote, typed as the
// operation's parameters.
void WriteBack(const Operation& op, PointerArg* pointers) {
    for (UINT k = 0; k < op.paramCount; ++k) {
        VARIANT* target = pointers[k].target;
        if (!target) continue;
        VariantClear(target);
        target->vt = static_cast<VARTYPE>(op.params[k] & ~VT_BYREF);
        if (target->vt == VT_I4) target->lVal = pointers[k].local.l;
        else target->fltVal = pointers[k].local.f;
    }
}

// True when the call left error information, which then fills excep.
bool FillExcepInfo(HRESULT hr, EXCEPINFO* excep) {
    ZeroMemory(excep, sizeof(*excep));
    excep->scode = hr;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return false;
    info->GetSource(&excep->bstrSource);
    info->GetDescription(&excep->bstrDescription);
    info->GetHelpFile(&excep->bstrHelpFile);
    info->GetHelpContext(&excep->dwHelpContext);
    return true;
}

}  // namespace

STDMETHODIMP CSurface::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    ComPtr<ITypeInfo> typeInfo;
    *pctinfo = SUCCEEDED(GetTypeInfo(0, LOCALE_USER_DEFAULT, typeInfo.put())) ? 1 : 0;
    return S_OK;
}

STDMETHODIMP CSurface::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    ComPtr<ITypeLib> typeLib;
    RETURN_IF_FAILED(LoadRegTypeLib(LIBID_Vexo, zorvel::kTypeLibMajor, zorvel::kTypeLibMinor,
                                    MAKELCID(zorvel::kTypeLibLocale, SORT_DEFAULT), typeLib.put()));
    return typeLib->GetTypeInfoOfGuid(IID_ISurface, ppTInfo);
}

STDMETHODIMP CSurface::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
    if (cNames != 0 && (!rgszNames || !rgDispId)) return E_POINTER;
    for (UINT i = 0; i < cNames; ++i) {
        const NameEntry* match = nullptr;
        for (const NameEntry& entry : kNames) {
            if (rgszNames[i] && _wcsicmp(rgszNames[i], entry.name) == 0) {
                match = &entry;
                break;
            }
        }
        if (!match) return DISP_E_UNKNOWNNAME;
        rgDispId[i] = match->id;
    }
    return S_OK;
}

STDMETHODIMP CSurface::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                              VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    if (!pDispParams) return DISP_E_BADVARTYPE;
    const DISPPARAMS& params = *pDispParams;
    if (params.cArgs > kMaxParams) return DISP_E_BADPARAMCOUNT;
    if (pVarResult) VariantClear(pVarResult);
    // A DISPPARAMS that promises arguments it does not carry.
    if (params.cArgs != 0 && !params.rgvarg) return DISP_E_BADVARTYPE;
    if (params.cNamedArgs > params.cArgs) return DISP_E_BADPARAMCOUNT;
    if (params.cNamedArgs != 0 && !params.rgdispidNamedArgs) return DISP_E_PARAMNOTFOUND;

    UINT slot[kMaxParams];
    RETURN_IF_FAILED(MapArguments(params, slot, puArgErr));

    const Operation* op = nullptr;
    RETURN_IF_FAILED(FindOperation(dispIdMember, wFlags, &op));
    if (params.cArgs < op->required || params.cArgs > op->paramCount) return DISP_E_BADPARAMCOUNT;
    // A property's value has nowhere to go.
    if (op->kind == Kind::PropertyGet && !pVarResult) return DISP_E_PARAMNOTOPTIONAL;

    VARIANT args[kMaxParams];
    UniqueVariant converted[kMaxParams];
    PointerArg pointers[kMaxParams];
    for (UINT k = params.cArgs; k < op->paramCount; ++k) {
        args[k].vt = VT_ERROR;
        args[k].scode = DISP_E_PARAMNOTFOUND;
    }
    for (UINT k = 0; k < params.cArgs; ++k) {
        if (FAILED(PrepareArgument(op->params[k], &params.rgvarg[slot[k]], &args[k], &converted[k],
                                   &pointers[k]))) {
            SetArgError(puArgErr, slot[k]);
            return DISP_E_TYPEMISMATCH;
        }
    }

    UniqueVariant result;
    const HRESULT hr = op->thunk(static_cast<ISurface2*>(this), args, result.get());
    if (SUCCEEDED(hr)) {
        WriteBack(*op, pointers);
        if (pVarResult) result.release_to(pVarResult);
    } else if (pExcepInfo && FillExcepInfo(hr, pExcepInfo) && op->id >= DISPID_SURFACE2_SETGRID) {
        // Script engines show a description only when it comes with
        // DISP_E_EXCEPTION; ISurface's members keep returning their own code.
        return DISP_E_EXCEPTION;
    }
    return hr;
}
