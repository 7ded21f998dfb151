#include "hosts/container/ambient.h"

#include <olectl.h>

#include "common/owners.h"

namespace zorvel::host {
namespace {

using AmbientWriter = HRESULT (*)(const AmbientProperties& ambient, VARIANT* value);

HRESULT WriteBool(bool b, VARIANT* value) {
    value->vt = VT_BOOL;
    value->boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT WriteColor(OLE_COLOR color, VARIANT* value) {
    value->vt = VT_I4;
    value->lVal = static_cast<LONG>(color);
    return S_OK;
}

struct AmbientEntry {
    DISPID dispid;
    AmbientWriter write;
};

// The container neither reflects messages nor shows design-time adornments.
const AmbientEntry kAmbients[] = {
    {DISPID_AMBIENT_USERMODE, [](const AmbientProperties& a, VARIANT* v) { return WriteBool(a.userMode, v); }},
    {DISPID_AMBIENT_UIDEAD, [](const AmbientProperties&, VARIANT* v) { return WriteBool(false, v); }},
    {DISPID_AMBIENT_SHOWGRABHANDLES, [](const AmbientProperties&, VARIANT* v) { return WriteBool(false, v); }},
    {DISPID_AMBIENT_SHOWHATCHING, [](const AmbientProperties&, VARIANT* v) { return WriteBool(false, v); }},
    {DISPID_AMBIENT_MESSAGEREFLECT, [](const AmbientProperties&, VARIANT* v) { return WriteBool(false, v); }},
    {DISPID_AMBIENT_SUPPORTSMNEMONICS, [](const AmbientProperties&, VARIANT* v) { return WriteBool(false, v); }},
    {DISPID_AMBIENT_LOCALEID,
     [](const AmbientProperties& a, VARIANT* v) {
         v->vt = VT_I4;
         v->lVal = static_cast<LONG>(a.locale);
         return S_OK;
     }},
    {DISPID_AMBIENT_DISPLAYNAME,
     [](const AmbientProperties& a, VARIANT* v) {
         BSTR name = SysAllocStringLen(a.displayName.data(), static_cast<UINT>(a.displayName.size()));
         if (!name) return E_OUTOFMEMORY;
         v->vt = VT_BSTR;
         v->bstrVal = name;
         return S_OK;
     }},
    {DISPID_AMBIENT_FONT,
     [](const AmbientProperties& a, VARIANT* v) {
         IFontDisp* font = nullptr;
         RETURN_IF_FAILED(CreateOleDesignFont(a.font, &font));
         v->vt = VT_DISPATCH;
         v->pdispVal = font;
         return S_OK;
     }},
    {DISPID_AMBIENT_BACKCOLOR, [](const AmbientProperties&, VARIANT* v) { return WriteColor(0x80000000 | COLOR_BTNFACE, v); }},
    {DISPID_AMBIENT_FORECOLOR, [](const AmbientProperties&, VARIANT* v) { return WriteColor(0x80000000 | COLOR_BTNTEXT, v); }},
};

}  // namespace

HRESULT GetAmbientProperty(const AmbientProperties& ambient, DISPID dispid, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantClear(value);
    for (const AmbientEntry& entry : kAmbients)
        if (entry.dispid == dispid) return entry.write(ambient, value);
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace zorvel::host
