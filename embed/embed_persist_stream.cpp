// IPersist and IPersistStreamInit: the control persists its extent only, as
// 12 little-endian bytes: format version, width, height.
#include "embed/embedding.h"

#include <cstdint>

#include "embed/persisted_extent.h"

namespace {

// Reads exactly cb bytes: a stream that ends early is as bad as one that fails.
HRESULT ReadExactly(IStream* stream, BYTE* buffer, ULONG cb) {
    ULONG read = 0;
    RETURN_IF_FAILED(stream->Read(buffer, cb, &read));
    return read == cb ? S_OK : STG_E_READFAULT;
}

}  // namespace

STDMETHODIMP CSurfaceEmbedding::GetClassID(CLSID* pClassID) {
    if (!pClassID) return E_POINTER;
    *pClassID = CLSID_CSurface;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::IsDirty() {
    return m_embed.requiresSave ? S_OK : S_FALSE;
}

STDMETHODIMP CSurfaceEmbedding::Load(LPSTREAM pStm) {
    if (!pStm) return E_POINTER;
    // Two reads, so that a later version is refused before its own layout is read.
    BYTE version[zorvel::kPersistedVersionSize];
    RETURN_IF_FAILED(ReadExactly(pStm, version, sizeof(version)));
    if (!zorvel::IsReadablePersistedVersion(zorvel::DecodePersistedVersion(version))) return E_FAIL;
    BYTE size[zorvel::kPersistedSizeSize];
    RETURN_IF_FAILED(ReadExactly(pStm, size, sizeof(size)));
    // Only a complete record changes the extent.
    const zorvel::PersistedExtent extent = zorvel::DecodePersistedSize(size);
    m_embed.extent.cx = extent.width;
    m_embed.extent.cy = extent.height;
    m_embed.requiresSave = false;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::Save(LPSTREAM pStm, BOOL fClearDirty) {
    if (!pStm) return E_POINTER;
    zorvel::PersistedExtent extent;
    extent.width = m_embed.extent.cx;
    extent.height = m_embed.extent.cy;
    BYTE record[zorvel::kPersistedExtentSize];
    zorvel::EncodePersistedExtent(extent, record);
    ULONG written = 0;
    RETURN_IF_FAILED(pStm->Write(record, sizeof(record), &written));
    if (written != sizeof(record)) return STG_E_MEDIUMFULL;
    if (fClearDirty) m_embed.requiresSave = false;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetSizeMax(ULARGE_INTEGER* pCbSize) {
    if (!pCbSize) return E_POINTER;
    pCbSize->QuadPart = zorvel::kPersistedExtentSize;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::InitNew() {
    // A new control has never been saved.
    m_embed.requiresSave = true;
    return S_OK;
}
