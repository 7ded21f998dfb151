// IProvideClassInfo2 and ISpecifyPropertyPages: the coclass from the
// registered type library, no event source, and no property pages.
#include "embed/embedding.h"

namespace {

// The built-for locale is asked for when no neutral library is registered.
HRESULT LoadRegisteredTypeLib(ITypeLib** typeLib) {
    const HRESULT hr = LoadRegTypeLib(LIBID_Vexo, zorvel::kTypeLibMajor, zorvel::kTypeLibMinor, LANG_NEUTRAL, typeLib);
    if (SUCCEEDED(hr)) return hr;
    return LoadRegTypeLib(LIBID_Vexo, zorvel::kTypeLibMajor, zorvel::kTypeLibMinor, zorvel::kTypeLibLocale, typeLib);
}

}  // namespace

STDMETHODIMP CSurfaceEmbedding::GetClassInfo(ITypeInfo** ppTI) {
    if (!ppTI) return E_POINTER;
    *ppTI = nullptr;
    zorvel::ComPtr<ITypeLib> typeLib;
    RETURN_IF_FAILED(LoadRegisteredTypeLib(typeLib.put()));
    return typeLib->GetTypeInfoOfGuid(CLSID_CSurface, ppTI);
}

STDMETHODIMP CSurfaceEmbedding::GetGUID(DWORD, GUID* pGUID) {
    if (!pGUID) return E_POINTER;
    // No default source interface: the control fires no events.
    *pGUID = GUID_NULL;
    return E_FAIL;
}

STDMETHODIMP CSurfaceEmbedding::GetPages(CAUUID* pPages) {
    if (!pPages) return E_POINTER;
    // Both persisted properties name no page.
    pPages->cElems = 0;
    pPages->pElems = nullptr;
    return S_OK;
}
