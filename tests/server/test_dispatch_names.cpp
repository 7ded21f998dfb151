// GetIDsOfNames, GetTypeInfoCount and GetTypeInfo of the control.
#include <gtest/gtest.h>

#include <vector>

#include "control/surface.h"
#include "support/surface_names.h"
#include "zorvel_dll.h"

namespace {

using zorvel::ComPtr;

class DispatchNames : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_IDispatch, dispatch.put_void()));
    }

    HRESULT Ids(std::vector<const wchar_t*> names, std::vector<DISPID>* ids) {
        ids->assign(names.size(), 0x5a5a);
        return dispatch->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()),
                                       static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT, ids->data());
    }

    DISPID Id(const wchar_t* name) {
        std::vector<DISPID> ids;
        EXPECT_EQ(S_OK, Ids({name}, &ids)) << testing::PrintToString(std::wstring(name));
        return ids[0];
    }

    ComPtr<IDispatch> dispatch;
};

TEST_F(DispatchNames, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(DISPID_SURFACE_SETDATA, Id(L"SETDATA"));
    EXPECT_EQ(DISPID_SURFACE_SETDATA, Id(L"setdata"));
    EXPECT_EQ(4, Id(L"Z"));
    EXPECT_EQ(DISPID_SURFACE_RADIUS, Id(L"rAdIuS"));
    EXPECT_EQ(1, Id(L"RESULT"));
}

TEST_F(DispatchNames, SeveralNamesAtOnce) {
    std::vector<DISPID> ids;
    ASSERT_EQ(S_OK, Ids({L"SetData", L"posx", L"posy", L"x", L"y", L"z"}, &ids));
    EXPECT_EQ((std::vector<DISPID>{DISPID_SURFACE_SETDATA, 0, 1, 2, 3, 4}), ids);
}

TEST_F(DispatchNames, UnknownNameEndsTheCallAfterEarlierNamesAreWritten) {
    std::vector<DISPID> ids;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Ids({L"Refresh", L"Paint", L"Radius"}, &ids));
    EXPECT_EQ(DISPID_SURFACE_REFRESH, ids[0]);
    EXPECT_EQ(0x5a5a, ids[2]);

    EXPECT_EQ(DISP_E_UNKNOWNNAME, Ids({L"SetDat"}, &ids));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Ids({L""}, &ids));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Ids({L"Radius", nullptr}, &ids));
    EXPECT_EQ(DISPID_SURFACE_RADIUS, ids[0]);
}

TEST_F(DispatchNames, MissingArrays) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Refresh");
    EXPECT_EQ(E_POINTER, dispatch->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id));
    EXPECT_EQ(E_POINTER, dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, nullptr));
    EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr));
}

class DispatchTypeInfo : public DispatchNames {
protected:
    static void SetUpTestSuite() {
        // The type information comes from the registered type library.
        zorvel_test::ZorvelDll dll;
        ASSERT_TRUE(dll.Loaded());
        ASSERT_EQ(S_OK, dll.RegisterServer());
    }
};

TEST_F(DispatchTypeInfo, CountIsOneWithTheLibraryRegistered) {
    EXPECT_EQ(E_POINTER, dispatch->GetTypeInfoCount(nullptr));
    UINT count = 7;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
}

TEST_F(DispatchTypeInfo, IndexZeroIsTheDispatchInterface) {
    ComPtr<ITypeInfo> typeInfo;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, typeInfo.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, typeInfo->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualIID(IID_ISurface, attr->guid));
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    typeInfo->ReleaseTypeAttr(attr);
}

// Every name the registered type library gives a member or a parameter.
TEST_F(DispatchTypeInfo, NamesAnswerAsTheTypeLibrarySays) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_Vexo, zorvel::kTypeLibMajor, zorvel::kTypeLibMinor,
                                   zorvel::kTypeLibLocale, library.put()));
    const std::vector<zorvel_test::SurfaceName> names = zorvel_test::SurfaceNames(library.get());
    EXPECT_EQ(46u, names.size());  // 14 members, 6 accessors, 26 parameters
    for (const zorvel_test::SurfaceName& name : names)
        EXPECT_EQ(name.id, Id(name.name.c_str())) << testing::PrintToString(name.name);
}

// Object browsers show a help string for every member: of ISurface, which
// the control's dispatch hands out, and of ISurface2 in the library.
int DocumentedMembers(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(S_OK, info->GetTypeAttr(&attr));
    if (!attr) return -1;
    const WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    int documented = 0;
    for (WORD f = 0; f < functions; ++f) {
        FUNCDESC* desc = nullptr;
        EXPECT_EQ(S_OK, info->GetFuncDesc(f, &desc));
        if (!desc) return -1;
        const MEMBERID id = desc->memid;
        const bool own = (desc->wFuncFlags & FUNCFLAG_FRESTRICTED) == 0;
        info->ReleaseFuncDesc(desc);
        if (!own) continue;  // IUnknown and IDispatch
        zorvel::UniqueBstr name, help;
        EXPECT_EQ(S_OK, info->GetDocumentation(id, name.put(), help.put(), nullptr, nullptr));
        EXPECT_GT(help.length(), 10u) << testing::PrintToString(std::wstring(name.get() ? name.get() : L""));
        ++documented;
    }
    return documented;
}

TEST_F(DispatchTypeInfo, EveryMemberHasAHelpString) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()));
    EXPECT_EQ(17, DocumentedMembers(info.get()));
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_Vexo, zorvel::kTypeLibMajor, zorvel::kTypeLibMinor,
                                   zorvel::kTypeLibLocale, library.put()));
    ComPtr<ITypeInfo> second;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_ISurface2, second.put()));
    // ISurface's 17 and ISurface2's own 14 (a property's get and put apart).
    EXPECT_EQ(31, DocumentedMembers(second.get()));
}

TEST_F(DispatchTypeInfo, OtherIndicesAreRefused) {
    ITypeInfo* typeInfo = reinterpret_cast<ITypeInfo*>(0xdeadbeef);
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &typeInfo));
    EXPECT_EQ(nullptr, typeInfo);
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(0xFFFFFFFFu, 0, &typeInfo));
    EXPECT_EQ(E_POINTER, dispatch->GetTypeInfo(0, 0, nullptr));
}

}  // namespace
