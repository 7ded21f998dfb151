// IPersist and IPersistStreamInit: the control persists its extent only, as
// 12 little-endian bytes: format version, width, height.
#include "control/surface.h"

#include <cstdint>

namespace {

constexpr uint32_t kPersistVersion = 0x800;
constexpr ULONG kPersistedSize = 12;

void PutUint32(BYTE* p, uint32_t v) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}

uint32_t GetUint32(const BYTE* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

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
    BYTE version[4];
    RETURN_IF_FAILED(ReadExactly(pStm, version, sizeof(version)));
    // Written by a later version of the control: its layout is not ours.
    if (GetUint32(version) > kPersistVersion) return E_FAIL;
    BYTE size[8];
    RETURN_IF_FAILED(ReadExactly(pStm, size, sizeof(size)));
    // Only a complete record changes the extent.
    m_embed.extent.cx = static_cast<LONG>(GetUint32(size));
    m_embed.extent.cy = static_cast<LONG>(GetUint32(size + 4));
    m_embed.requiresSave = false;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::Save(LPSTREAM pStm, BOOL fClearDirty) {
    if (!pStm) return E_POINTER;
    BYTE record[kPersistedSize];
    PutUint32(record, kPersistVersion);
    PutUint32(record + 4, static_cast<uint32_t>(m_embed.extent.cx));
    PutUint32(record + 8, static_cast<uint32_t>(m_embed.extent.cy));
    ULONG written = 0;
    RETURN_IF_FAILED(pStm->Write(record, sizeof(record), &written));
    if (written != sizeof(record)) return STG_E_MEDIUMFULL;
    if (fClearDirty) m_embed.requiresSave = false;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetSizeMax(ULARGE_INTEGER* pCbSize) {
    if (!pCbSize) return E_POINTER;
    pCbSize->QuadPart = kPersistedSize;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::InitNew() {
    // A new control has never been saved.
    m_embed.requiresSave = true;
    return S_OK;
}
