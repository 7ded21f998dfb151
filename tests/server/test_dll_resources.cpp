// The resources of Zorvel.dll: the AppID registrar script byte for byte, the
// type library with the identities and names hosts bind to, and the toolbox
// picture.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/owners.h"
#include "server/server_registration.h"
#include "zorvel_dll.h"
#include "zorvel_h.h"

namespace {

using zorvel::ComPtr;
using zorvel::UniqueBstr;
using zorvel_test::ZorvelDll;

const char kAppIdScriptBytes[] =
    "HKCR\r\n"
    "{\r\n"
    "\tNoRemove AppID\r\n"
    "\t{\r\n"
    "\t\t'%APPID%' = s 'Vexo'\r\n"
    "\t\t'Vexo.DLL'\r\n"
    "\t\t{\r\n"
    "\t\t\tval AppID = s '%APPID%'\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "}\r\n";

std::string ResourceBytes(HMODULE module, const wchar_t* type, UINT id) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!resource) return "<missing>";
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(bytes, SizeofResource(module, resource));
}

TEST(DllResources, AppIdScriptIsExact) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    EXPECT_EQ(std::string(kAppIdScriptBytes), ResourceBytes(dll.Module(), L"REGISTRY", 101));

    std::wstring script;
    ASSERT_EQ(S_OK, zorvel::LoadRegistrarScript(dll.Module(), 101, &script));
    EXPECT_EQ(std::wstring(kAppIdScriptBytes, kAppIdScriptBytes + sizeof(kAppIdScriptBytes) - 1), script);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND), zorvel::LoadRegistrarScript(dll.Module(), 999, &script));
}

TEST(DllResources, DescribeModuleReadsTheLibrary) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    zorvel::ServerRegistration server;
    ASSERT_EQ(S_OK, zorvel::DescribeModule(dll.Module(), &server));
    EXPECT_EQ(dll.Path(), server.modulePath);
    EXPECT_EQ(std::wstring(kAppIdScriptBytes, kAppIdScriptBytes + sizeof(kAppIdScriptBytes) - 1), server.appIdScript);
    EXPECT_FALSE(server.moduleIsProcessImage);
    EXPECT_FALSE(server.moduleIsExecutable);
    EXPECT_NE(nullptr, server.registry);
    EXPECT_NE(nullptr, server.typeLibs);
}

TEST(DllResources, ToolboxBitmapIsSixteenBySixteenInSixteenColours) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    // 102 is the picture's own id; 1 is the id the registered ToolboxBitmap32 names.
    for (UINT id : {102u, 1u}) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageW(dll.Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(nullptr, bitmap) << id;
        DIBSECTION dib = {};
        ASSERT_EQ(static_cast<int>(sizeof(dib)), GetObjectW(bitmap, sizeof(dib), &dib)) << id;
        EXPECT_EQ(16, dib.dsBmih.biWidth) << id;
        EXPECT_EQ(16, dib.dsBmih.biHeight) << id;
        EXPECT_EQ(4, dib.dsBmih.biBitCount) << id;
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), dib.dsBmih.biCompression) << id;
        DeleteObject(bitmap);
    }
}

std::wstring Doc(ITypeLib* typeLib, INT index, std::wstring* name = nullptr) {
    UniqueBstr bName, bDoc;
    EXPECT_EQ(S_OK, typeLib->GetDocumentation(index, bName.put(), bDoc.put(), nullptr, nullptr));
    if (name) *name = bName.get() ? bName.get() : L"";
    return bDoc.get() ? bDoc.get() : L"";
}

TEST(DllResources, TypeLibraryIdentities) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    ComPtr<ITypeLib> typeLib;
    ASSERT_EQ(S_OK, LoadTypeLibEx(dll.Path().c_str(), REGKIND_NONE, typeLib.put()));

    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, typeLib->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_Vexo, attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    EXPECT_EQ(0x0409u, attr->lcid);
    EXPECT_EQ(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, attr->syskind);
    typeLib->ReleaseTLibAttr(attr);

    std::wstring name;
    EXPECT_EQ(L"Kandel 1.0 Type Library", Doc(typeLib.get(), -1, &name));
    EXPECT_EQ(L"Vexo", name);

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, typeLib->GetTypeInfoOfGuid(CLSID_CSurface, coclass.put()));
    TYPEATTR* type = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&type));
    EXPECT_EQ(TKIND_COCLASS, type->typekind);
    EXPECT_EQ(TYPEFLAG_FCANCREATE, type->wTypeFlags);
    // ISurface stays the default; ISurface2 is there for hosts that ask.
    EXPECT_EQ(2, type->cImplTypes);
    coclass->ReleaseTypeAttr(type);
    INT implFlags = 0;
    EXPECT_EQ(S_OK, coclass->GetImplTypeFlags(0, &implFlags));
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, implFlags);
    EXPECT_EQ(S_OK, coclass->GetImplTypeFlags(1, &implFlags));
    EXPECT_EQ(0, implFlags);
    UniqueBstr doc;
    EXPECT_EQ(S_OK, coclass->GetDocumentation(MEMBERID_NIL, nullptr, doc.put(), nullptr, nullptr));
    EXPECT_STREQ(L"Surface Class", doc.get());

    ComPtr<ITypeInfo> surface;
    ASSERT_EQ(S_OK, typeLib->GetTypeInfoOfGuid(IID_ISurface, surface.put()));
    ASSERT_EQ(S_OK, surface->GetTypeAttr(&type));
    EXPECT_EQ(TKIND_DISPATCH, type->typekind);
    EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE, type->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE));
    surface->ReleaseTypeAttr(type);
    EXPECT_EQ(S_OK, surface->GetDocumentation(MEMBERID_NIL, nullptr, doc.put(), nullptr, nullptr));
    EXPECT_STREQ(L"ISurface Interface", doc.get());

    // The vtable half of the dual interface carries all three flags.
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> vtable;
    ASSERT_EQ(S_OK, surface->GetRefTypeOfImplType(-1, &ref));
    ASSERT_EQ(S_OK, surface->GetRefTypeInfo(ref, vtable.put()));
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&type));
    EXPECT_EQ(TKIND_INTERFACE, type->typekind);
    EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE, type->wTypeFlags);
    EXPECT_TRUE(IsEqualIID(IID_ISurface, type->guid));
    vtable->ReleaseTypeAttr(type);
}

struct Member {
    DISPID id;
    INVOKEKIND kind;
    std::vector<std::wstring> names;  // member, then parameters
};

TEST(DllResources, TypeLibraryMembersAndParameterNames) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    ComPtr<ITypeLib> typeLib;
    ASSERT_EQ(S_OK, LoadTypeLibEx(dll.Path().c_str(), REGKIND_NONE, typeLib.put()));
    ComPtr<ITypeInfo> dispatch, vtable;
    ASSERT_EQ(S_OK, typeLib->GetTypeInfoOfGuid(IID_ISurface, dispatch.put()));
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &ref));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, vtable.put()));

    const Member expected[] = {
        {10000, INVOKE_FUNC, {L"SetPointPerXY", L"lpx", L"lpy"}},
        {1, INVOKE_FUNC, {L"SetPointsPerXY", L"lpx", L"lpy"}},
        {2, INVOKE_FUNC, {L"GetPointsPerXY", L"ppX", L"ppY"}},
        {3, INVOKE_FUNC, {L"SetXRange", L"min_x", L"max_x"}},
        {4, INVOKE_FUNC, {L"SetYRange", L"min_y", L"max_y"}},
        {5, INVOKE_FUNC, {L"SetData", L"posx", L"posy", L"x", L"y", L"z"}},
        {6, INVOKE_FUNC, {L"GetXRange", L"pflminX", L"pflmaxX"}},
        {7, INVOKE_FUNC, {L"GetYRange", L"pflminY", L"pflmaxY"}},
        {8, INVOKE_FUNC, {L"Refresh"}},
        {9, INVOKE_PROPERTYGET, {L"XYRotate", L"pVal"}},
        {9, INVOKE_PROPERTYPUT, {L"XYRotate"}},
        {10, INVOKE_PROPERTYGET, {L"ZRotate", L"pVal"}},
        {10, INVOKE_PROPERTYPUT, {L"ZRotate"}},
        {11, INVOKE_PROPERTYGET, {L"Radius", L"pVal"}},
        {11, INVOKE_PROPERTYPUT, {L"Radius"}},
        {12, INVOKE_FUNC, {L"RunScriptFromFile", L"filename", L"Result"}},
        {13, INVOKE_FUNC, {L"RunScript", L"script", L"Result"}},
    };
    TYPEATTR* type = nullptr;
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&type));
    const UINT functions = type->cFuncs;
    vtable->ReleaseTypeAttr(type);
    ASSERT_EQ(17u, functions);

    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &func));
        EXPECT_EQ(expected[i].id, func->memid) << i;
        EXPECT_EQ(expected[i].kind, func->invkind) << i;
        EXPECT_EQ(static_cast<SHORT>((7 + i) * sizeof(void*)), func->oVft) << i;
        BSTR names[8] = {};
        UINT count = 0;
        EXPECT_EQ(S_OK, vtable->GetNames(func->memid, names, 8, &count));
        std::vector<std::wstring> got;
        for (UINT n = 0; n < count; ++n) got.push_back(UniqueBstr(names[n]).get());
        // GetNames answers for the first function with the id; the put
        // accessors carry no parameter name, so they are checked by count.
        if (func->invkind != INVOKE_PROPERTYPUT) EXPECT_EQ(expected[i].names, got) << i;
        else EXPECT_EQ(1, func->cParams) << i;
        vtable->ReleaseFuncDesc(func);
    }
}

}  // namespace
