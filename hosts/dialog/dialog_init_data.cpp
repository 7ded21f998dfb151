#include "hosts/dialog/dialog_init_data.h"

#include <new>

#include "common/hresult.h"
#include "hosts/dialog/resource.h"

namespace zorvel::host::dialog {
namespace {

WORD ReadWord(const BYTE* p) {
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

DWORD ReadDword(const BYTE* p) {
    return static_cast<DWORD>(ReadWord(p)) | (static_cast<DWORD>(ReadWord(p + 2)) << 16);
}

}  // namespace

HRESULT FindInitRecord(const BYTE* list, size_t size, WORD itemId, WORD messageId,
                       std::vector<BYTE>& data) {
    data.clear();
    if (!list && size) return E_POINTER;
    size_t at = 0;
    while (true) {
        if (size - at < 2) return E_INVALIDARG;
        const WORD item = ReadWord(list + at);
        if (item == 0) return S_FALSE;
        if (size - at < 8) return E_INVALIDARG;
        const WORD message = ReadWord(list + at + 2);
        const DWORD length = ReadDword(list + at + 4);
        at += 8;
        if (length > size - at) return E_INVALIDARG;
        if (item == itemId && message == messageId) {
            try {
                data.assign(list + at, list + at + length);
            } catch (const std::bad_alloc&) {
                return E_OUTOFMEMORY;
            }
            return S_OK;
        }
        at += length;
    }
}

HRESULT LoadInitRecord(HINSTANCE module, WORD dialogId, WORD itemId, WORD messageId,
                       std::vector<BYTE>& data) {
    data.clear();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(dialogId), MAKEINTRESOURCEW(RT_DLGINIT_ID));
    if (!found) return S_FALSE;
    HGLOBAL loaded = LoadResource(module, found);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes) return zorvel::LastErrorResult();
    return FindInitRecord(bytes, SizeofResource(module, found), itemId, messageId, data);
}

}  // namespace zorvel::host::dialog
