// A dialog's control initialisation data (resource type 240 under the
// dialog's id): for each control item, a message id and a block of bytes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace zorvel::host::dialog {

// Finds the record of item itemId with message messageId in the list
// (WORD item, WORD message, DWORD length, data; ended by a zero item).
// S_FALSE when the list has none; E_INVALIDARG for a list cut short.
HRESULT FindInitRecord(const BYTE* list, size_t size, WORD itemId, WORD messageId,
                       std::vector<BYTE>& data);

// The same, from the resource of dialog dialogId in module.
HRESULT LoadInitRecord(HINSTANCE module, WORD dialogId, WORD itemId, WORD messageId,
                       std::vector<BYTE>& data);

}  // namespace zorvel::host::dialog
