// Ambient properties: what the container says about its mode and locale,
// read through the site's IDispatch.  A site without one has none.
#include "embed/embedding.h"

HRESULT CSurfaceEmbedding::GetAmbientProperty(DISPID dispid, VARIANT* pVar) {
    if (!m_embed.ambientDispatch) return E_FAIL;
    DISPPARAMS noArguments = {};
    return m_embed.ambientDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT,
                                           DISPATCH_PROPERTYGET, &noArguments, pVar, nullptr,
                                           nullptr);
}

HRESULT CSurfaceEmbedding::GetAmbientUserMode(bool& userMode) {
    zorvel::UniqueVariant value;
    RETURN_IF_FAILED(GetAmbientProperty(DISPID_AMBIENT_USERMODE, value.put()));
    if (value->vt != VT_BOOL) return DISP_E_BADVARTYPE;
    userMode = value->boolVal != VARIANT_FALSE;
    return S_OK;
}

HRESULT CSurfaceEmbedding::GetAmbientLocale(LCID& lcid) {
    zorvel::UniqueVariant value;
    RETURN_IF_FAILED(GetAmbientProperty(DISPID_AMBIENT_LOCALEID, value.put()));
    RETURN_IF_FAILED(VariantChangeType(value.get(), value.get(), 0, VT_I4));
    lcid = static_cast<LCID>(value->lVal);
    return S_OK;
}
