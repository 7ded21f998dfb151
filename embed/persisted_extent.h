// The control's persisted stream: its extent alone, as 12 little-endian
// bytes - format version, width, height (HIMETRIC).  Only the bytes are
// here; the stream calls and their HRESULTs stay with the persistence
// interfaces.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zorvel {

constexpr uint32_t kPersistedExtentVersion = 0x800;
constexpr size_t kPersistedVersionSize = 4;
constexpr size_t kPersistedSizeSize = 8;
constexpr size_t kPersistedExtentSize = kPersistedVersionSize + kPersistedSizeSize;

struct PersistedExtent {
    int32_t width = 0;
    int32_t height = 0;
};

enum class ExtentRecordStatus {
    kRead,          // the extent was written
    kTooShort,      // fewer bytes than the record holds
    kLaterVersion,  // written by a later version: its layout is not ours
};

// The version word of the first kPersistedVersionSize bytes.
uint32_t DecodePersistedVersion(const uint8_t* bytes);
// Versions up to ours are read with our layout.
bool IsReadablePersistedVersion(uint32_t version);
// The width and height of the kPersistedSizeSize bytes after the version.
PersistedExtent DecodePersistedSize(const uint8_t* bytes);

// A whole record from `size` bytes; more than a record may follow it.
// `extent` is written only when the answer is kRead.
ExtentRecordStatus DecodePersistedExtent(const uint8_t* data, size_t size, PersistedExtent* extent);
// The record the control saves: always our version.
void EncodePersistedExtent(const PersistedExtent& extent, uint8_t (&record)[kPersistedExtentSize]);

}  // namespace zorvel
