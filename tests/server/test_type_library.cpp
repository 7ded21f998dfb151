// Finding the type library of a module: the path rules and the ".tlb" fallback.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/owners.h"
#include "server/type_library.h"
#include "zorvel_dll.h"
#include "zorvel_h.h"

namespace {

using zorvel::ComPtr;

TEST(TypeLibraryPaths, TlbPathReplacesTheExtension) {
    EXPECT_EQ(L"C:\\dir\\Zorvel.tlb", zorvel::TlbPathFor(L"C:\\dir\\Zorvel.dll"));
    EXPECT_EQ(L"C:\\dir\\Zorvel.x.tlb", zorvel::TlbPathFor(L"C:\\dir\\Zorvel.x.dll"));
    EXPECT_EQ(L"C:\\dir\\Zorvel.tlb", zorvel::TlbPathFor(L"C:\\dir\\Zorvel"));
    // A "." before the last "\" belongs to a directory.
    EXPECT_EQ(L"C:\\dir.d\\Zorvel.tlb", zorvel::TlbPathFor(L"C:\\dir.d\\Zorvel"));
    EXPECT_EQ(L"Zorvel.tlb", zorvel::TlbPathFor(L"Zorvel.dll"));
}

TEST(TypeLibraryPaths, HelpDirectoryIsCutAfterTheLastSeparator) {
    EXPECT_EQ(L"C:\\dir\\", zorvel::DirectoryOf(L"C:\\dir\\Zorvel.dll"));
    EXPECT_EQ(L"C:/dir/", zorvel::DirectoryOf(L"C:/dir/Zorvel.dll"));
    EXPECT_EQ(L"C:\\a/b\\", zorvel::DirectoryOf(L"C:\\a/b\\Zorvel.dll"));
    EXPECT_EQ(L"C:", zorvel::DirectoryOf(L"C:Zorvel.dll"));
    EXPECT_EQ(L"", zorvel::DirectoryOf(L"Zorvel.dll"));
}

TEST(TypeLibraryLoad, FromTheModuleFileItself) {
    zorvel_test::ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    ComPtr<ITypeLib> typeLib;
    std::wstring from;
    ASSERT_EQ(S_OK, zorvel::LoadModuleTypeLib(dll.Path(), typeLib.put(), &from));
    EXPECT_EQ(dll.Path(), from);
}

TEST(TypeLibraryLoad, FallsBackToTheTlbBesideTheModule) {
    // The build's generated directory holds zorvel.tlb but no zorvel.dll.
    const std::wstring tlb = L"" ZORVEL_TLB_PATH;
    const std::wstring module = tlb.substr(0, tlb.size() - 4) + L".dll";
    ComPtr<ITypeLib> typeLib;
    std::wstring from = L"unchanged";
    ASSERT_EQ(S_OK, zorvel::LoadModuleTypeLib(module, typeLib.put(), &from));
    EXPECT_EQ(tlb, from);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, typeLib->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_Vexo, attr->guid));
    typeLib->ReleaseTLibAttr(attr);
}

TEST(TypeLibraryLoad, SecondFailureIsTheLoadersCode) {
    const std::wstring missing = L"Z:\\no\\such\\dir\\Zorvel.dll";
    ComPtr<ITypeLib> direct;
    const HRESULT expected = LoadTypeLibEx(L"Z:\\no\\such\\dir\\Zorvel.tlb", REGKIND_NONE, direct.put());
    ASSERT_TRUE(FAILED(expected));
    ComPtr<ITypeLib> typeLib;
    std::wstring from = L"unchanged";
    EXPECT_EQ(expected, zorvel::LoadModuleTypeLib(missing, typeLib.put(), &from));
    EXPECT_FALSE(typeLib);
    EXPECT_EQ(L"unchanged", from);
}

TEST(ModulePath, IsTheLoadersFullName) {
    zorvel_test::ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    std::wstring path;
    ASSERT_EQ(S_OK, zorvel::GetModulePath(dll.Module(), &path));
    EXPECT_EQ(dll.Path(), path);
    EXPECT_EQ(L'Z', path[0]);
    EXPECT_EQ(L':', path[1]);
}

// A copy of the library in a directory deep enough that its full name does
// not fit the 260-character buffer.
class DeepCopy {
public:
    DeepCopy() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        std::wstring dir = std::wstring(L"\\\\?\\") + temp + L"zorvel-long-path";
        CreateDirectoryW(dir.c_str(), nullptr);
        m_dirs.push_back(dir);
        while (dir.size() < 300) {
            dir += L"\\abcdefghijklmnopqrstuvwxyz";
            CreateDirectoryW(dir.c_str(), nullptr);
            m_dirs.push_back(dir);
        }
        m_file = dir + L"\\Zorvel.dll";
        if (CopyFileW(zorvel_test::ZorvelDllPath(), m_file.c_str(), FALSE)) m_module = LoadLibraryW(m_file.c_str());
    }
    ~DeepCopy() {
        if (m_module) FreeLibrary(m_module);
        DeleteFileW(m_file.c_str());
        for (auto dir = m_dirs.rbegin(); dir != m_dirs.rend(); ++dir) RemoveDirectoryW(dir->c_str());
    }
    DeepCopy(const DeepCopy&) = delete;
    DeepCopy& operator=(const DeepCopy&) = delete;

    HMODULE Module() const { return m_module; }

private:
    std::vector<std::wstring> m_dirs;
    std::wstring m_file;
    HMODULE m_module = nullptr;
};

TEST(ModulePath, ThatDoesNotFitIsRefused) {
    DeepCopy copy;
    ASSERT_NE(nullptr, copy.Module()) << "cannot load the copy: " << GetLastError();
    std::wstring path = L"unchanged";
    EXPECT_EQ(static_cast<HRESULT>(0x8007007A), zorvel::GetModulePath(copy.Module(), &path));
    EXPECT_EQ(L"unchanged", path);

    using EntryPoint = HRESULT(STDAPICALLTYPE*)();
    auto registerServer = reinterpret_cast<EntryPoint>(GetProcAddress(copy.Module(), "DllRegisterServer"));
    auto unregisterServer = reinterpret_cast<EntryPoint>(GetProcAddress(copy.Module(), "DllUnregisterServer"));
    ASSERT_TRUE(registerServer && unregisterServer);
    EXPECT_EQ(static_cast<HRESULT>(0x8007007A), registerServer());
    EXPECT_EQ(static_cast<HRESULT>(0x8007007A), unregisterServer());
}

}  // namespace
