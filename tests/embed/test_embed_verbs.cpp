// IOleObject::DoVerb and Close against a scripted container: every verb, the
// site check, refused activation, and the save rules of Close.  Each case
// compares the calls the control made with the ordered list it must make.
#include <gtest/gtest.h>

#include "embed_container.h"

using embed_test::Calls;
using embed_test::Embedded;
using embed_test::HrText;
using embed_test::SiteOptions;

namespace {

const Calls kInPlaceActivateEx = {
    "InPlaceSite::CanInPlaceActivate", "InPlaceSite::OnInPlaceActivateEx(0)", "InPlaceSite::GetWindow",
    "InPlaceSite::GetWindowContext",   "ClientSite::ShowObject",
};

const Calls kInPlaceActivatePlain = {
    "InPlaceSite::CanInPlaceActivate", "InPlaceSite::OnInPlaceActivate", "InPlaceSite::GetWindow",
    "InPlaceSite::GetWindowContext",   "ClientSite::ShowObject",
};

const Calls kUIActivateEx = {
    "InPlaceSite::CanInPlaceActivate",
    "InPlaceSite::OnInPlaceActivateEx(0)",
    "InPlaceSite::GetWindow",
    "InPlaceSite::GetWindowContext",
    "InPlaceSite::OnUIActivate",
    "Frame::SetActiveObject(object)",
    "Frame::SetBorderSpace(null)",
    "Document::SetActiveObject(object)",
    "Document::SetBorderSpace(null)",
    "ControlSite::OnFocus(1)",
    "ClientSite::ShowObject",
};

const Calls kUIDeactivate = {
    "InPlaceSite::GetWindow",
    "InPlaceSite::GetWindowContext",
    "Document::SetActiveObject(null)",
    "Frame::SetActiveObject(null)",
    "InPlaceSite::OnUIDeactivate(0)",
};

Calls Join(const Calls& a, const Calls& b) {
    Calls all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

}  // namespace

TEST(EmbedVerbs, InPlaceActivateMakesTheWindowAtThePositionRectangle) {
    Embedded e;
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    EXPECT_EQ(kInPlaceActivateEx, e.Take());

    const HWND window = e.Window();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(e.container.window, GetParent(window));
    EXPECT_TRUE(IsWindowVisible(window));
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, e.container.window, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_TRUE(EqualRect(&rect, &embed_test::kPosRect))
        << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    EXPECT_TRUE(e.control.surface->Embedding().State().inPlaceActive);
    EXPECT_FALSE(e.control.surface->Embedding().State().uiActive);

    // Asked again while active: no second activation, no second window.
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    EXPECT_EQ((Calls{"InPlaceSite::GetWindow", "InPlaceSite::GetWindowContext", "ClientSite::ShowObject"}),
              e.Take());
    EXPECT_EQ(window, e.Window());
}

TEST(EmbedVerbs, ShowVerbActivatesInPlace) {
    Embedded e;
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_SHOW));
    EXPECT_EQ(kInPlaceActivateEx, e.Take());
    EXPECT_TRUE(IsWindow(e.Window()));
    EXPECT_FALSE(e.control.surface->Embedding().State().uiActive);
}

TEST(EmbedVerbs, PlainInPlaceSiteIsToldWithoutTheExtendedCalls) {
    SiteOptions options;
    options.offerInPlaceSiteEx = false;
    Embedded e(options);
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    EXPECT_EQ(kInPlaceActivatePlain, e.Take());
    EXPECT_EQ(S_OK, e.control.As<IOleInPlaceObject>()->InPlaceDeactivate());
    EXPECT_EQ(Calls{"InPlaceSite::OnInPlaceDeactivate"}, e.Take());
}

TEST(EmbedVerbs, WindowlessSiteStillGetsAWindowedControl) {
    SiteOptions options;
    options.offerWindowless = true;
    Embedded e(options);
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    // Never asked to go windowless, and activated without ACTIVATE_WINDOWLESS.
    EXPECT_EQ(kInPlaceActivateEx, e.Take());
    HWND window = nullptr;
    EXPECT_EQ(S_OK, e.control.As<IOleWindow>()->GetWindow(&window));
    EXPECT_EQ(e.Window(), window);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(e.control.surface->Embedding().State().windowless);
}

TEST(EmbedVerbs, UIActivateTellsSiteFrameAndDocumentAndTakesTheFocus) {
    Embedded e;
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_UIACTIVATE));
    EXPECT_EQ(kUIActivateEx, e.Take());
    zorvel::ComPtr<IOleInPlaceActiveObject> active = e.control.As<IOleInPlaceActiveObject>();
    EXPECT_EQ(active.get(), e.container.frame->active);
    EXPECT_EQ(active.get(), e.container.document->active);
    EXPECT_EQ(e.Window(), GetFocus());
    EXPECT_TRUE(e.control.surface->Embedding().State().uiActive);

    // Already UI active: nothing is reported twice.
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_UIACTIVATE));
    EXPECT_EQ((Calls{"InPlaceSite::GetWindow", "InPlaceSite::GetWindowContext", "ClientSite::ShowObject"}),
              e.Take());
}

TEST(EmbedVerbs, UIActivateWithoutDocumentWindowTellsTheFrameOnly) {
    SiteOptions options;
    options.offerDocument = false;
    Embedded e(options);
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_UIACTIVATE));
    EXPECT_EQ((Calls{"InPlaceSite::CanInPlaceActivate", "InPlaceSite::OnInPlaceActivateEx(0)",
                     "InPlaceSite::GetWindow", "InPlaceSite::GetWindowContext", "InPlaceSite::OnUIActivate",
                     "Frame::SetActiveObject(object)", "Frame::SetBorderSpace(null)", "ControlSite::OnFocus(1)",
                     "ClientSite::ShowObject"}),
              e.Take());
}

TEST(EmbedVerbs, PrimaryVerbActivatesUnlessTheContainerIsInDesignMode) {
    {
        // A site without ambient properties is taken to be running.
        SiteOptions options;
        options.offerDispatch = false;
        Embedded e(options);
        EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_PRIMARY));
        EXPECT_EQ(kInPlaceActivateEx, e.Take());
    }
    {
        // Ambients without a user mode: running as well.
        Embedded e;
        EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_PRIMARY));
        EXPECT_EQ(Join({"Ambient::Invoke(-709)"}, kInPlaceActivateEx), e.Take());
    }
    {
        SiteOptions options;
        options.hasUserMode = true;
        options.userMode = true;
        Embedded e(options);
        EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_PRIMARY));
        EXPECT_EQ(Join({"Ambient::Invoke(-709)"}, kInPlaceActivateEx), e.Take());
    }
    {
        // Design mode: the properties verb, here shown by the container.
        SiteOptions options;
        options.hasUserMode = true;
        options.userMode = false;
        Embedded e(options);
        EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_PRIMARY));
        EXPECT_EQ((Calls{"Ambient::Invoke(-709)", "ControlSite::ShowPropertyFrame"}), e.Take());
        EXPECT_EQ(nullptr, e.Window());
    }
}

TEST(EmbedVerbs, PositiveVerbsRunThePrimaryVerbAndSayTheVerbIsUnknown) {
    {
        SiteOptions options;
        options.offerDispatch = false;
        Embedded e(options);
        EXPECT_EQ(OLEOBJ_S_INVALIDVERB, e.DoVerb(1));
        EXPECT_EQ(kInPlaceActivateEx, e.Take());
        EXPECT_TRUE(IsWindow(e.Window()));
    }
    {
        // Whatever the primary verb returned.
        SiteOptions options;
        options.offerDispatch = false;
        options.canInPlaceActivate = S_FALSE;
        Embedded e(options);
        EXPECT_EQ(OLEOBJ_S_INVALIDVERB, e.DoVerb(7));
        EXPECT_EQ(Calls{"InPlaceSite::CanInPlaceActivate"}, e.Take());
        EXPECT_EQ(nullptr, e.Window());
    }
}

TEST(EmbedVerbs, OpenAndDiscardUndoStateDoNothing) {
    Embedded e;
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_OPEN));
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_DISCARDUNDOSTATE));
    EXPECT_EQ(Calls{}, e.Take());
    EXPECT_EQ(nullptr, e.Window());
}

TEST(EmbedVerbs, HideLeavesUIActivationAndHidesTheWindow) {
    Embedded e;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_UIACTIVATE));
    e.Take();
    const HWND window = e.Window();
    ASSERT_EQ(window, GetFocus());
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_HIDE));
    // The hidden window loses the focus, and the container hears of it.
    EXPECT_EQ(Join(kUIDeactivate, {"ControlSite::OnFocus(0)"}), e.Take());
    EXPECT_EQ(nullptr, e.container.frame->active);
    EXPECT_EQ(nullptr, e.container.document->active);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(e.control.surface->Embedding().State().inPlaceActive);
    EXPECT_FALSE(e.control.surface->Embedding().State().uiActive);

    // Activation shows the same window again.
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    EXPECT_EQ(window, e.Window());
    EXPECT_TRUE(IsWindowVisible(window));

    // Hiding a control that has no window is no failure.
    Embedded loaded;
    EXPECT_EQ(S_OK, loaded.DoVerb(OLEIVERB_HIDE));
    EXPECT_EQ(Calls{}, loaded.Take());
}

TEST(EmbedVerbs, PropertiesAskTheContainerFirst) {
    Embedded e;
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_PROPERTIES));
    EXPECT_EQ(Calls{"ControlSite::ShowPropertyFrame"}, e.Take());
}

TEST(EmbedVerbs, PropertiesFallBackToThePlatformFrameWithNoPages) {
    // What the platform's frame answers for one object and an empty page list.
    IUnknown* nothing[] = {nullptr};
    const HRESULT platform = OleCreatePropertyFrame(embed_test::ContainerWindow(), 0, 0, L"x", 1, nothing, 0,
                                                    nullptr, LOCALE_USER_DEFAULT, 0, nullptr);
    {
        SiteOptions options;
        options.showPropertyFrame = E_NOTIMPL;
        options.hasLocale = true;
        options.locale = 0x0407;
        Embedded e(options);
        EXPECT_EQ(platform, e.DoVerb(OLEIVERB_PROPERTIES)) << HrText(platform);
        EXPECT_EQ((Calls{"ControlSite::ShowPropertyFrame", "Ambient::Invoke(-705)"}), e.Take());
    }
    {
        SiteOptions options;
        options.offerControlSite = false;
        options.offerDispatch = false;
        Embedded e(options);
        EXPECT_EQ(platform, e.DoVerb(OLEIVERB_PROPERTIES));
        EXPECT_EQ(Calls{}, e.Take());
    }
}

TEST(EmbedVerbs, VerbsBelowPropertiesAreNotImplemented) {
    Embedded e;
    EXPECT_EQ(E_NOTIMPL, e.DoVerb(-8));
    EXPECT_EQ(E_NOTIMPL, e.DoVerb(-1000));
    EXPECT_EQ(Calls{}, e.Take());
    EXPECT_EQ(nullptr, e.Window());
}

TEST(EmbedVerbs, ActiveSiteMustBeTheClientSite) {
    Embedded e;
    embed_test::TestContainer other;
    for (LONG verb : {OLEIVERB_PRIMARY, OLEIVERB_SHOW, OLEIVERB_OPEN, OLEIVERB_HIDE, OLEIVERB_UIACTIVATE,
                      OLEIVERB_INPLACEACTIVATE, OLEIVERB_DISCARDUNDOSTATE, OLEIVERB_PROPERTIES, 1L, -8L}) {
        EXPECT_EQ(E_UNEXPECTED, e.DoVerbFrom(verb, other.site)) << verb;
        EXPECT_EQ(E_UNEXPECTED, e.DoVerbFrom(verb, nullptr)) << verb;
    }
    EXPECT_EQ(Calls{}, e.Take());
    EXPECT_EQ(Calls{}, other.log.Take());
    EXPECT_EQ(nullptr, e.Window());

    // The same site reached through another of its interfaces is the same site.
    zorvel::ComPtr<IOleControlSite> controlSite;
    ASSERT_EQ(S_OK, e.container.site->QueryInterface(IID_IOleControlSite, controlSite.put_void()));
    zorvel::ComPtr<IOleClientSite> again;
    ASSERT_EQ(S_OK, controlSite->QueryInterface(IID_IOleClientSite, again.put_void()));
    EXPECT_EQ(S_OK, e.DoVerbFrom(OLEIVERB_INPLACEACTIVATE, again.get()));
}

TEST(EmbedVerbs, WithoutAnySiteOnlyTheVerbsThatNeedNoneSucceed) {
    embed_test::Control control;
    zorvel::ComPtr<IOleObject> object = control.As<IOleObject>();
    // No stored site and none given: the same (absent) site.
    EXPECT_EQ(S_OK, object->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(S_OK, object->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, nullptr, nullptr));
    // Activation has nowhere to go.
    EXPECT_EQ(E_UNEXPECTED, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(E_UNEXPECTED, object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(nullptr, control.surface->Renderer().ControlWindow());
    // A site given to DoVerb but never set is not ours.
    embed_test::TestContainer container;
    EXPECT_EQ(E_UNEXPECTED, object->DoVerb(OLEIVERB_SHOW, nullptr, container.site, 0, nullptr, nullptr));
}

TEST(EmbedVerbs, RefusedActivationLeavesTheControlLoaded) {
    for (HRESULT answer : {S_FALSE, E_UNEXPECTED}) {
        SiteOptions options;
        options.canInPlaceActivate = answer;
        Embedded e(options);
        const HRESULT expected = answer == S_FALSE ? E_FAIL : answer;
        EXPECT_EQ(expected, e.DoVerb(OLEIVERB_INPLACEACTIVATE)) << HrText(answer);
        EXPECT_EQ(expected, e.DoVerb(OLEIVERB_UIACTIVATE)) << HrText(answer);
        EXPECT_EQ((Calls{"InPlaceSite::CanInPlaceActivate", "InPlaceSite::CanInPlaceActivate"}), e.Take());
        EXPECT_EQ(nullptr, e.Window());
        HWND window = reinterpret_cast<HWND>(1);
        EXPECT_EQ(E_UNEXPECTED, e.control.As<IOleWindow>()->GetWindow(&window));
        EXPECT_EQ(nullptr, window);
        EXPECT_FALSE(e.control.surface->Embedding().State().inPlaceActive);
    }
}

TEST(EmbedVerbs, SiteWithoutInPlaceSupportCannotActivate) {
    SiteOptions options;
    options.offerInPlaceSite = false;
    options.offerInPlaceSiteEx = false;
    Embedded e(options);
    EXPECT_EQ(E_NOINTERFACE, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    EXPECT_EQ(Calls{}, e.Take());
    EXPECT_EQ(nullptr, e.Window());
}

TEST(EmbedClose, SaveIfDirtyDeactivatesSavesAndTellsTheAdviseSinks) {
    Embedded e;
    zorvel::ComPtr<IPersistStreamInit> persist = e.control.As<IPersistStreamInit>();
    ASSERT_EQ(S_OK, persist->InitNew());
    DWORD connection = 0;
    ASSERT_EQ(S_OK, e.object->Advise(e.container.sink, &connection));
    EXPECT_NE(0u, connection);
    ASSERT_EQ(S_OK, e.control.As<IViewObject>()->SetAdvise(DVASPECT_CONTENT, 0, e.container.sink));
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_UIACTIVATE));
    e.Take();
    const HWND window = e.Window();

    EXPECT_EQ(S_OK, e.object->Close(OLECLOSE_SAVEIFDIRTY));
    EXPECT_EQ(Join(Join({"ClientSite::OnShowWindow(0)"}, kUIDeactivate),
                   {"InPlaceSite::OnInPlaceDeactivateEx(1)", "ClientSite::SaveObject", "AdviseSink::OnSave"}),
              e.Take());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, e.Window());
    const zorvel::SurfaceEmbedState& state = e.control.surface->Embedding().State();
    EXPECT_FALSE(state.inPlaceActive);
    EXPECT_FALSE(state.uiActive);
    EXPECT_FALSE(state.negotiatedWindow);
    EXPECT_FALSE(state.inPlaceSite);
    // The view sink is dropped, the client site kept.
    zorvel::ComPtr<IAdviseSink> viewSink;
    EXPECT_EQ(S_OK, e.control.As<IViewObject>()->GetAdvise(nullptr, nullptr, viewSink.put()));
    EXPECT_FALSE(viewSink);
    zorvel::ComPtr<IOleClientSite> site;
    EXPECT_EQ(S_OK, e.object->GetClientSite(site.put()));
    EXPECT_EQ(static_cast<IOleClientSite*>(e.container.site), site.get());

    // Closed controls activate again from the start.
    EXPECT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    EXPECT_EQ(kInPlaceActivateEx, e.Take());
}

TEST(EmbedClose, SaveOptionsDecideWhetherTheSiteSaves) {
    struct Case {
        DWORD option;
        bool dirty;
        bool saves;
    };
    const Case cases[] = {
        {OLECLOSE_SAVEIFDIRTY, true, true},  {OLECLOSE_PROMPTSAVE, true, true},
        {OLECLOSE_NOSAVE, true, false},      {OLECLOSE_SAVEIFDIRTY, false, false},
        {OLECLOSE_PROMPTSAVE, false, false},
    };
    for (const Case& c : cases) {
        Embedded e;
        if (c.dirty) {
            ASSERT_EQ(S_OK, e.control.As<IPersistStreamInit>()->InitNew());
        }
        DWORD connection = 0;
        ASSERT_EQ(S_OK, e.object->Advise(e.container.sink, &connection));
        ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
        e.Take();
        EXPECT_EQ(S_OK, e.object->Close(c.option));
        Calls expected = {"ClientSite::OnShowWindow(0)", "InPlaceSite::OnInPlaceDeactivateEx(1)"};
        if (c.saves) expected = Join(expected, {"ClientSite::SaveObject", "AdviseSink::OnSave"});
        EXPECT_EQ(expected, e.Take()) << "option " << c.option << " dirty " << c.dirty;
    }
}

TEST(EmbedClose, LoadedControlClosesWithoutTellingAnyone) {
    Embedded e;
    EXPECT_EQ(S_OK, e.object->Close(OLECLOSE_NOSAVE));
    EXPECT_EQ(Calls{}, e.Take());
}

TEST(EmbedClose, ReferencesToTheContainerAreGivenBack) {
    embed_test::TestContainer container;
    {
        embed_test::Control control;
        zorvel::ComPtr<IOleObject> object = control.As<IOleObject>();
        ASSERT_EQ(S_OK, object->SetClientSite(container.site));
        DWORD connection = 0;
        ASSERT_EQ(S_OK, object->Advise(container.sink, &connection));
        ASSERT_EQ(S_OK, control.As<IViewObject>()->SetAdvise(DVASPECT_CONTENT, 0, container.sink));
        ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, container.site, 0, container.window,
                                       &embed_test::kPosRect));
        EXPECT_EQ(S_OK, object->Close(OLECLOSE_NOSAVE));
        EXPECT_EQ(S_OK, object->Unadvise(connection));
        EXPECT_EQ(S_OK, object->SetClientSite(nullptr));
        EXPECT_EQ(1, container.site->Refs());
        EXPECT_EQ(1, container.sink->Refs());
    }
    EXPECT_EQ(1, container.site->Refs());
    EXPECT_EQ(1, container.frame->Refs());
    EXPECT_EQ(1, container.document->Refs());
    EXPECT_EQ(1, container.sink->Refs());
}
