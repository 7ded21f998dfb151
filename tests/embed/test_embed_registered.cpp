// What the control reports from the registry and the type library: these
// need the library registered in the prefix (CTest's embed_registration).
#include <gtest/gtest.h>

#include <string>

#include "embed_container.h"

using embed_test::Calls;
using embed_test::Control;
using embed_test::HrText;

TEST(EmbedRegistered, MiscStatusComesFromTheRegistry) {
    Control control;
    zorvel::ComPtr<IOleObject> object = control.As<IOleObject>();
    DWORD status = 0xdeadbeef;
    EXPECT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &status));
    EXPECT_EQ(131473u, status);
    EXPECT_EQ(static_cast<DWORD>(OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                                 OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE),
              status);
    // Other aspects fall back to the class's default entry.
    status = 0xdeadbeef;
    EXPECT_EQ(S_OK, object->GetMiscStatus(DVASPECT_ICON, &status));
    EXPECT_EQ(0u, status);
    EXPECT_EQ(E_POINTER, object->GetMiscStatus(DVASPECT_CONTENT, nullptr));
}

TEST(EmbedRegistered, UserTypeAndVerbsAreThePlatformsLookups) {
    Control control;
    zorvel::ComPtr<IOleObject> object = control.As<IOleObject>();
    LPOLESTR name = nullptr;
    ASSERT_EQ(S_OK, object->GetUserType(USERCLASSTYPE_FULL, &name));
    EXPECT_EQ(std::wstring(L"CSurface Object"), name);
    CoTaskMemFree(name);

    name = nullptr;
    LPOLESTR platform = nullptr;
    const HRESULT hrPlatform = OleRegGetUserType(CLSID_CSurface, USERCLASSTYPE_SHORT, &platform);
    EXPECT_EQ(hrPlatform, object->GetUserType(USERCLASSTYPE_SHORT, &name));
    EXPECT_EQ(std::wstring(platform ? platform : L""), std::wstring(name ? name : L""));
    CoTaskMemFree(name);
    CoTaskMemFree(platform);
    EXPECT_EQ(E_POINTER, object->GetUserType(USERCLASSTYPE_FULL, nullptr));

    // No verbs are registered for the class: the platform's lookup fails,
    // and the control says what it says.
    zorvel::ComPtr<IEnumOLEVERB> platformVerbs;
    const HRESULT hrVerbs = OleRegEnumVerbs(CLSID_CSurface, platformVerbs.put());
    EXPECT_TRUE(FAILED(hrVerbs)) << HrText(hrVerbs);
    zorvel::ComPtr<IEnumOLEVERB> verbs;
    EXPECT_EQ(hrVerbs, object->EnumVerbs(verbs.put()));
    EXPECT_FALSE(verbs);
    EXPECT_EQ(E_POINTER, object->EnumVerbs(nullptr));

    CLSID clsid = GUID_NULL;
    EXPECT_EQ(S_OK, object->GetUserClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CSurface, clsid));
    EXPECT_EQ(E_POINTER, object->GetUserClassID(nullptr));
}

TEST(EmbedRegistered, ClassInfoIsTheCoclassOfTheRegisteredTypeLibrary) {
    Control control;
    zorvel::ComPtr<IProvideClassInfo2> info = control.As<IProvideClassInfo2>();
    zorvel::ComPtr<ITypeInfo> typeInfo;
    ASSERT_EQ(S_OK, info->GetClassInfo(typeInfo.put()));
    ASSERT_TRUE(typeInfo);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, typeInfo->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(CLSID_CSurface, attr->guid));
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_EQ(2u, attr->cImplTypes);  // ISurface, the default, and ISurface2
    typeInfo->ReleaseTypeAttr(attr);
    zorvel::UniqueBstr name;
    EXPECT_EQ(S_OK, typeInfo->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr));
    EXPECT_EQ(std::wstring(L"CSurface"), std::wstring(name.get()));

    zorvel::ComPtr<ITypeLib> library;
    UINT index = 99;
    ASSERT_EQ(S_OK, typeInfo->GetContainingTypeLib(library.put(), &index));
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&libAttr));
    EXPECT_TRUE(IsEqualGUID(LIBID_Vexo, libAttr->guid));
    EXPECT_EQ(1, libAttr->wMajorVerNum);
    EXPECT_EQ(0, libAttr->wMinorVerNum);
    library->ReleaseTLibAttr(libAttr);

    EXPECT_EQ(E_POINTER, info->GetClassInfo(nullptr));
}

TEST(EmbedRegistered, NoEventSourceAndNoPropertyPages) {
    Control control;
    zorvel::ComPtr<IProvideClassInfo2> info = control.As<IProvideClassInfo2>();
    GUID guid = CLSID_CSurface;
    EXPECT_EQ(E_FAIL, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid));
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, guid));
    guid = CLSID_CSurface;
    EXPECT_EQ(E_FAIL, info->GetGUID(0x1234, &guid));
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, guid));
    EXPECT_EQ(E_POINTER, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr));

    zorvel::ComPtr<ISpecifyPropertyPages> pages = control.As<ISpecifyPropertyPages>();
    CAUUID list;
    list.cElems = 7;
    list.pElems = reinterpret_cast<GUID*>(0x1234);
    EXPECT_EQ(S_OK, pages->GetPages(&list));
    EXPECT_EQ(0u, list.cElems);
    EXPECT_EQ(nullptr, list.pElems);
    EXPECT_EQ(E_POINTER, pages->GetPages(nullptr));
}

TEST(EmbedRegistered, QuickActivationTakesSiteAndSinkAndReportsStatus) {
    embed_test::TestContainer container;
    {
        Control control;
        zorvel::ComPtr<IQuickActivate> quick = control.As<IQuickActivate>();
        QACONTAINER qaContainer = {};
        qaContainer.cbSize = sizeof(qaContainer);
        qaContainer.pClientSite = container.site;
        // The container's sink is an IAdviseSinkEx in the structure's type;
        // only its IAdviseSink part is ever called.
        qaContainer.pAdviseSink = reinterpret_cast<IAdviseSinkEx*>(static_cast<IAdviseSink*>(container.sink));
        QACONTROL qaControl;
        memset(&qaControl, 0xcc, sizeof(qaControl));
        qaControl.cbSize = sizeof(qaControl);
        ASSERT_EQ(S_OK, quick->QuickActivate(&qaContainer, &qaControl));
        EXPECT_EQ(sizeof(QACONTROL), qaControl.cbSize);
        EXPECT_EQ(131473u, qaControl.dwMiscStatus);
        EXPECT_EQ(3u, qaControl.dwViewStatus);
        EXPECT_EQ(0u, qaControl.dwEventCookie);
        EXPECT_EQ(0u, qaControl.dwPropNotifyCookie);
        EXPECT_EQ(0u, qaControl.dwPointerActivationPolicy);

        zorvel::ComPtr<IOleClientSite> site;
        EXPECT_EQ(S_OK, control.As<IOleObject>()->GetClientSite(site.put()));
        EXPECT_EQ(static_cast<IOleClientSite*>(container.site), site.get());
        site.reset();
        DWORD aspects = 0, flags = 0xff;
        zorvel::ComPtr<IAdviseSink> sink;
        EXPECT_EQ(S_OK, control.As<IViewObject>()->GetAdvise(&aspects, &flags, sink.put()));
        EXPECT_EQ(static_cast<DWORD>(DVASPECT_CONTENT), aspects);
        EXPECT_EQ(0u, flags);
        EXPECT_EQ(static_cast<IAdviseSink*>(container.sink), sink.get());
        sink.reset();
        EXPECT_EQ(Calls{}, container.log.Take());

        // A control structure smaller than ours is not written past its end.
        memset(&qaControl, 0xcc, sizeof(qaControl));
        qaControl.cbSize = sizeof(QACONTROL) - 4;
        EXPECT_EQ(E_INVALIDARG, quick->QuickActivate(&qaContainer, &qaControl));
        EXPECT_EQ(0xccccccccu, qaControl.dwPointerActivationPolicy);
        EXPECT_EQ(E_POINTER, quick->QuickActivate(nullptr, &qaControl));
        EXPECT_EQ(E_POINTER, quick->QuickActivate(&qaContainer, nullptr));

        EXPECT_EQ(S_OK, control.As<IOleObject>()->SetClientSite(nullptr));
        EXPECT_EQ(S_OK, control.As<IViewObject>()->SetAdvise(DVASPECT_CONTENT, 0, nullptr));
    }
    EXPECT_EQ(1, container.site->Refs());
    EXPECT_EQ(1, container.sink->Refs());
}
