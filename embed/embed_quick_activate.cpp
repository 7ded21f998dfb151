// IQuickActivate: the container hands over its site and view sink in one call
// and learns the control's status bits in return.
#include "embed/embedding.h"

#include <cstddef>

namespace {

// The part of the container's structure that is read here.
constexpr ULONG kContainerFieldsRead =
    offsetof(QACONTAINER, pAdviseSink) + sizeof(static_cast<QACONTAINER*>(nullptr)->pAdviseSink);

}  // namespace

STDMETHODIMP CSurfaceEmbedding::QuickActivate(QACONTAINER* pQaContainer, QACONTROL* pQaControl) {
    if (!pQaContainer || !pQaControl) return E_POINTER;
    // Never write past the structure the caller has, nor read past its own.
    if (pQaControl->cbSize < sizeof(QACONTROL) || pQaContainer->cbSize < kContainerFieldsRead)
        return E_INVALIDARG;
    const ULONG controlSize = pQaControl->cbSize;
    *pQaControl = QACONTROL{};
    pQaControl->cbSize = controlSize;

    SetClientSite(pQaContainer->pClientSite);
    if (pQaContainer->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, pQaContainer->pAdviseSink);

    // No events and no property notifications: both cookies stay 0.
    GetMiscStatus(DVASPECT_CONTENT, &pQaControl->dwMiscStatus);
    GetViewStatus(&pQaControl->dwViewStatus);
    pQaControl->dwPointerActivationPolicy = 0;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::SetContentExtent(LPSIZEL pSizel) {
    return SetExtent(DVASPECT_CONTENT, pSizel);
}

STDMETHODIMP CSurfaceEmbedding::GetContentExtent(LPSIZEL pSizel) {
    return GetExtent(DVASPECT_CONTENT, pSizel);
}
