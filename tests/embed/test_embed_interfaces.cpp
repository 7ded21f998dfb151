// The interfaces a container finds on the control, and the ones it does not.
#include <gtest/gtest.h>

#include "embed_container.h"

using embed_test::Control;
using embed_test::HrText;

namespace {

void* Query(IUnknown* unknown, REFIID riid, HRESULT* hrOut) {
    void* p = reinterpret_cast<void*>(0x1234);
    *hrOut = unknown->QueryInterface(riid, &p);
    if (SUCCEEDED(*hrOut) && p) static_cast<IUnknown*>(p)->Release();
    return p;
}

struct Pair {
    const char* name;
    const IID* iid;
    const IID* answeredBy;  // the interface whose pointer must come back
};

}  // namespace

TEST(EmbedInterfaces, TheTwentyInterfacesAnswerThroughTheirImplementation) {
    Control control;
    ASSERT_TRUE(control.unknown);
    const Pair table[] = {
        {"ISurface", &IID_ISurface, &IID_ISurface},
        {"IDispatch", &IID_IDispatch, &IID_ISurface},
        {"IPersistStreamInit", &IID_IPersistStreamInit, &IID_IPersistStreamInit},
        {"IPersist", &IID_IPersist, &IID_IPersistStreamInit},
        {"IOleControl", &IID_IOleControl, &IID_IOleControl},
        {"IOleObject", &IID_IOleObject, &IID_IOleObject},
        {"IOleInPlaceActiveObject", &IID_IOleInPlaceActiveObject, &IID_IOleInPlaceActiveObject},
        {"IOleWindow", &IID_IOleWindow, &IID_IOleInPlaceActiveObject},
        {"IViewObjectEx", &IID_IViewObjectEx, &IID_IViewObjectEx},
        {"IViewObject2", &IID_IViewObject2, &IID_IViewObjectEx},
        {"IViewObject", &IID_IViewObject, &IID_IViewObjectEx},
        {"IOleInPlaceObjectWindowless", &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceObjectWindowless},
        {"IOleInPlaceObject", &IID_IOleInPlaceObject, &IID_IOleInPlaceObjectWindowless},
        {"IPersistStorage", &IID_IPersistStorage, &IID_IPersistStorage},
        {"ISpecifyPropertyPages", &IID_ISpecifyPropertyPages, &IID_ISpecifyPropertyPages},
        {"IQuickActivate", &IID_IQuickActivate, &IID_IQuickActivate},
        {"IDataObject", &IID_IDataObject, &IID_IDataObject},
        {"IProvideClassInfo2", &IID_IProvideClassInfo2, &IID_IProvideClassInfo2},
        {"IProvideClassInfo", &IID_IProvideClassInfo, &IID_IProvideClassInfo2},
        {"ISupportErrorInfo", &IID_ISupportErrorInfo, &IID_ISupportErrorInfo},
    };
    for (const Pair& entry : table) {
        HRESULT hr;
        void* p = Query(control.unknown.get(), *entry.iid, &hr);
        EXPECT_EQ(S_OK, hr) << entry.name << " " << HrText(hr);
        HRESULT hrOwn;
        void* own = Query(control.unknown.get(), *entry.answeredBy, &hrOwn);
        EXPECT_EQ(own, p) << entry.name;

        // Every interface leads back to the same identity.
        zorvel::ComPtr<IUnknown> identity;
        ASSERT_EQ(S_OK, static_cast<IUnknown*>(p)->QueryInterface(IID_IUnknown, identity.put_void()));
        EXPECT_EQ(control.unknown.get(), identity.get()) << entry.name;
    }

    // The window reaches the active object, never the in-place object.
    HRESULT hr;
    EXPECT_NE(Query(control.unknown.get(), IID_IOleInPlaceObject, &hr),
              Query(control.unknown.get(), IID_IOleWindow, &hr));
}

TEST(EmbedInterfaces, NothingElseIsAnswered) {
    Control control;
    ASSERT_TRUE(control.unknown);
    const Pair absent[] = {
        {"IPersistPropertyBag", &IID_IPersistPropertyBag, nullptr},
        {"IConnectionPointContainer", &IID_IConnectionPointContainer, nullptr},
        {"IPersistStream", &IID_IPersistStream, nullptr},
        {"IPointerInactive", &IID_IPointerInactive, nullptr},
        {"IOleCache", &IID_IOleCache, nullptr},
        {"IRunnableObject", &IID_IRunnableObject, nullptr},
        {"IOleInPlaceSite", &IID_IOleInPlaceSite, nullptr},
        {"IClassFactory", &IID_IClassFactory, nullptr},
    };
    for (const Pair& entry : absent) {
        HRESULT hr;
        void* p = Query(control.unknown.get(), *entry.iid, &hr);
        EXPECT_EQ(E_NOINTERFACE, hr) << entry.name << " " << HrText(hr);
        EXPECT_EQ(nullptr, p) << entry.name;
    }
}

TEST(EmbedInterfaces, RichErrorInformationOnlyForISurface) {
    Control control;
    zorvel::ComPtr<ISupportErrorInfo> errorInfo = control.As<ISupportErrorInfo>();
    ASSERT_TRUE(errorInfo);
    EXPECT_EQ(S_OK, errorInfo->InterfaceSupportsErrorInfo(IID_ISurface));
    EXPECT_EQ(S_FALSE, errorInfo->InterfaceSupportsErrorInfo(IID_IDispatch));
    EXPECT_EQ(S_FALSE, errorInfo->InterfaceSupportsErrorInfo(IID_IOleObject));
    EXPECT_EQ(S_FALSE, errorInfo->InterfaceSupportsErrorInfo(IID_IPersistStreamInit));
}

TEST(EmbedInterfaces, AggregatedControlDelegatesToTheOuterObject) {
    // A minimal outer object that counts what reaches it.
    struct Outer final : IUnknown {
        LONG refs = 1;
        IUnknown* inner = nullptr;
        int queries = 0;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
            ++queries;
            if (IsEqualIID(riid, IID_IUnknown)) {
                *ppv = this;
                AddRef();
                return S_OK;
            }
            return inner->QueryInterface(riid, ppv);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
        STDMETHODIMP_(ULONG) Release() override { return --refs; }
    } outer;
    ASSERT_EQ(S_OK, CSurface::CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)));

    zorvel::ComPtr<IOleObject> object;
    ASSERT_EQ(S_OK, outer.inner->QueryInterface(IID_IOleObject, object.put_void()));
    EXPECT_EQ(2, outer.refs);  // the interface counts on the outer object
    zorvel::ComPtr<IViewObjectEx> view;
    const int before = outer.queries;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IViewObjectEx, view.put_void()));
    EXPECT_EQ(before + 1, outer.queries);
    zorvel::ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, view->QueryInterface(IID_IUnknown, identity.put_void()));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity.get());
    identity.reset();
    view.reset();
    object.reset();
    EXPECT_EQ(1, outer.refs);
    EXPECT_EQ(0u, outer.inner->Release());
}

TEST(EmbedInterfaces, HostNamesUpdateAndUnsupportedObjectOperations) {
    Control control;
    zorvel::ComPtr<IOleObject> object = control.As<IOleObject>();
    EXPECT_EQ(S_OK, object->SetHostNames(L"app", L"doc"));
    EXPECT_EQ(S_OK, object->SetHostNames(nullptr, nullptr));
    EXPECT_EQ(S_OK, object->Update());
    EXPECT_EQ(S_OK, object->IsUpToDate());
    zorvel::ComPtr<IMoniker> moniker;
    EXPECT_EQ(E_NOTIMPL, object->SetMoniker(OLEWHICHMK_OBJREL, nullptr));
    EXPECT_EQ(E_NOTIMPL, object->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJREL, moniker.put()));
    EXPECT_EQ(E_NOTIMPL, object->InitFromData(nullptr, TRUE, 0));
    zorvel::ComPtr<IDataObject> clip;
    EXPECT_EQ(E_NOTIMPL, object->GetClipboardData(0, clip.put()));
    EXPECT_EQ(E_NOTIMPL, object->SetColorScheme(nullptr));
    zorvel::ComPtr<IOleClientSite> site;
    EXPECT_EQ(S_OK, object->GetClientSite(site.put()));
    EXPECT_FALSE(site);
    EXPECT_EQ(E_POINTER, object->GetClientSite(nullptr));
}
