// The persisted stream through IPersistStreamInit and IPersistStorage with
// random streams: any length, any version word, any extent, and streams that
// hand out fewer bytes than asked, fail a chosen call with a chosen code, or
// take fewer bytes than given on Save.
//
// A load that fails must leave the extent and the dirty flag as they were
// and pass a stream's own failure on unchanged; a version above 0x800 is
// E_FAIL; a complete record sets the extent and clears the dirty flag.  A
// save writes the 12-byte record or fails without clearing the flag.
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "control/surface.h"
#include "fuzz_support.h"

namespace {

using fuzz_test::Random;
using zorvel::ComPtr;

// How one Read or Write call of the fake stream goes.
struct CallPlan {
    ULONG maxBytes = 0xFFFFFFFF;  // at most this many bytes move
    HRESULT hr = S_OK;            // and this is returned
};

class FakeStream final : public IStream {
public:
    FakeStream(std::vector<BYTE> data, std::vector<CallPlan> plans)
        : m_data(std::move(data)), m_plans(std::move(plans)) {}

    std::vector<BYTE> written;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) ||
            IsEqualIID(riid, IID_ISequentialStream)) {
            *ppv = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }  // lives on the test's stack

    STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        const CallPlan plan = NextPlan();
        const size_t left = m_data.size() - m_position;
        const ULONG n = static_cast<ULONG>(std::min<size_t>({cb, left, plan.maxBytes}));
        if (SUCCEEDED(plan.hr) && n != 0) {
            std::memcpy(pv, m_data.data() + m_position, n);
            m_position += n;
        }
        if (pcbRead)
            *pcbRead = SUCCEEDED(plan.hr) ? n : 0;
        return plan.hr;
    }
    STDMETHODIMP Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        const CallPlan plan = NextPlan();
        const ULONG n = std::min(cb, plan.maxBytes);
        if (SUCCEEDED(plan.hr))
            written.insert(written.end(), static_cast<const BYTE*>(pv), static_cast<const BYTE*>(pv) + n);
        if (pcbWritten)
            *pcbWritten = SUCCEEDED(plan.hr) ? n : 0;
        return plan.hr;
    }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP Commit(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Revert() override { return E_NOTIMPL; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }

    ULONG Refs() const { return m_refs; }

private:
    CallPlan NextPlan() { return m_call < m_plans.size() ? m_plans[m_call++] : CallPlan(); }

    std::vector<BYTE> m_data;
    std::vector<CallPlan> m_plans;
    size_t m_position = 0;
    size_t m_call = 0;
    ULONG m_refs = 1;
};

void PutUint32(std::vector<BYTE>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
}

uint32_t GetUint32(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

const HRESULT kStreamFailures[] = {E_FAIL, STG_E_READFAULT, STG_E_ACCESSDENIED, E_PENDING,
                                   STG_E_MEDIUMFULL, E_OUTOFMEMORY, STG_E_REVERTED};

std::vector<BYTE> RandomRecord(Random& random)
{
    static const uint32_t kVersions[] = {0x800, 0x800, 0x7FF, 0x801, 0, 1, 0xFFFFFFFF, 0x80000000, 0x1000};
    static const uint32_t kExtents[] = {5080, 0, 1, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 2540, 100000};
    std::vector<BYTE> bytes;
    PutUint32(bytes, random.Percent(85) ? random.Pick(kVersions) : random.U32());
    PutUint32(bytes, random.Percent(70) ? random.Pick(kExtents) : random.U32());
    PutUint32(bytes, random.Percent(70) ? random.Pick(kExtents) : random.U32());
    // Cut short, or with more after it.
    if (random.Percent(25))
        bytes.resize(random.Below(12));
    else if (random.Percent(10))
        bytes.resize(12 + random.Below(20), 0xAB);
    return bytes;
}

std::vector<CallPlan> RandomPlans(Random& random)
{
    std::vector<CallPlan> plans(2);
    for (CallPlan& plan : plans) {
        if (random.Percent(15))
            plan.maxBytes = random.Below(9);
        if (random.Percent(10))
            plan.hr = random.Pick(kStreamFailures);
        else if (random.Percent(5))
            plan.hr = S_FALSE;
    }
    return plans;
}

struct Embedding {
    ComPtr<ISurface> control;
    ComPtr<IPersistStreamInit> stream;
    ComPtr<IPersistStorage> storage;
    ComPtr<IOleObject> ole;

    SIZEL Extent()
    {
        SIZEL size = {};
        EXPECT_EQ(S_OK, ole->GetExtent(DVASPECT_CONTENT, &size));
        return size;
    }
    bool Dirty() { return stream->IsDirty() == S_OK; }
};

Embedding NewEmbedding()
{
    Embedding e;
    EXPECT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, e.control.put_void()));
    EXPECT_EQ(S_OK, e.control->QueryInterface(IID_IPersistStreamInit, e.stream.put_void()));
    EXPECT_EQ(S_OK, e.control->QueryInterface(IID_IPersistStorage, e.storage.put_void()));
    EXPECT_EQ(S_OK, e.control->QueryInterface(IID_IOleObject, e.ole.put_void()));
    return e;
}

// What a load of these bytes through these calls must do, as the control's
// two reads (the version, then the extent) see them.
void CheckLoad(Embedding& e, const std::vector<BYTE>& bytes, const std::vector<CallPlan>& plans, HRESULT hr,
               const SIZEL& before, bool dirtyBefore)
{
    const SIZEL after = e.Extent();
    const bool unchanged = after.cx == before.cx && after.cy == before.cy && e.Dirty() == dirtyBefore;
    size_t position = 0;
    const ULONG wanted[2] = {4, 8};
    for (int call = 0; call < 2; ++call) {
        const CallPlan& plan = plans[call];
        if (FAILED(plan.hr)) {
            ASSERT_EQ(plan.hr, hr) << "a stream's failure is passed on";
            ASSERT_TRUE(unchanged);
            return;
        }
        const size_t n = std::min<size_t>({wanted[call], bytes.size() - position, plan.maxBytes});
        if (n != wanted[call]) {
            ASSERT_TRUE(FAILED(hr)) << "a short record is a failure";
            ASSERT_TRUE(unchanged);
            return;
        }
        if (call == 0 && GetUint32(bytes.data()) > 0x800) {
            ASSERT_EQ(E_FAIL, hr) << "a later version";
            ASSERT_TRUE(unchanged);
            return;
        }
        position += n;
    }
    ASSERT_EQ(S_OK, hr);
    ASSERT_EQ(static_cast<LONG>(GetUint32(bytes.data() + 4)), after.cx);
    ASSERT_EQ(static_cast<LONG>(GetUint32(bytes.data() + 8)), after.cy);
    ASSERT_FALSE(e.Dirty());
}

void CheckSave(Embedding& e, Random& random, std::map<std::string, uint64_t>& tally)
{
    const SIZEL extent = e.Extent();
    const bool dirtyBefore = e.Dirty();
    CallPlan plan;
    if (random.Percent(20))
        plan.maxBytes = random.Below(12);
    if (random.Percent(15))
        plan.hr = random.Pick(kStreamFailures);
    FakeStream stream({}, {plan});
    const BOOL clearDirty = random.Percent(50);
    const HRESULT hr = e.stream->Save(&stream, clearDirty);
    ASSERT_EQ(1u, stream.Refs());
    if (FAILED(plan.hr)) {
        ASSERT_EQ(plan.hr, hr);
        ASSERT_EQ(dirtyBefore, e.Dirty());
        ++tally["save-failed"];
        return;
    }
    if (plan.maxBytes < 12) {
        ASSERT_TRUE(FAILED(hr)) << "a short write is a failure";
        ASSERT_EQ(dirtyBefore, e.Dirty());
        ++tally["save-short"];
        return;
    }
    ASSERT_EQ(S_OK, hr);
    ASSERT_EQ(12u, stream.written.size());
    ASSERT_EQ(0x800u, GetUint32(stream.written.data()));
    ASSERT_EQ(static_cast<uint32_t>(extent.cx), GetUint32(stream.written.data() + 4));
    ASSERT_EQ(static_cast<uint32_t>(extent.cy), GetUint32(stream.written.data() + 8));
    ASSERT_EQ(clearDirty ? false : dirtyBefore, e.Dirty());
    ++tally["saved"];
}

// The same bytes as the "Contents" stream of a storage, or no such stream.
HRESULT LoadThroughStorage(Embedding& e, const std::vector<BYTE>& bytes, bool withContents)
{
    ComPtr<ILockBytes> lockBytes;
    EXPECT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, lockBytes.put()));
    ComPtr<IStorage> storage;
    EXPECT_EQ(S_OK, StgCreateDocfileOnILockBytes(
                        lockBytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.put()));
    if (withContents) {
        ComPtr<IStream> contents;
        EXPECT_EQ(S_OK, storage->CreateStream(L"Contents", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                              0, 0, contents.put()));
        ULONG written = 0;
        if (!bytes.empty()) {
            EXPECT_EQ(S_OK, contents->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
        }
    }
    return e.storage->Load(storage.get());
}

TEST(PersistFuzz, RandomStreamsThroughLoadAndSave)
{
    const uint64_t cases = fuzz_test::CaseCount(3000);
    const uint64_t seed = fuzz_test::Seed();
    Random random(seed);
    std::map<std::string, uint64_t> tally;
    Embedding e = NewEmbedding();
    ASSERT_TRUE(e.control);
    ASSERT_EQ(E_POINTER, e.stream->Load(nullptr));
    ASSERT_EQ(E_POINTER, e.storage->Load(nullptr));
    fuzz_test::HangWatch watch("persist");
    for (uint64_t i = 0; i < cases; ++i) {
        watch.Case(i);
        SCOPED_TRACE(testing::Message() << "case " << i << " of seed " << seed);
        if (i % 5000 == 4999)
            e = NewEmbedding();
        if (random.Percent(10))
            e.stream->InitNew();
        if (random.Percent(10)) {
            SIZEL size = {static_cast<LONG>(random.U32()), static_cast<LONG>(random.U32())};
            e.ole->SetExtent(DVASPECT_CONTENT, &size);
        }
        const std::vector<BYTE> bytes = RandomRecord(random);
        const SIZEL before = e.Extent();
        const bool dirtyBefore = e.Dirty();
        switch (random.Below(4)) {
        case 0:
        case 1: {
            const std::vector<CallPlan> plans = RandomPlans(random);
            FakeStream stream(bytes, plans);
            const HRESULT hr = e.stream->Load(&stream);
            ASSERT_EQ(1u, stream.Refs()) << "the stream is not kept";
            CheckLoad(e, bytes, plans, hr, before, dirtyBefore);
            ++tally[SUCCEEDED(hr) ? "loaded" : "load-refused"];
            break;
        }
        case 2: {
            const bool withContents = random.Percent(90);
            const HRESULT hr = LoadThroughStorage(e, bytes, withContents);
            if (!withContents) {
                ASSERT_TRUE(FAILED(hr));
                const SIZEL after = e.Extent();
                ASSERT_TRUE(after.cx == before.cx && after.cy == before.cy);
            } else {
                CheckLoad(e, bytes, {CallPlan(), CallPlan()}, hr, before, dirtyBefore);
            }
            ++tally[SUCCEEDED(hr) ? "storage-loaded" : "storage-refused"];
            break;
        }
        default:
            CheckSave(e, random, tally);
            break;
        }
        if (HasFatalFailure())
            return;
    }
    fuzz_test::Report("persist", cases, seed, tally);
}

}  // namespace
