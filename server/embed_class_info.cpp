// IProvideClassInfo2 and ISpecifyPropertyPages: the coclass from the
// registered type library, no event source, and no property pages.
#include "control/surface.h"

namespace {

constexpr WORD kTypeLibMajor = 1;
constexpr WORD kTypeLibMinor = 0;
// The locale the library is built for; asked for when no neutral one is registered.
constexpr LCID kTypeLibLocale = 0x0409;

HRESULT LoadRegisteredTypeLib(ITypeLib** typeLib) {
    const HRESULT hr = LoadRegTypeLib(LIBID_Vexo, kTypeLibMajor, kTypeLibMinor, LANG_NEUTRAL, typeLib);
    if (SUCCEEDED(hr)) return hr;
    return LoadRegTypeLib(LIBID_Vexo, kTypeLibMajor, kTypeLibMinor, kTypeLibLocale, typeLib);
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
