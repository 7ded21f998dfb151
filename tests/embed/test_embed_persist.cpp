// Persistence: the 12-byte stream, the "Contents" stream of a storage, the
// dirty flag, and what damaged or foreign data does.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "embed_class_object.h"
#include "embed_container.h"

using embed_test::Control;
using embed_test::HrText;

namespace {

using Bytes = std::vector<BYTE>;

zorvel::ComPtr<IStream> StreamWith(const Bytes& bytes) {
    zorvel::ComPtr<IStream> stream;
    EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
    if (!bytes.empty()) {
        ULONG written = 0;
        EXPECT_EQ(S_OK, stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    }
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

Bytes StreamBytes(IStream* stream) {
    STATSTG stat = {};
    EXPECT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    Bytes bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    EXPECT_EQ(bytes.size(), read);
    return bytes;
}

Bytes Record(uint32_t version, uint32_t cx, uint32_t cy) {
    Bytes bytes(12);
    const uint32_t words[] = {version, cx, cy};
    for (int i = 0; i < 3; ++i)
        for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<BYTE>(words[i] >> (8 * b));
    return bytes;
}

SIZEL ExtentOf(const Control& control) {
    SIZEL size = {-1, -1};
    EXPECT_EQ(S_OK, control.As<IOleObject>()->GetExtent(DVASPECT_CONTENT, &size));
    return size;
}

void SetExtent(const Control& control, LONG cx, LONG cy) {
    SIZEL size = {cx, cy};
    ASSERT_EQ(S_OK, control.As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &size));
}

// A stream that fails every read and write with a code of its own.
class BrokenStream final : public IStream {
public:
    static constexpr HRESULT kError = STG_E_ACCESSDENIED;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) ||
            IsEqualIID(riid, IID_ISequentialStream)) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(void*, ULONG, ULONG* read) override {
        if (read) *read = 0;
        return kError;
    }
    STDMETHODIMP Write(const void*, ULONG, ULONG* written) override {
        if (written) *written = 0;
        return writeResult;
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

    // S_OK with nothing written is a full disk that says nothing.
    HRESULT writeResult = kError;
};

zorvel::ComPtr<IStorage> NewStorage() {
    zorvel::ComPtr<IStorage> storage;
    EXPECT_EQ(S_OK, StgCreateDocfile(nullptr,
                                     STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                                     0, storage.put()));
    return storage;
}

}  // namespace

TEST(EmbedPersist, NewControlSavesVersionAndDefaultExtent) {
    Control control;
    zorvel::ComPtr<IPersistStreamInit> persist = control.As<IPersistStreamInit>();
    ASSERT_TRUE(persist);
    ASSERT_EQ(S_OK, persist->InitNew());
    zorvel::ComPtr<IStream> stream = StreamWith({});
    EXPECT_EQ(S_OK, persist->Save(stream.get(), TRUE));
    const Bytes expected = {0x00, 0x08, 0x00, 0x00, 0xD8, 0x13, 0x00, 0x00, 0xD8, 0x13, 0x00, 0x00};
    EXPECT_EQ(expected, StreamBytes(stream.get()));

    ULARGE_INTEGER size;
    size.QuadPart = 99;
    EXPECT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(12u, size.QuadPart);
    EXPECT_EQ(E_POINTER, persist->GetSizeMax(nullptr));

    CLSID clsid = GUID_NULL;
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CSurface, clsid));
    EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
    EXPECT_EQ(E_POINTER, persist->Save(nullptr, TRUE));
    EXPECT_EQ(E_POINTER, persist->Load(nullptr));
}

TEST(EmbedPersist, SavedExtentLoadsIntoAnotherControl) {
    Control first;
    SetExtent(first, 1234, 98765);
    zorvel::ComPtr<IStream> stream = StreamWith({});
    ASSERT_EQ(S_OK, first.As<IPersistStreamInit>()->Save(stream.get(), FALSE));
    EXPECT_EQ(Record(0x800, 1234, 98765), StreamBytes(stream.get()));

    Control second;
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(S_OK, second.As<IPersistStreamInit>()->Load(stream.get()));
    const SIZEL size = ExtentOf(second);
    EXPECT_EQ(1234, size.cx);
    EXPECT_EQ(98765, size.cy);
}

TEST(EmbedPersist, DirtyFlagFollowsInitNewSaveAndLoadButNotSurfaceSetters) {
    Control control;
    zorvel::ComPtr<IPersistStreamInit> persist = control.As<IPersistStreamInit>();
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(S_OK, persist->IsDirty());

    // Saving without clearing keeps it dirty; with clearing it is clean.
    zorvel::ComPtr<IStream> stream = StreamWith({});
    EXPECT_EQ(S_OK, persist->Save(stream.get(), FALSE));
    EXPECT_EQ(S_OK, persist->IsDirty());
    EXPECT_EQ(S_OK, persist->Save(stream.get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    // Nothing of the plot is persisted, so none of it makes the control dirty.
    ISurface* surface = control.surface;
    ASSERT_NE(nullptr, surface);
    EXPECT_EQ(S_OK, surface->SetPointsPerXY(10, 10));
    EXPECT_EQ(S_OK, surface->SetXRange(-1.0f, 1.0f));
    EXPECT_EQ(S_OK, surface->SetYRange(-2.0f, 2.0f));
    EXPECT_EQ(S_OK, surface->SetData(1, 1, 0.0f, 0.0f, 3.0f));
    EXPECT_EQ(S_OK, surface->put_XYRotate(1));
    EXPECT_EQ(S_OK, surface->put_ZRotate(1));
    EXPECT_EQ(S_OK, surface->put_Radius(20.0f));
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    // IPersistStorage reports the same flag.
    zorvel::ComPtr<IPersistStorage> storage = control.As<IPersistStorage>();
    EXPECT_EQ(S_FALSE, storage->IsDirty());
    EXPECT_EQ(S_OK, storage->InitNew(nullptr));
    EXPECT_EQ(S_OK, persist->IsDirty());

    // A load makes it clean again.
    zorvel::ComPtr<IStream> record = StreamWith(Record(0x800, 10, 20));
    EXPECT_EQ(S_OK, persist->Load(record.get()));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
}

TEST(EmbedPersist, VersionsUpToOursLoadLaterOnesAreRefused) {
    Control control;
    zorvel::ComPtr<IPersistStreamInit> persist = control.As<IPersistStreamInit>();
    ASSERT_EQ(S_OK, persist->InitNew());

    zorvel::ComPtr<IStream> newer = StreamWith(Record(0x801, 111, 222));
    EXPECT_EQ(E_FAIL, persist->Load(newer.get()));
    SIZEL size = ExtentOf(control);
    EXPECT_EQ(5080, size.cx);
    EXPECT_EQ(5080, size.cy);
    EXPECT_EQ(S_OK, persist->IsDirty());

    zorvel::ComPtr<IStream> older = StreamWith(Record(0x7FF, 333, 444));
    EXPECT_EQ(S_OK, persist->Load(older.get()));
    size = ExtentOf(control);
    EXPECT_EQ(333, size.cx);
    EXPECT_EQ(444, size.cy);
    EXPECT_EQ(S_FALSE, persist->IsDirty());
}

TEST(EmbedPersist, ShortStreamsFailAndKeepTheExtent) {
    const Bytes full = Record(0x800, 0x01020304, 0x05060708);
    for (size_t length : {size_t(0), size_t(2), size_t(4), size_t(8), size_t(11)}) {
        Control control;
        SetExtent(control, 700, 800);
        zorvel::ComPtr<IPersistStreamInit> persist = control.As<IPersistStreamInit>();
        ASSERT_EQ(S_OK, persist->InitNew());
        zorvel::ComPtr<IStream> stream = StreamWith(Bytes(full.begin(), full.begin() + length));
        EXPECT_EQ(STG_E_READFAULT, persist->Load(stream.get())) << length << " bytes";
        const SIZEL size = ExtentOf(control);
        EXPECT_EQ(700, size.cx) << length << " bytes";
        EXPECT_EQ(800, size.cy) << length << " bytes";
        EXPECT_EQ(S_OK, persist->IsDirty()) << length << " bytes";
    }
}

TEST(EmbedPersist, StreamErrorsArePassedOnUnchanged) {
    Control control;
    zorvel::ComPtr<IPersistStreamInit> persist = control.As<IPersistStreamInit>();
    ASSERT_EQ(S_OK, persist->InitNew());
    SetExtent(control, 10, 20);
    BrokenStream broken;
    EXPECT_EQ(BrokenStream::kError, persist->Load(&broken));
    EXPECT_EQ(10, ExtentOf(control).cx);
    EXPECT_EQ(BrokenStream::kError, persist->Save(&broken, TRUE));
    EXPECT_EQ(S_OK, persist->IsDirty());

    // A write that reports success but wrote nothing is no save either.
    broken.writeResult = S_OK;
    EXPECT_EQ(STG_E_MEDIUMFULL, persist->Save(&broken, TRUE));
    EXPECT_EQ(S_OK, persist->IsDirty());
}

TEST(EmbedPersist, StorageKeepsTheRecordInContents) {
    zorvel::ComPtr<IStorage> storage = NewStorage();
    ASSERT_TRUE(storage);
    Control control;
    zorvel::ComPtr<IPersistStorage> persist = control.As<IPersistStorage>();
    ASSERT_EQ(S_OK, persist->InitNew(storage.get()));
    EXPECT_EQ(S_OK, persist->IsDirty());
    SetExtent(control, 4000, 3000);
    EXPECT_EQ(S_OK, persist->Save(storage.get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(S_OK, persist->SaveCompleted(nullptr));
    EXPECT_EQ(S_OK, persist->HandsOffStorage());

    zorvel::ComPtr<IStream> contents;
    ASSERT_EQ(S_OK, storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.put()));
    EXPECT_EQ(Record(0x800, 4000, 3000), StreamBytes(contents.get()));
    contents.reset();

    // Saving again replaces the stream rather than adding to it.
    SetExtent(control, 1, 2);
    EXPECT_EQ(S_OK, persist->Save(storage.get(), FALSE));
    ASSERT_EQ(S_OK, storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.put()));
    EXPECT_EQ(Record(0x800, 1, 2), StreamBytes(contents.get()));
    contents.reset();

    Control loaded;
    EXPECT_EQ(S_OK, loaded.As<IPersistStorage>()->Load(storage.get()));
    EXPECT_EQ(1, ExtentOf(loaded).cx);
    EXPECT_EQ(2, ExtentOf(loaded).cy);

    EXPECT_EQ(E_POINTER, persist->Load(nullptr));
    EXPECT_EQ(E_POINTER, persist->Save(nullptr, TRUE));
}

TEST(EmbedPersist, StorageWithoutContentsFailsAsTheStorageSays) {
    zorvel::ComPtr<IStorage> storage = NewStorage();
    ASSERT_TRUE(storage);
    Control control;
    SetExtent(control, 50, 60);
    EXPECT_EQ(STG_E_FILENOTFOUND, control.As<IPersistStorage>()->Load(storage.get()));
    EXPECT_EQ(50, ExtentOf(control).cx);
}

TEST(EmbedPersist, OleCreateOleSaveAndOleLoadRoundTrip) {
    embed_test::TestClassObject classObject;
    ASSERT_EQ(S_OK, classObject.Registered());
    zorvel::ComPtr<IStorage> storage = NewStorage();
    ASSERT_TRUE(storage);

    zorvel::ComPtr<IOleObject> object;
    ASSERT_EQ(S_OK, OleCreate(CLSID_CSurface, IID_IOleObject, OLERENDER_NONE, nullptr, nullptr, storage.get(),
                              object.put_void()));
    SIZEL size = {2540, 1270};
    ASSERT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &size));
    zorvel::ComPtr<IPersistStorage> persist;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IPersistStorage, persist.put_void()));
    EXPECT_EQ(S_OK, persist->IsDirty());  // OleCreate initialised it new
    EXPECT_EQ(S_OK, OleSave(persist.get(), storage.get(), TRUE));
    EXPECT_EQ(S_OK, persist->SaveCompleted(nullptr));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    persist.reset();
    EXPECT_EQ(S_OK, object->Close(OLECLOSE_NOSAVE));
    object.reset();

    CLSID stored = GUID_NULL;
    EXPECT_EQ(S_OK, ReadClassStg(storage.get(), &stored));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CSurface, stored));

    zorvel::ComPtr<IOleObject> loaded;
    ASSERT_EQ(S_OK, OleLoad(storage.get(), IID_IOleObject, nullptr, loaded.put_void()));
    SIZEL loadedSize = {};
    EXPECT_EQ(S_OK, loaded->GetExtent(DVASPECT_CONTENT, &loadedSize));
    EXPECT_EQ(2540, loadedSize.cx);
    EXPECT_EQ(1270, loadedSize.cy);
    EXPECT_EQ(S_OK, loaded->Close(OLECLOSE_NOSAVE));
}
