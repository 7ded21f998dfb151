// IPersistStorage: the same 12 bytes as the stream form, in a stream named
// "Contents" of the storage the container gives.
#include "embed/embedding.h"

namespace {

const wchar_t kContentsStream[] = L"Contents";

}  // namespace

STDMETHODIMP CSurfaceEmbedding::InitNew(IStorage*) {
    return InitNew();
}

STDMETHODIMP CSurfaceEmbedding::Load(IStorage* pStg) {
    if (!pStg) return E_POINTER;
    zorvel::ComPtr<IStream> stream;
    RETURN_IF_FAILED(pStg->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                      stream.put()));
    return Load(stream.get());
}

STDMETHODIMP CSurfaceEmbedding::Save(IStorage* pStgSave, BOOL fSameAsLoad) {
    if (!pStgSave) return E_POINTER;
    zorvel::ComPtr<IStream> stream;
    RETURN_IF_FAILED(pStgSave->CreateStream(
        kContentsStream, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, stream.put()));
    return Save(stream.get(), fSameAsLoad);
}

STDMETHODIMP CSurfaceEmbedding::SaveCompleted(IStorage*) {
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::HandsOffStorage() {
    return S_OK;
}
