// The persisted-stream reader on any bytes: records cut short anywhere,
// versions on both sides of ours, any extent, bytes after the record.
//
// Properties: fewer bytes than the version, or a readable version with fewer
// bytes than the record, are refused without writing the extent; a later
// version is refused as soon as its version word is there; an accepted
// record reads the same in the two pieces a stream reader takes it in, and
// saving what was read gives back the record's extent bytes under our
// version.  Any extent saved reads back as itself.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "embed/persisted_extent.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"

namespace {

using zorvel::ExtentRecordStatus;
using zorvel::PersistedExtent;

// Outputs the reader must not touch stay like this.
constexpr int32_t kSentinel = 0x5A5A5A5A;

PersistedExtent Unread()
{
    PersistedExtent extent;
    extent.width = kSentinel;
    extent.height = kSentinel;
    return extent;
}

bool Untouched(const PersistedExtent& extent)
{
    return extent.width == kSentinel && extent.height == kSentinel;
}

void CheckRecord(const uint8_t* data, size_t size)
{
    PersistedExtent extent = Unread();
    const ExtentRecordStatus status = zorvel::DecodePersistedExtent(data, size, &extent);
    if (size < zorvel::kPersistedVersionSize) {
        FUZZ_CHECK(status == ExtentRecordStatus::kTooShort);
        FUZZ_CHECK(Untouched(extent));
        return;
    }
    const uint32_t version = zorvel::DecodePersistedVersion(data);
    // Little-endian whatever the machine.
    FUZZ_CHECK(version == (data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24));
    if (version > zorvel::kPersistedExtentVersion) {
        FUZZ_CHECK(!zorvel::IsReadablePersistedVersion(version));
        FUZZ_CHECK(status == ExtentRecordStatus::kLaterVersion);
        FUZZ_CHECK(Untouched(extent));
        return;
    }
    FUZZ_CHECK(zorvel::IsReadablePersistedVersion(version));
    if (size < zorvel::kPersistedExtentSize) {
        FUZZ_CHECK(status == ExtentRecordStatus::kTooShort);
        FUZZ_CHECK(Untouched(extent));
        return;
    }
    FUZZ_CHECK(status == ExtentRecordStatus::kRead);

    const PersistedExtent piece = zorvel::DecodePersistedSize(data + zorvel::kPersistedVersionSize);
    FUZZ_CHECK(piece.width == extent.width && piece.height == extent.height);

    uint8_t saved[zorvel::kPersistedExtentSize];
    zorvel::EncodePersistedExtent(extent, saved);
    static const uint8_t kOurVersion[] = {0x00, 0x08, 0x00, 0x00};
    FUZZ_CHECK(std::memcmp(saved, kOurVersion, sizeof kOurVersion) == 0);
    FUZZ_CHECK(std::memcmp(saved + zorvel::kPersistedVersionSize, data + zorvel::kPersistedVersionSize,
                           zorvel::kPersistedSizeSize) == 0);

    // Whatever follows the record plays no part.
    PersistedExtent again;
    FUZZ_CHECK(zorvel::DecodePersistedExtent(data, zorvel::kPersistedExtentSize, &again) ==
               ExtentRecordStatus::kRead);
    FUZZ_CHECK(again.width == extent.width && again.height == extent.height);
}

// Any extent a control holds survives a save and a load.
void CheckSavedExtent(zorvel_fuzz::FuzzInput& in)
{
    PersistedExtent extent;
    extent.width = in.SignedCount();
    extent.height = static_cast<int32_t>(in.U32());
    uint8_t record[zorvel::kPersistedExtentSize];
    zorvel::EncodePersistedExtent(extent, record);
    FUZZ_CHECK(zorvel::DecodePersistedVersion(record) == zorvel::kPersistedExtentVersion);
    // Every cut of the saved record short of its end is refused.
    const size_t cut = in.Below(zorvel::kPersistedExtentSize + 1);
    PersistedExtent read = Unread();
    const ExtentRecordStatus status = zorvel::DecodePersistedExtent(record, cut, &read);
    if (cut < zorvel::kPersistedExtentSize) {
        FUZZ_CHECK(status == ExtentRecordStatus::kTooShort);
        FUZZ_CHECK(Untouched(read));
        return;
    }
    FUZZ_CHECK(status == ExtentRecordStatus::kRead);
    FUZZ_CHECK(read.width == extent.width && read.height == extent.height);
}

// The bytes a reader is handed: raw, or a version word from the edges (so
// that records of a readable version come often) with raw bytes after it,
// cut anywhere.
std::unique_ptr<uint8_t[]> MakeRecord(zorvel_fuzz::FuzzInput& in, size_t* size)
{
    static const uint32_t kVersions[] = {0, 1, 0x700, 0x7FF, 0x800, 0x801, 0x1000, 0x10000,
                                         0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    std::string bytes;
    const uint8_t shape = in.Below(4);
    if (shape != 0) {
        const uint32_t version = kVersions[in.Below(sizeof(kVersions) / sizeof(kVersions[0]))];
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(version >> (8 * i));
    }
    const size_t cut = shape == 3 ? in.Below(2 * zorvel::kPersistedExtentSize) : SIZE_MAX;
    bytes += in.Bytes(4096);
    if (bytes.size() > cut)
        bytes.resize(cut);
    // Exactly as large as the record, so that a read past its end is caught.
    *size = bytes.size();
    std::unique_ptr<uint8_t[]> record(new uint8_t[bytes.size()]);
    if (!bytes.empty())
        std::memcpy(record.get(), bytes.data(), bytes.size());
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zorvel_fuzz::FuzzInput in(data, size);
    CheckSavedExtent(in);
    size_t recordSize = 0;
    const std::unique_ptr<uint8_t[]> record = MakeRecord(in, &recordSize);
    CheckRecord(record.get(), recordSize);
    return 0;
}
