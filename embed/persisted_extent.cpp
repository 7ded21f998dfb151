#include "embed/persisted_extent.h"

namespace zorvel {
namespace {

uint32_t GetUint32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutUint32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

uint32_t DecodePersistedVersion(const uint8_t* bytes)
{
    return GetUint32(bytes);
}

bool IsReadablePersistedVersion(uint32_t version)
{
    return version <= kPersistedExtentVersion;
}

PersistedExtent DecodePersistedSize(const uint8_t* bytes)
{
    PersistedExtent extent;
    // Two's complement, as the LONG fields were written.
    extent.width = static_cast<int32_t>(GetUint32(bytes));
    extent.height = static_cast<int32_t>(GetUint32(bytes + 4));
    return extent;
}

ExtentRecordStatus DecodePersistedExtent(const uint8_t* data, size_t size, PersistedExtent* extent)
{
    // The version is judged as soon as it is there, as a stream reader sees it.
    if (size < kPersistedVersionSize)
        return ExtentRecordStatus::kTooShort;
    if (!IsReadablePersistedVersion(DecodePersistedVersion(data)))
        return ExtentRecordStatus::kLaterVersion;
    if (size < kPersistedExtentSize)
        return ExtentRecordStatus::kTooShort;
    *extent = DecodePersistedSize(data + kPersistedVersionSize);
    return ExtentRecordStatus::kRead;
}

void EncodePersistedExtent(const PersistedExtent& extent, uint8_t (&record)[kPersistedExtentSize])
{
    PutUint32(record, kPersistedExtentVersion);
    PutUint32(record + kPersistedVersionSize, static_cast<uint32_t>(extent.width));
    PutUint32(record + kPersistedVersionSize + 4, static_cast<uint32_t>(extent.height));
}

}  // namespace zorvel
