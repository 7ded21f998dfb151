// The persisted stream the way the dialog host reaches it: a dialog's
// initialisation list (records of item, message, length and bytes), the
// control's record in it (licence-key length, key, stream), and the stream
// loaded into a control.  Lists come honest, cut short anywhere, or with
// lengths that point past their end; key lengths on every edge.
//
// Each reader gets its bytes at the very end of readable memory, so that a
// read one byte too far faults.  Properties: an honest list yields its
// record, a damaged one E_INVALIDARG or a record that lies inside it; the
// record splits as its key length says or is refused without touching what
// it would fill; and the control loads exactly what the platform-free
// reader accepts, keeping its extent otherwise.
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "embed/persisted_extent.h"
#include "control/surface.h"
#include "fuzz_support.h"
#include "hosts/container/control_data.h"
#include "hosts/dialog/dialog_init_data.h"
#include "hosts/dialog/resource.h"

namespace {

using fuzz_test::Random;
using zorvel::ComPtr;

constexpr WORD kItem = 1000;

// Bytes that end where readable memory ends.
class GuardedBytes {
public:
    GuardedBytes()
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        m_page = info.dwPageSize;
        m_base = static_cast<BYTE*>(VirtualAlloc(nullptr, kPages * m_page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (m_base)
            VirtualProtect(m_base + (kPages - 1) * m_page, m_page, PAGE_NOACCESS, &old);
    }
    ~GuardedBytes()
    {
        if (m_base)
            VirtualFree(m_base, 0, MEM_RELEASE);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    bool Ready() const { return m_base != nullptr; }
    size_t Capacity() const { return (kPages - 1) * m_page; }

    // A copy of bytes, its last byte just before the guard page.
    const BYTE* Place(const std::vector<BYTE>& bytes)
    {
        BYTE* end = m_base + Capacity();
        if (!bytes.empty())
            std::memcpy(end - bytes.size(), bytes.data(), bytes.size());
        return end - bytes.size();
    }

private:
    static constexpr size_t kPages = 5;
    BYTE* m_base = nullptr;
    size_t m_page = 4096;
};

void PutWord(std::vector<BYTE>& out, WORD value)
{
    out.push_back(static_cast<BYTE>(value));
    out.push_back(static_cast<BYTE>(value >> 8));
}

void PutDword(std::vector<BYTE>& out, DWORD value)
{
    PutWord(out, static_cast<WORD>(value));
    PutWord(out, static_cast<WORD>(value >> 16));
}

std::vector<BYTE> RandomStream(Random& random)
{
    static const DWORD kVersions[] = {0x700, 0x800, 0x7FF, 0x801, 0, 0xFFFFFFFF, 0x80000000};
    static const DWORD kExtents[] = {15849, 11748, 0, 1, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF};
    std::vector<BYTE> stream;
    if (random.Percent(10))
        return stream;
    PutDword(stream, random.Percent(85) ? random.Pick(kVersions) : random.U32());
    PutDword(stream, random.Percent(70) ? random.Pick(kExtents) : random.U32());
    PutDword(stream, random.Percent(70) ? random.Pick(kExtents) : random.U32());
    if (random.Percent(25))
        stream.resize(random.Below(12));
    else if (random.Percent(10))
        stream.resize(12 + random.Below(40), 0xCD);
    return stream;
}

// The control's record: key length, key, stream.  keyLength is what the
// record says; the key holds keyChars characters.
struct InitRecord {
    std::vector<BYTE> bytes;
    DWORD keyLength = 0;
    std::wstring key;
    std::vector<BYTE> stream;
};

InitRecord RandomInitRecord(Random& random, size_t room)
{
    static const wchar_t* const kKeys[] = {L"", L"k", L"licence-key-0123", L"\xd800\xdc00\xffff"};
    InitRecord record;
    record.key = random.Pick(kKeys);
    record.stream = RandomStream(random);
    const DWORD honest = static_cast<DWORD>(record.key.size());
    const DWORD left = static_cast<DWORD>((record.key.size() * 2 + record.stream.size()) / 2);
    const DWORD kLengths[] = {0, left, left + 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    if (random.Percent(50))
        record.keyLength = honest;
    else
        record.keyLength = random.Percent(90) ? random.Pick(kLengths) : random.U32();
    PutDword(record.bytes, record.keyLength);
    for (wchar_t c : record.key)
        PutWord(record.bytes, static_cast<WORD>(c));
    record.bytes.insert(record.bytes.end(), record.stream.begin(), record.stream.end());
    if (random.Percent(10))
        record.bytes.resize(random.Below(8));
    if (record.bytes.size() > room)
        record.bytes.resize(room);
    return record;
}

struct InitList {
    std::vector<BYTE> bytes;
    bool honest = true;                // every length true, the end marker present
    bool hasRecord = false;            // the control's record is in it
    size_t recordAt = 0, recordEnd = 0;  // where the control's record lies
};

InitList RandomList(Random& random, const std::vector<BYTE>& record)
{
    static const WORD kOtherItems[] = {1, 999, 1001, 0xFFFF, kItem};
    static const WORD kOtherMessages[] = {0x0401, 0x0403, 0x1234, DLGINIT_LOADFROMSTREAM};
    InitList list;
    const uint32_t before = random.Below(4);
    for (uint32_t i = 0; i <= before; ++i) {
        const bool ours = i == before && random.Percent(90);
        WORD item = ours ? kItem : random.Pick(kOtherItems);
        WORD message = ours ? DLGINIT_LOADFROMSTREAM : random.Pick(kOtherMessages);
        if (!ours && item == kItem && message == DLGINIT_LOADFROMSTREAM)
            message = 0x0401;  // only one record of ours, so that the answer is known
        std::vector<BYTE> data;
        if (ours)
            data = record;
        else
            data.resize(random.Below(24), static_cast<BYTE>(random.U32()));
        PutWord(list.bytes, item);
        PutWord(list.bytes, message);
        DWORD length = static_cast<DWORD>(data.size());
        if (random.Percent(5)) {
            static const DWORD kLies[] = {1, 8, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF8};
            length += random.Pick(kLies);
            list.honest = false;
        }
        PutDword(list.bytes, length);
        if (ours) {
            list.hasRecord = list.honest;
            list.recordAt = list.bytes.size();
            list.recordEnd = list.recordAt + data.size();
        }
        list.bytes.insert(list.bytes.end(), data.begin(), data.end());
    }
    if (random.Percent(90))
        PutWord(list.bytes, 0);
    else
        list.honest = false;
    if (random.Percent(15)) {
        list.bytes.resize(random.Below(static_cast<uint32_t>(list.bytes.size()) + 1));
        list.honest = false;
        list.hasRecord = list.hasRecord && list.recordEnd <= list.bytes.size();
    }
    return list;
}

struct Control {
    ComPtr<ISurface> surface;
    ComPtr<IPersistStreamInit> persist;
    ComPtr<IOleObject> ole;

    SIZEL Extent()
    {
        SIZEL size = {};
        EXPECT_EQ(S_OK, ole->GetExtent(DVASPECT_CONTENT, &size));
        return size;
    }
};

Control NewControl()
{
    Control c;
    EXPECT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, c.surface.put_void()));
    EXPECT_EQ(S_OK, c.surface->QueryInterface(IID_IPersistStreamInit, c.persist.put_void()));
    EXPECT_EQ(S_OK, c.surface->QueryInterface(IID_IOleObject, c.ole.put_void()));
    return c;
}

// The list's reader, then the record's: what each must answer.
void CheckList(GuardedBytes& guarded, const InitList& list, std::vector<BYTE>& found, HRESULT* hr)
{
    const BYTE* bytes = guarded.Place(list.bytes);
    *hr = zorvel::host::dialog::FindInitRecord(bytes, list.bytes.size(), kItem, DLGINIT_LOADFROMSTREAM, found);
    if (list.hasRecord) {
        // Everything up to the end of our record is intact: it is found.
        ASSERT_EQ(S_OK, *hr);
        ASSERT_EQ(list.recordEnd - list.recordAt, found.size());
        ASSERT_TRUE(found.empty() ||
                    std::memcmp(found.data(), list.bytes.data() + list.recordAt, found.size()) == 0);
        return;
    }
    if (list.honest) {
        ASSERT_EQ(S_FALSE, *hr);
        ASSERT_TRUE(found.empty());
        return;
    }
    ASSERT_TRUE(*hr == S_OK || *hr == S_FALSE || *hr == E_INVALIDARG) << std::hex << *hr;
    if (*hr != S_OK) {
        ASSERT_TRUE(found.empty());
    } else {
        ASSERT_LE(found.size() + 8, list.bytes.size());
    }
}

void CheckRecord(GuardedBytes& guarded, const std::vector<BYTE>& bytes, zorvel::host::ControlData& data,
                 HRESULT* hr)
{
    data.licenceKey = L"untouched";
    data.stream.assign(3, 0xEE);
    const BYTE* placed = guarded.Place(bytes);
    *hr = zorvel::host::ParseControlInitData(placed, bytes.size(), data);
    const size_t size = bytes.size();
    DWORD keyLength = 0;
    if (size >= 4)
        keyLength = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<DWORD>(bytes[3]) << 24);
    if (size < 4 || keyLength > (size - 4) / 2) {
        ASSERT_EQ(E_INVALIDARG, *hr);
        ASSERT_EQ(L"untouched", data.licenceKey);
        ASSERT_EQ(std::vector<BYTE>(3, 0xEE), data.stream);
        return;
    }
    ASSERT_EQ(S_OK, *hr);
    ASSERT_EQ(keyLength, data.licenceKey.size());
    for (DWORD i = 0; i < keyLength; ++i)
        ASSERT_EQ(bytes[4 + 2 * i] | (bytes[5 + 2 * i] << 8), data.licenceKey[i]) << "key character " << i;
    const size_t streamAt = 4 + 2 * static_cast<size_t>(keyLength);
    ASSERT_EQ(std::vector<BYTE>(bytes.begin() + streamAt, bytes.end()), data.stream);
}

void CheckLoad(Control& control, const std::vector<BYTE>& stream, std::map<std::string, uint64_t>& tally)
{
    SIZEL start = {static_cast<LONG>(0x5A5A5A5A), 0x3C3C3C3C};
    ASSERT_EQ(S_OK, control.ole->SetExtent(DVASPECT_CONTENT, &start));
    const SIZEL before = control.Extent();
    if (stream.empty()) {
        // The host starts such a control new.
        ASSERT_EQ(S_OK, control.persist->InitNew());
        ++tally["started-new"];
        return;
    }
    ComPtr<IStream> memory;
    ASSERT_EQ(S_OK, zorvel::host::CreateStreamOnBytes(stream, memory.put()));
    const HRESULT hr = control.persist->Load(memory.get());
    const SIZEL after = control.Extent();
    zorvel::PersistedExtent extent;
    switch (zorvel::DecodePersistedExtent(stream.data(), stream.size(), &extent)) {
    case zorvel::ExtentRecordStatus::kRead:
        ASSERT_EQ(S_OK, hr);
        ASSERT_EQ(extent.width, after.cx);
        ASSERT_EQ(extent.height, after.cy);
        ++tally["loaded"];
        return;
    case zorvel::ExtentRecordStatus::kLaterVersion:
        ASSERT_EQ(E_FAIL, hr);
        ++tally["later-version"];
        break;
    case zorvel::ExtentRecordStatus::kTooShort:
        ASSERT_EQ(STG_E_READFAULT, hr);
        ++tally["too-short"];
        break;
    }
    ASSERT_EQ(before.cx, after.cx);
    ASSERT_EQ(before.cy, after.cy);
}

TEST(InitDataFuzz, DialogInitDataIntoTheControl)
{
    const uint64_t cases = fuzz_test::CaseCount(3000);
    const uint64_t seed = fuzz_test::Seed();
    Random random(seed);
    GuardedBytes guarded;
    ASSERT_TRUE(guarded.Ready());
    Control control = NewControl();
    ASSERT_TRUE(control.persist && control.ole);
    std::map<std::string, uint64_t> tally;

    // A missing list or record with a length, and an empty one.
    std::vector<BYTE> found(1, 0);
    EXPECT_EQ(E_POINTER, zorvel::host::dialog::FindInitRecord(nullptr, 1, kItem, DLGINIT_LOADFROMSTREAM, found));
    EXPECT_EQ(E_INVALIDARG, zorvel::host::dialog::FindInitRecord(nullptr, 0, kItem, DLGINIT_LOADFROMSTREAM, found));
    zorvel::host::ControlData data;
    EXPECT_EQ(E_POINTER, zorvel::host::ParseControlInitData(nullptr, 4, data));
    EXPECT_EQ(E_INVALIDARG, zorvel::host::ParseControlInitData(nullptr, 0, data));

    fuzz_test::HangWatch watch("init-data");
    for (uint64_t i = 0; i < cases; ++i) {
        watch.Case(i);
        SCOPED_TRACE(testing::Message() << "case " << i << " of seed " << seed);
        if (i % 5000 == 4999)
            control = NewControl();
        const InitRecord record = RandomInitRecord(random, guarded.Capacity() / 2);
        const InitList list = RandomList(random, record.bytes);
        HRESULT hr = S_OK;
        CheckList(guarded, list, found, &hr);
        if (HasFatalFailure())
            return;
        ++tally[hr == S_OK ? "record-found" : hr == S_FALSE ? "no-record" : "list-refused"];
        if (hr != S_OK)
            continue;
        // What the list gave, or now and then the record as it was made.
        CheckRecord(guarded, random.Percent(80) ? found : record.bytes, data, &hr);
        if (HasFatalFailure())
            return;
        if (hr != S_OK) {
            ++tally["record-refused"];
            continue;
        }
        CheckLoad(control, data.stream, tally);
        if (HasFatalFailure())
            return;
    }
    fuzz_test::Report("init-data", cases, seed, tally);
}

}  // namespace
