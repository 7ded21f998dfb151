// The site's IDispatch: ambient properties only, read by property get.
#include "hosts/container/control_site.h"

namespace zorvel::host {

STDMETHODIMP CControlSite::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo) *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

// Ambient properties are known by DISPID; no names are served.
STDMETHODIMP CControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames, LCID, DISPID* rgDispId) {
    if (!rgDispId) return E_POINTER;
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CControlSite::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags,
                                  DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO*,
                                  UINT*) {
    if (!(wFlags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (pDispParams && pDispParams->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (!pVarResult) return E_POINTER;
    return GetAmbientProperty(m_ambient, dispIdMember, pVarResult);
}

}  // namespace zorvel::host
