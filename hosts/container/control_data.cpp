#include "hosts/container/control_data.h"

#include <cstring>
#include <new>

#include "common/owners.h"

namespace zorvel::host {
namespace {

void AppendDword(std::vector<BYTE>& out, DWORD value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<BYTE>(value >> shift));
}

DWORD ReadDword(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}

}  // namespace

std::vector<BYTE> MakeExtentStream(DWORD version, LONG widthHimetric, LONG heightHimetric) {
    std::vector<BYTE> out;
    out.reserve(12);
    AppendDword(out, version);
    AppendDword(out, static_cast<DWORD>(widthHimetric));
    AppendDword(out, static_cast<DWORD>(heightHimetric));
    return out;
}

HRESULT ParseControlInitData(const BYTE* data, size_t size, ControlData& out) {
    if (!data && size) return E_POINTER;
    if (size < 4) return E_INVALIDARG;
    const DWORD keyLength = ReadDword(data);
    // Measured against what is left, so that no length can overflow.
    const size_t left = size - 4;
    if (keyLength > left / sizeof(wchar_t)) return E_INVALIDARG;
    const size_t keyBytes = static_cast<size_t>(keyLength) * sizeof(wchar_t);
    try {
        std::wstring key(keyLength, L'\0');
        if (keyBytes) std::memcpy(&key[0], data + 4, keyBytes);
        std::vector<BYTE> stream(data + 4 + keyBytes, data + size);
        out.licenceKey.swap(key);
        out.stream.swap(stream);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CreateStreamOnBytes(const std::vector<BYTE>& bytes, IStream** stream) {
    if (!stream) return E_POINTER;
    *stream = nullptr;
    ComPtr<IStream> memory;
    RETURN_IF_FAILED(CreateStreamOnHGlobal(nullptr, TRUE, memory.put()));
    if (!bytes.empty()) {
        ULONG written = 0;
        RETURN_IF_FAILED(memory->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
        if (written != bytes.size()) return STG_E_MEDIUMFULL;
    }
    LARGE_INTEGER start = {};
    RETURN_IF_FAILED(memory->Seek(start, STREAM_SEEK_SET, nullptr));
    *stream = memory.detach();
    return S_OK;
}

}  // namespace zorvel::host
