// The module's class object and lock count, in this process's own copy of
// the module (the same code the DLL exports).
#include <gtest/gtest.h>

#include <vector>

#include "control/surface.h"
#include "server/module.h"

namespace {

using zorvel::ComPtr;

void* const kGarbage = reinterpret_cast<void*>(0xdeadbeef);

ComPtr<IClassFactory> SurfaceFactory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, g_module.GetClassObject(CLSID_CSurface, IID_IClassFactory, factory.put_void()));
    return factory;
}

// A controlling unknown that records what the inner object hands on to it.
class FakeOuter final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        queried.push_back(riid);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++addRefs; }
    STDMETHODIMP_(ULONG) Release() override { return ++releases; }

    std::vector<IID> queried;
    ULONG addRefs = 0;
    ULONG releases = 0;
};

TEST(ClassObject, RequestsWithoutAPlaceForTheAnswer) {
    EXPECT_EQ(E_POINTER, g_module.GetClassObject(CLSID_CSurface, IID_IClassFactory, nullptr));

    void* out = kGarbage;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, g_module.GetClassObject(IID_ISurface, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);

    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE, g_module.GetClassObject(CLSID_CSurface, IID_ISurface, &out));
    EXPECT_EQ(nullptr, out);
}

TEST(ClassObject, IsCreatedOnceAndCached) {
    ComPtr<IClassFactory> first = SurfaceFactory();
    ComPtr<IClassFactory> second = SurfaceFactory();
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, g_module.GetClassObject(CLSID_CSurface, IID_IUnknown, unknown.put_void()));
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(static_cast<IUnknown*>(first.get()), unknown.get());
}

TEST(ClassObject, HoldsOneModuleLockWhileClientsHoldIt) {
    const LONG base = g_module.GetLockCount();
    ComPtr<IClassFactory> first = SurfaceFactory();
    EXPECT_EQ(base + 1, g_module.GetLockCount());
    ComPtr<IClassFactory> second = SurfaceFactory();
    EXPECT_EQ(base + 1, g_module.GetLockCount());
    second.reset();
    EXPECT_EQ(base + 1, g_module.GetLockCount());
    first.reset();
    EXPECT_EQ(base, g_module.GetLockCount());
}

TEST(ClassObject, LockServerCountsLocks) {
    const LONG base = g_module.GetLockCount();
    ComPtr<IClassFactory> factory = SurfaceFactory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(base + 1, g_module.GetLockCount());
    EXPECT_EQ(S_FALSE, g_module.CanUnloadNow());

    factory = SurfaceFactory();
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(base, g_module.GetLockCount());
}

TEST(ClassObject, TermReleasesTheCachedObject) {
    const LONG base = g_module.GetLockCount();
    ComPtr<IClassFactory> old = SurfaceFactory();
    g_module.Term();
    // The map's reference is gone: the client's is the only one, and holds no lock.
    EXPECT_EQ(base, g_module.GetLockCount());
    ComPtr<IClassFactory> fresh = SurfaceFactory();
    EXPECT_NE(old.get(), fresh.get());
    fresh.reset();
    old.reset();
    EXPECT_EQ(base, g_module.GetLockCount());
}

TEST(ClassFactory, CreateInstanceRejectsBadRequests) {
    ComPtr<IClassFactory> factory = SurfaceFactory();
    ASSERT_TRUE(factory);
    const LONG base = g_module.GetLockCount();
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_ISurface, nullptr));

    FakeOuter outer;
    void* out = kGarbage;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_ISurface, &out));
    EXPECT_EQ(nullptr, out);

    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(base, g_module.GetLockCount());
    EXPECT_EQ(0u, outer.addRefs);
}

TEST(ClassFactory, PlainObjectHoldsAModuleLock) {
    ComPtr<IClassFactory> factory = SurfaceFactory();
    ASSERT_TRUE(factory);
    const LONG base = g_module.GetLockCount();
    ComPtr<ISurface> surface;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_ISurface, surface.put_void()));
    EXPECT_EQ(base + 1, g_module.GetLockCount());

    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(S_OK, surface.query_to(dispatch));
    EXPECT_TRUE(zorvel::SameIdentity(surface.get(), dispatch.get()));
    dispatch.reset();
    surface.reset();
    EXPECT_EQ(base, g_module.GetLockCount());
}

TEST(ClassFactory, AggregatedObjectDelegatesToTheOuterUnknown) {
    ComPtr<IClassFactory> factory = SurfaceFactory();
    ASSERT_TRUE(factory);
    const LONG base = g_module.GetLockCount();
    FakeOuter outer;
    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    ASSERT_NE(nullptr, inner);
    EXPECT_EQ(base + 1, g_module.GetLockCount());
    EXPECT_EQ(0u, outer.addRefs);

    // The inner unknown answers for itself; the interfaces it hands out count on the outer.
    ISurface* surface = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_ISurface, reinterpret_cast<void**>(&surface)));
    EXPECT_EQ(1u, outer.addRefs);
    EXPECT_TRUE(outer.queried.empty());

    void* out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE, surface->QueryInterface(IID_IPersist, &out));
    ASSERT_EQ(1u, outer.queried.size());
    EXPECT_TRUE(IsEqualIID(IID_IPersist, outer.queried[0]));

    surface->AddRef();
    EXPECT_EQ(2u, outer.addRefs);
    surface->Release();
    surface->Release();
    EXPECT_EQ(2u, outer.releases);
    EXPECT_EQ(base + 1, g_module.GetLockCount());

    EXPECT_EQ(0u, inner->Release());
    EXPECT_EQ(base, g_module.GetLockCount());
}

}  // namespace
