// The names of ISurface as its type library gives them, the source the
// control's name table is checked against: each member with its DISPID (a
// property also as get_ and put_), each parameter with its position.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/identifiers.h"
#include "common/owners.h"

namespace zorvel_test {

struct SurfaceName {
    std::wstring name;
    DISPID id;
};

// From the interface's own view, where the parameters keep their names.
inline std::vector<SurfaceName> SurfaceNames(ITypeLib* library) {
    std::vector<SurfaceName> names;
    zorvel::ComPtr<ITypeInfo> dispatchInfo, info;
    HREFTYPE vtable = 0;
    TYPEATTR* attr = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(IID_ISurface, dispatchInfo.put())) ||
        FAILED(dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable)) ||
        FAILED(dispatchInfo->GetRefTypeInfo(vtable, info.put())) || FAILED(info->GetTypeAttr(&attr)))
        return names;
    const WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    std::vector<MEMBERID> seen;
    for (WORD f = 0; f < functions; ++f) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(f, &desc))) continue;
        const MEMBERID id = desc->memid;
        const bool property = desc->invkind != INVOKE_FUNC;
        info->ReleaseFuncDesc(desc);
        // A property's get and put share their names.
        if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
        seen.push_back(id);
        BSTR found[8] = {};
        UINT count = 0;
        if (FAILED(info->GetNames(id, found, 8, &count)) || count == 0) continue;
        names.push_back({found[0], id});
        if (property) {
            names.push_back({L"get_" + std::wstring(found[0]), id});
            names.push_back({L"put_" + std::wstring(found[0]), id});
        }
        for (UINT i = 1; i < count; ++i) names.push_back({found[i], static_cast<DISPID>(i - 1)});
        for (UINT i = 0; i < count; ++i) SysFreeString(found[i]);
    }
    return names;
}

}  // namespace zorvel_test
