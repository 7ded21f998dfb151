// What a host keeps of a control between runs and hands it at creation: an
// optional licence key and the control's persisted stream.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace zorvel::host {

struct ControlData {
    std::wstring licenceKey;   // empty: the class is created without a licence
    std::vector<BYTE> stream;  // empty: the control starts new (InitNew)
};

// The 12-byte stream of a control that persists its extent alone:
// version, width and height in HIMETRIC, little-endian.
std::vector<BYTE> MakeExtentStream(DWORD version, LONG widthHimetric, LONG heightHimetric);

// Reads the initialisation data of a control item in a dialog: a 4-byte
// licence-key length in characters, the key's UTF-16 characters, then the
// persisted stream.  E_INVALIDARG when the data is shorter than it says.
HRESULT ParseControlInitData(const BYTE* data, size_t size, ControlData& out);

// A stream positioned at its start holding a copy of bytes.
HRESULT CreateStreamOnBytes(const std::vector<BYTE>& bytes, IStream** stream);

}  // namespace zorvel::host
