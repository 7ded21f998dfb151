// The shared container: persisted data, dialog initialisation data, ambient
// properties, calls by DISPID, and one control sited, activated and closed.
#include <gtest/gtest.h>

#include <olectl.h>

#include <cstring>
#include <vector>

#include "host_test_support.h"
#include "hosts/container/ambient.h"
#include "hosts/container/control_data.h"
#include "hosts/container/control_host.h"
#include "hosts/container/dispatch_call.h"
#include "hosts/dialog/dialog_init_data.h"

using namespace zorvel::host;
using zorvel::ComPtr;

namespace {

std::vector<BYTE> Bytes(std::initializer_list<int> values) {
    std::vector<BYTE> out;
    for (int v : values) out.push_back(static_cast<BYTE>(v));
    return out;
}

}  // namespace

// --- Persisted data

TEST(ControlData, ExtentStreamIsVersionWidthHeightLittleEndian) {
    EXPECT_EQ(Bytes({0x00, 0x08, 0x00, 0x00, 0x05, 0x35, 0x00, 0x00, 0x0F, 0x30, 0x00, 0x00}),
              MakeExtentStream(0x800, 13573, 12303));
}

TEST(ControlData, InitDataWithoutLicenceIsTheStreamAfterAZeroLength) {
    const std::vector<BYTE> data = Bytes({0, 0, 0, 0, 0x00, 0x07, 0, 0, 0xE9, 0x3D, 0, 0, 0xE4, 0x2D, 0, 0});
    ControlData parsed;
    ASSERT_EQ(S_OK, ParseControlInitData(data.data(), data.size(), parsed));
    EXPECT_TRUE(parsed.licenceKey.empty());
    EXPECT_EQ(MakeExtentStream(0x700, 15849, 11748), parsed.stream);
}

TEST(ControlData, InitDataCarriesALicenceKeyOfTheGivenLength) {
    const std::vector<BYTE> data = Bytes({2, 0, 0, 0, 'K', 0, 'y', 0, 0xAA, 0xBB});
    ControlData parsed;
    ASSERT_EQ(S_OK, ParseControlInitData(data.data(), data.size(), parsed));
    EXPECT_EQ(L"Ky", parsed.licenceKey);
    EXPECT_EQ(Bytes({0xAA, 0xBB}), parsed.stream);
}

TEST(ControlData, InitDataShorterThanItSaysIsRefusedAndChangesNothing) {
    ControlData parsed;
    parsed.licenceKey = L"old";
    const std::vector<BYTE> shortKey = Bytes({3, 0, 0, 0, 'a', 0, 'b', 0});
    EXPECT_EQ(E_INVALIDARG, ParseControlInitData(shortKey.data(), shortKey.size(), parsed));
    const std::vector<BYTE> hugeKey = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 1, 2});
    EXPECT_EQ(E_INVALIDARG, ParseControlInitData(hugeKey.data(), hugeKey.size(), parsed));
    const std::vector<BYTE> noLength = Bytes({0, 0, 0});
    EXPECT_EQ(E_INVALIDARG, ParseControlInitData(noLength.data(), noLength.size(), parsed));
    EXPECT_EQ(L"old", parsed.licenceKey);
}

TEST(ControlData, StreamOnBytesReadsBackFromTheStart) {
    const std::vector<BYTE> bytes = MakeExtentStream(0x800, 1, 2);
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnBytes(bytes, stream.put()));
    BYTE read[16] = {};
    ULONG count = 0;
    ASSERT_EQ(S_OK, stream->Read(read, sizeof(read), &count));
    ASSERT_EQ(12u, count);
    EXPECT_EQ(0, std::memcmp(read, bytes.data(), 12));
}

// --- Dialog initialisation data

TEST(DialogInitData, FindsTheRecordOfAnItemAndMessage) {
    const std::vector<BYTE> list = Bytes({0xE8, 0x03, 0x01, 0x00, 2, 0, 0, 0, 0x11, 0x22,
                                          0xE8, 0x03, 0x76, 0x03, 3, 0, 0, 0, 0x33, 0x44, 0x55,
                                          0, 0});
    std::vector<BYTE> data;
    EXPECT_EQ(S_OK, dialog::FindInitRecord(list.data(), list.size(), 1000, 0x376, data));
    EXPECT_EQ(Bytes({0x33, 0x44, 0x55}), data);
    EXPECT_EQ(S_FALSE, dialog::FindInitRecord(list.data(), list.size(), 1001, 0x376, data));
    EXPECT_TRUE(data.empty());
    // Cut inside the second record's data, and without the closing zero.
    EXPECT_EQ(E_INVALIDARG, dialog::FindInitRecord(list.data(), 20, 1000, 0x376, data));
    EXPECT_EQ(E_INVALIDARG, dialog::FindInitRecord(list.data(), 21, 1001, 0x376, data));
}

TEST(DialogInitData, TheDialogsResourceHoldsTheControlsSixteenBytes) {
    std::vector<BYTE> data;
    ASSERT_EQ(S_OK, dialog::LoadInitRecord(GetModuleHandleW(nullptr), 102, 1000, 0x376, data));
    EXPECT_EQ(Bytes({0, 0, 0, 0, 0x00, 0x07, 0, 0, 0xE9, 0x3D, 0, 0, 0xE4, 0x2D, 0, 0}), data);
}

// --- Ambient properties

TEST(Ambient, TheContainerRunsItsControls) {
    AmbientProperties ambient;
    zorvel::UniqueVariant value;
    ASSERT_EQ(S_OK, GetAmbientProperty(ambient, DISPID_AMBIENT_USERMODE, value.put()));
    EXPECT_EQ(VT_BOOL, value->vt);
    EXPECT_EQ(VARIANT_TRUE, value->boolVal);
    ASSERT_EQ(S_OK, GetAmbientProperty(ambient, DISPID_AMBIENT_UIDEAD, value.put()));
    EXPECT_EQ(VARIANT_FALSE, value->boolVal);
    ASSERT_EQ(S_OK, GetAmbientProperty(ambient, DISPID_AMBIENT_MESSAGEREFLECT, value.put()));
    EXPECT_EQ(VARIANT_FALSE, value->boolVal);
}

TEST(Ambient, NameLocaleAndFontAreTheHostsOwn) {
    AmbientProperties ambient;
    ambient.displayName = L"cZorvel";
    ambient.locale = 0x0419;
    ambient.font = {L"Arial", 975, FW_NORMAL, ANSI_CHARSET};
    zorvel::UniqueVariant value;
    ASSERT_EQ(S_OK, GetAmbientProperty(ambient, DISPID_AMBIENT_DISPLAYNAME, value.put()));
    ASSERT_EQ(VT_BSTR, value->vt);
    EXPECT_STREQ(L"cZorvel", value->bstrVal);
    ASSERT_EQ(S_OK, GetAmbientProperty(ambient, DISPID_AMBIENT_LOCALEID, value.put()));
    ASSERT_EQ(VT_I4, value->vt);
    EXPECT_EQ(0x0419, value->lVal);

    ASSERT_EQ(S_OK, GetAmbientProperty(ambient, DISPID_AMBIENT_FONT, value.put()));
    ASSERT_EQ(VT_DISPATCH, value->vt);
    ComPtr<IFont> font;
    ASSERT_EQ(S_OK, value->pdispVal->QueryInterface(IID_IFont, font.put_void()));
    // An OLE font names the face the system found for the one asked for.
    HDC screen = GetDC(nullptr);
    HFONT arial = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Arial");
    HGDIOBJ old = SelectObject(screen, arial);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, face);
    SelectObject(screen, old);
    DeleteObject(arial);
    ReleaseDC(nullptr, screen);
    zorvel::UniqueBstr name;
    ASSERT_EQ(S_OK, font->get_Name(name.put()));
    EXPECT_STREQ(face, name.get());
    BOOL bold = TRUE;
    ASSERT_EQ(S_OK, font->get_Bold(&bold));
    EXPECT_FALSE(bold);
    CY size = {};
    ASSERT_EQ(S_OK, font->get_Size(&size));
    EXPECT_EQ(97500, size.int64);
    SHORT weight = 0;
    ASSERT_EQ(S_OK, font->get_Weight(&weight));
    EXPECT_EQ(FW_NORMAL, weight);
}

TEST(Ambient, AnUnknownPropertyIsNotFound) {
    AmbientProperties ambient;
    zorvel::UniqueVariant value;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, GetAmbientProperty(ambient, DISPID_AMBIENT_PALETTE, value.put()));
    EXPECT_EQ(VT_EMPTY, value->vt);
    EXPECT_EQ(E_POINTER, GetAmbientProperty(ambient, DISPID_AMBIENT_USERMODE, nullptr));
}

// --- Calls by DISPID

namespace {

// Records one call and answers it as told.
class RecordingDispatch final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO* excep, UINT*) override {
        this->dispid = dispid;
        this->flags = flags;
        args.assign(params->rgvarg, params->rgvarg + params->cArgs);
        named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
        if (answer == DISP_E_EXCEPTION && excep) {
            excep->scode = E_ACCESSDENIED;
            excep->bstrDescription = SysAllocString(L"no access");
        }
        return answer;
    }

    HRESULT answer = S_OK;
    DISPID dispid = 0;
    WORD flags = 0;
    std::vector<VARIANT> args;
    std::vector<DISPID> named;
};

}  // namespace

TEST(DispatchCall, ArgumentsGoLastFirstWithTheirTypes) {
    RecordingDispatch object;
    const VARIANT args[] = {ArgI4(3), ArgI4(4), ArgR4(1.5f), ArgR4(-2.0f), ArgR4(7.25f)};
    ASSERT_EQ(S_OK, InvokeByDispid(&object, 5, DISPATCH_METHOD, args, 5, nullptr, nullptr));
    EXPECT_EQ(5, object.dispid);
    EXPECT_EQ(DISPATCH_METHOD, object.flags);
    ASSERT_EQ(5u, object.args.size());
    EXPECT_EQ(VT_R4, object.args[0].vt);
    EXPECT_EQ(7.25f, object.args[0].fltVal);
    EXPECT_EQ(-2.0f, object.args[1].fltVal);
    EXPECT_EQ(1.5f, object.args[2].fltVal);
    EXPECT_EQ(VT_I4, object.args[3].vt);
    EXPECT_EQ(4, object.args[3].lVal);
    EXPECT_EQ(3, object.args[4].lVal);
    EXPECT_TRUE(object.named.empty());
}

TEST(DispatchCall, APropertyPutNamesItsValue) {
    RecordingDispatch object;
    const VARIANT value = ArgR4(50.0f);
    ASSERT_EQ(S_OK, InvokeByDispid(&object, 11, DISPATCH_PROPERTYPUT, &value, 1, nullptr, nullptr));
    ASSERT_EQ(1u, object.named.size());
    EXPECT_EQ(DISPID_PROPERTYPUT, object.named[0]);
    ASSERT_EQ(1u, object.args.size());
    EXPECT_EQ(VT_R4, object.args[0].vt);
}

TEST(DispatchCall, AnExceptionReportsTheObjectsCodeAndDescription) {
    RecordingDispatch object;
    object.answer = DISP_E_EXCEPTION;
    DispatchError error;
    EXPECT_EQ(E_ACCESSDENIED, InvokeByDispid(&object, 8, DISPATCH_METHOD, nullptr, 0, nullptr, &error));
    EXPECT_EQ(E_ACCESSDENIED, error.hr);
    EXPECT_EQ(L"no access", error.description);
    const std::wstring text = DescribeDispatchError(error);
    EXPECT_NE(std::wstring::npos, text.find(L"no access"));
    EXPECT_NE(std::wstring::npos, text.find(L"0x80070005"));
}

TEST(DispatchCall, APlainFailureIsDescribedByTheSystem) {
    RecordingDispatch object;
    object.answer = DISP_E_MEMBERNOTFOUND;
    DispatchError error;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, InvokeByDispid(&object, 14, DISPATCH_METHOD, nullptr, 0, nullptr, &error));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, error.hr);
    EXPECT_TRUE(error.description.empty());
    EXPECT_NE(std::wstring::npos, DescribeDispatchError(error).find(L"0x80020003"));
}

// --- One control in a window

namespace {

// One parent window for the suite: a top-level window takes long to go
// without a window manager.
class ContainerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        parent = CreateWindowExW(0, L"STATIC", L"container test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    }
    static void TearDownTestSuite() {
        if (parent) DestroyWindow(parent);
        parent = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(controls.Registered());
        ASSERT_TRUE(parent);
    }
    void TearDown() override { host.Close(); }

    host_test::LocalControls controls;
    static HWND parent;
    ControlHost host;
    const RECT position = {10, 20, 210, 170};
};

HWND ContainerTest::parent = nullptr;

}  // namespace

TEST_F(ContainerTest, TheControlRunsInPlaceInItsRectangle) {
    ControlData data;
    data.stream = MakeExtentStream(0x800, 100, 100);
    ASSERT_EQ(S_OK, host.Create(parent, position, CLSID_CSurface, data, AmbientProperties()));
    HWND window = host.Window();
    ASSERT_TRUE(window);
    EXPECT_EQ(parent, GetParent(window));
    EXPECT_TRUE(IsWindowVisible(window));
    const RECT rc = host_test::ChildRect(window);
    EXPECT_TRUE(EqualRect(&position, &rc));
    EXPECT_TRUE(host.Site()->InPlaceActive());
    ASSERT_TRUE(host.Dispatch());

    // Loaded, not new: the load clears the dirty flag that InitNew sets.
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, host.Control()->QueryInterface(IID_IPersistStreamInit, persist.put_void()));
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    ComPtr<IOleObject> object;
    ASSERT_EQ(S_OK, host.Control()->QueryInterface(IID_IOleObject, object.put_void()));
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(S_OK, object->GetClientSite(site.put()));
    EXPECT_TRUE(zorvel::SameIdentity(site.get(), static_cast<IOleClientSite*>(const_cast<CControlSite*>(host.Site()))));
}

TEST_F(ContainerTest, WithoutDataTheControlStartsNew) {
    ASSERT_EQ(S_OK, host.Create(parent, position, CLSID_CSurface, ControlData(), AmbientProperties()));
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, host.Control()->QueryInterface(IID_IPersistStreamInit, persist.put_void()));
    EXPECT_EQ(S_OK, persist->IsDirty());
}

TEST_F(ContainerTest, DataTheControlRefusesFailsTheCreationAndLeavesNothing) {
    ControlData data;
    data.stream = MakeExtentStream(0x801, 100, 100);
    EXPECT_EQ(E_FAIL, host.Create(parent, position, CLSID_CSurface, data, AmbientProperties()));
    EXPECT_FALSE(host.Control());
    EXPECT_FALSE(host.Dispatch());
    EXPECT_FALSE(GetWindow(parent, GW_CHILD));
}

TEST_F(ContainerTest, AClassNobodyServesIsReported) {
    const CLSID nobody = {0x1b2c3d4e, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x42}};
    EXPECT_EQ(REGDB_E_CLASSNOTREG, host.Create(parent, position, nobody, ControlData(), AmbientProperties()));
    EXPECT_FALSE(host.Control());
    EXPECT_FALSE(GetWindow(parent, GW_CHILD));
}

TEST_F(ContainerTest, TheControlReadsTheSitesAmbients) {
    AmbientProperties ambient;
    ambient.displayName = L"Probe";
    ASSERT_EQ(S_OK, host.Create(parent, position, CLSID_CSurface, ControlData(), ambient));
    ComPtr<IOleObject> object;
    ASSERT_EQ(S_OK, host.Control()->QueryInterface(IID_IOleObject, object.put_void()));
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(S_OK, object->GetClientSite(site.put()));
    ComPtr<IDispatch> ambients;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IDispatch, ambients.put_void()));
    zorvel::UniqueVariant value;
    DISPPARAMS none = {};
    ASSERT_EQ(S_OK, ambients->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, 0, DISPATCH_PROPERTYGET,
                                      &none, value.put(), nullptr, nullptr));
    EXPECT_STREQ(L"Probe", value->bstrVal);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, ambients->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, 0,
                                                      DISPATCH_METHOD, &none, value.put(), nullptr, nullptr));
}

TEST_F(ContainerTest, MovingTheSiteMovesTheWindow) {
    ASSERT_EQ(S_OK, host.Create(parent, position, CLSID_CSurface, ControlData(), AmbientProperties()));
    const RECT moved = {50, 40, 150, 120};
    ASSERT_EQ(S_OK, host.SetPosition(moved));
    const RECT rc = host_test::ChildRect(host.Window());
    EXPECT_TRUE(EqualRect(&moved, &rc));
}

TEST_F(ContainerTest, ClosingTakesTheWindowAndTheSiteAway) {
    ASSERT_EQ(S_OK, host.Create(parent, position, CLSID_CSurface, ControlData(), AmbientProperties()));
    ComPtr<IOleObject> object;
    ASSERT_EQ(S_OK, host.Control()->QueryInterface(IID_IOleObject, object.put_void()));
    HWND window = host.Window();
    host.Close();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(host.Control());
    ComPtr<IOleClientSite> site;
    EXPECT_EQ(S_OK, object->GetClientSite(site.put()));
    EXPECT_FALSE(site);
    ComPtr<IOleWindow> oleWindow;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IOleWindow, oleWindow.put_void()));
    HWND none = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_UNEXPECTED, oleWindow->GetWindow(&none));
}
