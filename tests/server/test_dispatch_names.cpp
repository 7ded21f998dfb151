// GetIDsOfNames, GetTypeInfoCount and GetTypeInfo of the control.
#include <gtest/gtest.h>

#include <vector>

#include "control/surface.h"
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

TEST_F(DispatchNames, MembersMapToTheirDispids) {
    EXPECT_EQ(10000, Id(L"SetPointPerXY"));
    EXPECT_EQ(1, Id(L"SetPointsPerXY"));
    EXPECT_EQ(2, Id(L"GetPointsPerXY"));
    EXPECT_EQ(3, Id(L"SetXRange"));
    EXPECT_EQ(4, Id(L"SetYRange"));
    EXPECT_EQ(5, Id(L"SetData"));
    EXPECT_EQ(6, Id(L"GetXRange"));
    EXPECT_EQ(7, Id(L"GetYRange"));
    EXPECT_EQ(8, Id(L"Refresh"));
    EXPECT_EQ(9, Id(L"XYRotate"));
    EXPECT_EQ(9, Id(L"get_XYRotate"));
    EXPECT_EQ(9, Id(L"put_XYRotate"));
    EXPECT_EQ(10, Id(L"ZRotate"));
    EXPECT_EQ(10, Id(L"put_ZRotate"));
    EXPECT_EQ(11, Id(L"Radius"));
    EXPECT_EQ(11, Id(L"get_Radius"));
    EXPECT_EQ(12, Id(L"RunScriptFromFile"));
    EXPECT_EQ(13, Id(L"RunScript"));
}

TEST_F(DispatchNames, ParameterNamesMapToTheirPositions) {
    EXPECT_EQ(0, Id(L"lpx"));
    EXPECT_EQ(1, Id(L"lpy"));
    EXPECT_EQ(1, Id(L"ppY"));
    EXPECT_EQ(1, Id(L"max_x"));
    EXPECT_EQ(0, Id(L"min_y"));
    EXPECT_EQ(0, Id(L"posx"));
    EXPECT_EQ(1, Id(L"posy"));
    EXPECT_EQ(2, Id(L"x"));
    EXPECT_EQ(3, Id(L"y"));
    EXPECT_EQ(4, Id(L"z"));
    EXPECT_EQ(1, Id(L"pflmaxX"));
    EXPECT_EQ(0, Id(L"pflminY"));
    EXPECT_EQ(0, Id(L"pVal"));
    EXPECT_EQ(0, Id(L"filename"));
    EXPECT_EQ(1, Id(L"Result"));
    EXPECT_EQ(0, Id(L"script"));
}

TEST_F(DispatchNames, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(5, Id(L"SETDATA"));
    EXPECT_EQ(5, Id(L"setdata"));
    EXPECT_EQ(4, Id(L"Z"));
    EXPECT_EQ(11, Id(L"rAdIuS"));
    EXPECT_EQ(1, Id(L"RESULT"));
}

TEST_F(DispatchNames, SeveralNamesAtOnce) {
    std::vector<DISPID> ids;
    ASSERT_EQ(S_OK, Ids({L"SetData", L"posx", L"posy", L"x", L"y", L"z"}, &ids));
    EXPECT_EQ((std::vector<DISPID>{5, 0, 1, 2, 3, 4}), ids);
}

TEST_F(DispatchNames, UnknownNameEndsTheCallAfterEarlierNamesAreWritten) {
    std::vector<DISPID> ids;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Ids({L"Refresh", L"Paint", L"Radius"}, &ids));
    EXPECT_EQ(8, ids[0]);
    EXPECT_EQ(0x5a5a, ids[2]);

    EXPECT_EQ(DISP_E_UNKNOWNNAME, Ids({L"SetDat"}, &ids));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Ids({L""}, &ids));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Ids({L"Radius", nullptr}, &ids));
    EXPECT_EQ(11, ids[0]);
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

TEST_F(DispatchTypeInfo, OtherIndicesAreRefused) {
    ITypeInfo* typeInfo = reinterpret_cast<ITypeInfo*>(0xdeadbeef);
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &typeInfo));
    EXPECT_EQ(nullptr, typeInfo);
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(0xFFFFFFFFu, 0, &typeInfo));
    EXPECT_EQ(E_POINTER, dispatch->GetTypeInfo(0, 0, nullptr));
}

}  // namespace
