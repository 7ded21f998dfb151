// The in-place object and the active object: the window while active and
// not, position and clipping, deactivation, focus and mouse activation, and
// keyboard accelerators offered to the container.
#include <gtest/gtest.h>

#include "embed_container.h"

using embed_test::Calls;
using embed_test::Embedded;
using embed_test::SiteOptions;

TEST(EmbedInPlace, GetWindowAnswersOnlyWhileThereIsAWindow) {
    Embedded e;
    zorvel::ComPtr<IOleInPlaceObject> inPlace = e.control.As<IOleInPlaceObject>();
    zorvel::ComPtr<IOleWindow> window = e.control.As<IOleWindow>();
    HWND hwnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_UNEXPECTED, window->GetWindow(&hwnd));
    EXPECT_EQ(nullptr, hwnd);
    EXPECT_EQ(E_POINTER, window->GetWindow(nullptr));

    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    const HWND control = e.Window();
    ASSERT_NE(nullptr, control);
    hwnd = nullptr;
    EXPECT_EQ(S_OK, window->GetWindow(&hwnd));
    EXPECT_EQ(control, hwnd);
    hwnd = nullptr;
    EXPECT_EQ(S_OK, inPlace->GetWindow(&hwnd));
    EXPECT_EQ(control, hwnd);

    EXPECT_EQ(S_OK, inPlace->InPlaceDeactivate());
    EXPECT_FALSE(IsWindow(control));
    hwnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_UNEXPECTED, window->GetWindow(&hwnd));
    EXPECT_EQ(nullptr, hwnd);
}

TEST(EmbedInPlace, DeactivationTellsTheSiteAndDestroysTheWindow) {
    Embedded e;
    zorvel::ComPtr<IOleInPlaceObject> inPlace = e.control.As<IOleInPlaceObject>();
    // Nothing to leave yet.
    EXPECT_EQ(S_OK, inPlace->UIDeactivate());
    EXPECT_EQ(S_OK, inPlace->InPlaceDeactivate());
    EXPECT_EQ(Calls{}, e.Take());

    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    e.Take();
    EXPECT_EQ(S_OK, inPlace->UIDeactivate());  // not UI active: silent
    EXPECT_EQ(Calls{}, e.Take());
    const HWND window = e.Window();
    EXPECT_EQ(S_OK, inPlace->InPlaceDeactivate());
    EXPECT_EQ(Calls{"InPlaceSite::OnInPlaceDeactivateEx(1)"}, e.Take());
    EXPECT_FALSE(IsWindow(window));

    // From UI activation both steps are reported, UI first.
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_UIACTIVATE));
    e.Take();
    EXPECT_EQ(S_OK, inPlace->InPlaceDeactivate());
    EXPECT_EQ((Calls{"InPlaceSite::GetWindow", "InPlaceSite::GetWindowContext", "Document::SetActiveObject(null)",
                     "Frame::SetActiveObject(null)", "InPlaceSite::OnUIDeactivate(0)",
                     "InPlaceSite::OnInPlaceDeactivateEx(1)"}),
              e.Take());
    EXPECT_EQ(nullptr, e.Window());
}

TEST(EmbedInPlace, SetObjectRectsMovesTheWindowAndClipsIt) {
    Embedded e;
    zorvel::ComPtr<IOleInPlaceObject> inPlace = e.control.As<IOleInPlaceObject>();
    EXPECT_EQ(E_POINTER, inPlace->SetObjectRects(nullptr, &embed_test::kClipRect));
    EXPECT_EQ(E_POINTER, inPlace->SetObjectRects(&embed_test::kPosRect, nullptr));
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    const HWND window = e.Window();

    const RECT pos = {30, 40, 130, 90};
    const RECT everything = {0, 0, 400, 300};
    EXPECT_EQ(S_OK, inPlace->SetObjectRects(&pos, &everything));
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, e.container.window, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_TRUE(EqualRect(&pos, &rect));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(window, region));  // no clipping needed
    EXPECT_TRUE(EqualRect(&pos, &e.control.surface->Embedding().State().posRect));

    // Half of it cut off on the right: the region keeps the left half.
    const RECT clip = {0, 0, 80, 300};
    EXPECT_EQ(S_OK, inPlace->SetObjectRects(&pos, &clip));
    EXPECT_EQ(SIMPLEREGION, GetWindowRgn(window, region));
    RECT box = {};
    GetRgnBox(region, &box);
    const RECT visible = {0, 0, 50, 50};
    EXPECT_TRUE(EqualRect(&visible, &box)) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
    DeleteObject(region);

    // No window: the rectangle is kept for the next activation.
    EXPECT_EQ(S_OK, inPlace->InPlaceDeactivate());
    EXPECT_EQ(S_OK, inPlace->SetObjectRects(&pos, &everything));
    EXPECT_TRUE(EqualRect(&pos, &e.control.surface->Embedding().State().posRect));
}

TEST(EmbedInPlace, FocusChangesAreToldToTheControlSite) {
    Embedded e;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    e.Take();
    SendMessageW(e.Window(), WM_SETFOCUS, 0, 0);
    SendMessageW(e.Window(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ((Calls{"ControlSite::OnFocus(1)", "ControlSite::OnFocus(0)"}), e.Take());

    // Without a control site there is no one to tell.
    SiteOptions options;
    options.offerControlSite = false;
    Embedded quiet(options);
    ASSERT_EQ(S_OK, quiet.DoVerb(OLEIVERB_INPLACEACTIVATE));
    quiet.Take();
    SendMessageW(quiet.Window(), WM_SETFOCUS, 0, 0);
    SendMessageW(quiet.Window(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(Calls{}, quiet.Take());
}

TEST(EmbedInPlace, ClickUIActivatesTheControlOutsideDesignMode) {
    Embedded e;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    e.Take();
    SendMessageW(e.Window(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(e.container.window),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ((Calls{"Ambient::Invoke(-709)", "InPlaceSite::GetWindow", "InPlaceSite::GetWindowContext",
                     "InPlaceSite::OnUIActivate", "Frame::SetActiveObject(object)", "Frame::SetBorderSpace(null)",
                     "Document::SetActiveObject(object)", "Document::SetBorderSpace(null)",
                     "ControlSite::OnFocus(1)", "ClientSite::ShowObject"}),
              e.Take());
    EXPECT_TRUE(e.control.surface->Embedding().State().uiActive);

    SiteOptions design;
    design.hasUserMode = true;
    design.userMode = false;
    Embedded d(design);
    ASSERT_EQ(S_OK, d.DoVerb(OLEIVERB_INPLACEACTIVATE));
    d.Take();
    SendMessageW(d.Window(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(d.container.window),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(Calls{"Ambient::Invoke(-709)"}, d.Take());
    EXPECT_FALSE(d.control.surface->Embedding().State().uiActive);
}

TEST(EmbedInPlace, AcceleratorsGoToTheControlSiteWithTheModifierKeys) {
    MSG msg = {};
    msg.message = WM_KEYDOWN;
    msg.wParam = 'A';
    {
        SiteOptions options;
        options.translateAccelerator = S_OK;
        Embedded e(options);
        zorvel::ComPtr<IOleInPlaceActiveObject> active = e.control.As<IOleInPlaceActiveObject>();
        EXPECT_EQ(S_OK, active->TranslateAccelerator(&msg));
        EXPECT_EQ(Calls{"ControlSite::TranslateAccelerator(256,0)"}, e.Take());
        EXPECT_EQ(E_POINTER, active->TranslateAccelerator(nullptr));

        // Shift, Control and Alt held down: 1 + 2 + 4.
        BYTE saved[256];
        ASSERT_TRUE(GetKeyboardState(saved));
        BYTE pressed[256];
        memcpy(pressed, saved, sizeof(pressed));
        pressed[VK_SHIFT] = pressed[VK_CONTROL] = pressed[VK_MENU] = 0x80;
        ASSERT_TRUE(SetKeyboardState(pressed));
        EXPECT_EQ(S_OK, active->TranslateAccelerator(&msg));
        SetKeyboardState(saved);
        EXPECT_EQ(Calls{"ControlSite::TranslateAccelerator(256,7)"}, e.Take());
    }
    for (HRESULT answer : {S_FALSE, E_NOTIMPL}) {
        SiteOptions options;
        options.translateAccelerator = answer;
        Embedded e(options);
        EXPECT_EQ(S_FALSE, e.control.As<IOleInPlaceActiveObject>()->TranslateAccelerator(&msg));
        EXPECT_EQ(Calls{"ControlSite::TranslateAccelerator(256,0)"}, e.Take());
    }
    {
        SiteOptions options;
        options.offerControlSite = false;
        Embedded e(options);
        EXPECT_EQ(S_FALSE, e.control.As<IOleInPlaceActiveObject>()->TranslateAccelerator(&msg));
        EXPECT_EQ(Calls{}, e.Take());
    }
    embed_test::Control alone;
    EXPECT_EQ(S_FALSE, alone.As<IOleInPlaceActiveObject>()->TranslateAccelerator(&msg));
}

TEST(EmbedInPlace, ActiveObjectNotifications) {
    Embedded e;
    zorvel::ComPtr<IOleInPlaceActiveObject> active = e.control.As<IOleInPlaceActiveObject>();
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_UIACTIVATE));
    e.Take();
    EXPECT_EQ(S_OK, active->OnFrameWindowActivate(FALSE));
    EXPECT_EQ(S_OK, active->OnFrameWindowActivate(TRUE));
    EXPECT_EQ(S_OK, active->ResizeBorder(&embed_test::kClipRect, e.container.frame, TRUE));
    EXPECT_EQ(S_OK, active->EnableModeless(FALSE));
    EXPECT_EQ(S_OK, active->EnableModeless(TRUE));
    EXPECT_EQ(E_NOTIMPL, active->ContextSensitiveHelp(TRUE));
    EXPECT_EQ(S_OK, active->OnDocWindowActivate(TRUE));
    EXPECT_EQ(Calls{}, e.Take());
    EXPECT_TRUE(e.control.surface->Embedding().State().uiActive);

    // The document window going inactive takes the UI activation along.
    EXPECT_EQ(S_OK, active->OnDocWindowActivate(FALSE));
    EXPECT_EQ((Calls{"InPlaceSite::GetWindow", "InPlaceSite::GetWindowContext", "Document::SetActiveObject(null)",
                     "Frame::SetActiveObject(null)", "InPlaceSite::OnUIDeactivate(0)"}),
              e.Take());
    EXPECT_FALSE(e.control.surface->Embedding().State().uiActive);
    EXPECT_TRUE(e.control.surface->Embedding().State().inPlaceActive);
}

TEST(EmbedInPlace, WindowMessagesReachTheControlsTable) {
    Embedded e;
    zorvel::ComPtr<IOleInPlaceObjectWindowless> windowless = e.control.As<IOleInPlaceObjectWindowless>();
    LRESULT result = 55;
    EXPECT_EQ(S_OK, windowless->OnWindowMessage(WM_KEYDOWN, 'A', 0, &result));
    EXPECT_EQ(0, result);
    result = 55;
    EXPECT_EQ(S_FALSE, windowless->OnWindowMessage(WM_USER + 7, 0, 0, &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(E_POINTER, windowless->OnWindowMessage(WM_KEYDOWN, 'A', 0, nullptr));
    EXPECT_EQ(E_NOTIMPL, windowless->ReactivateAndUndo());
    zorvel::ComPtr<IDropTarget> target;
    EXPECT_EQ(E_NOTIMPL, windowless->GetDropTarget(target.put()));
    EXPECT_EQ(E_NOTIMPL, windowless->ContextSensitiveHelp(FALSE));
}

TEST(EmbedInPlace, ReflectedNotificationsGetDefaultProcessing) {
    Embedded e;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    HDC dc = GetDC(e.Window());
    // A reflected colour request is answered as the original would be.
    const LRESULT reflected = SendMessageW(e.Window(), OCM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(e.Window()));
    const LRESULT original = DefWindowProcW(e.Window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(e.Window()));
    ReleaseDC(e.Window(), dc);
    EXPECT_NE(0, original);
    EXPECT_EQ(original, reflected);
}

TEST(EmbedControl, FreezeEventsCountsAndTheRestIsFixed) {
    embed_test::Control control;
    zorvel::ComPtr<IOleControl> oleControl = control.As<IOleControl>();
    EXPECT_EQ(S_OK, oleControl->FreezeEvents(TRUE));
    EXPECT_EQ(S_OK, oleControl->FreezeEvents(TRUE));
    EXPECT_EQ(2, control.surface->Embedding().State().freezeEvents);
    EXPECT_EQ(S_OK, oleControl->FreezeEvents(FALSE));
    EXPECT_EQ(1, control.surface->Embedding().State().freezeEvents);
    EXPECT_EQ(S_OK, oleControl->FreezeEvents(FALSE));
    EXPECT_EQ(S_OK, oleControl->FreezeEvents(FALSE));
    EXPECT_EQ(-1, control.surface->Embedding().State().freezeEvents);

    CONTROLINFO info = {};
    info.cb = sizeof(info);
    EXPECT_EQ(E_NOTIMPL, oleControl->GetControlInfo(&info));
    MSG msg = {};
    EXPECT_EQ(E_NOTIMPL, oleControl->OnMnemonic(&msg));
    EXPECT_EQ(S_OK, oleControl->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE));
    EXPECT_EQ(S_OK, oleControl->OnAmbientPropertyChange(DISPID_UNKNOWN));
}
