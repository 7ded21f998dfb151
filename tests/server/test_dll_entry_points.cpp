// The exported entry points of the built Zorvel.dll.
#include <gtest/gtest.h>

#include "common/owners.h"
#include "zorvel_dll.h"
#include "zorvel_h.h"

namespace {

using zorvel::ComPtr;
using zorvel_test::ZorvelDll;

TEST(DllEntryPoints, AreExportedUnderTheirPlainNames) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Module()) << "LoadLibrary failed with " << GetLastError();
    EXPECT_TRUE(dll.Loaded());
    EXPECT_EQ(nullptr, GetProcAddress(dll.Module(), "DllGetClassObject@12"));
    EXPECT_EQ(nullptr, GetProcAddress(dll.Module(), "DllMain"));
}

TEST(DllEntryPoints, GetClassObjectChecksItsArguments) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    EXPECT_EQ(E_POINTER, dll.GetClassObject(CLSID_CSurface, IID_IClassFactory, nullptr));
    void* out = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.GetClassObject(LIBID_Vexo, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
}

TEST(DllEntryPoints, CanUnloadOnceTheClassObjectIsReleased) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    ASSERT_EQ(S_OK, dll.CanUnloadNow());

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_CSurface, IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
    factory.reset();
    // The class object stays cached, but its cached reference holds no lock.
    EXPECT_EQ(S_OK, dll.CanUnloadNow());

    ComPtr<IClassFactory> again;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_CSurface, IID_IClassFactory, again.put_void()));
    ComPtr<ISurface> surface;
    ASSERT_EQ(S_OK, again->CreateInstance(nullptr, IID_ISurface, surface.put_void()));
    again.reset();
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
    surface.reset();
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST(DllEntryPoints, LockServerKeepsTheLibrary) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_CSurface, IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());

    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_CSurface, IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST(DllEntryPoints, AggregationThroughTheLibrary) {
    ZorvelDll dll;
    ASSERT_TRUE(dll.Loaded());
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_CSurface, IID_IClassFactory, factory.put_void()));

    // Any object serves as the outer unknown for the refusal.
    ComPtr<ISurface> plain;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_ISurface, plain.put_void()));
    void* out = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(plain.get(), IID_ISurface, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_ISurface, nullptr));
}

}  // namespace
