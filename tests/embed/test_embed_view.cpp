// The view and the sizes: IViewObject, IViewObject2, IViewObjectEx, the
// extent of IOleObject and IQuickActivate.
#include <gtest/gtest.h>

#include "embed_container.h"

using embed_test::Calls;
using embed_test::Control;
using embed_test::Embedded;

TEST(EmbedView, ViewStatusIsOpaqueWithSolidBackground) {
    Control control;
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    DWORD status = 0xdeadbeef;
    EXPECT_EQ(S_OK, view->GetViewStatus(&status));
    EXPECT_EQ(3u, status);
    EXPECT_EQ(E_POINTER, view->GetViewStatus(nullptr));
}

TEST(EmbedView, HitPointIsInsideTheBoundsOrOutside) {
    Control control;
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    const RECT bounds = {10, 10, 110, 60};
    struct Case {
        POINT point;
        DWORD hit;
    };
    const Case cases[] = {
        {{10, 10}, HITRESULT_HIT},      {{50, 30}, HITRESULT_HIT},      {{109, 59}, HITRESULT_HIT},
        {{110, 30}, HITRESULT_OUTSIDE}, {{50, 60}, HITRESULT_OUTSIDE}, {{9, 30}, HITRESULT_OUTSIDE},
        {{-50, -50}, HITRESULT_OUTSIDE},
    };
    for (const Case& c : cases) {
        DWORD hit = 0xdeadbeef;
        EXPECT_EQ(S_OK, view->QueryHitPoint(DVASPECT_CONTENT, &bounds, c.point, 0, &hit));
        EXPECT_EQ(c.hit, hit) << c.point.x << "," << c.point.y;
    }
    DWORD hit = 0xdeadbeef;
    const POINT inside = {50, 30};
    EXPECT_EQ(E_FAIL, view->QueryHitPoint(DVASPECT_ICON, &bounds, inside, 0, &hit));
    EXPECT_EQ(static_cast<DWORD>(HITRESULT_OUTSIDE), hit);
    EXPECT_EQ(E_POINTER, view->QueryHitPoint(DVASPECT_CONTENT, &bounds, inside, 0, nullptr));
}

TEST(EmbedView, HitRectIsAHitOnlyWhenItOverlapsTheBounds) {
    Control control;
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    const RECT bounds = {10, 10, 110, 60};
    struct Case {
        RECT rect;
        DWORD hit;
    };
    const Case cases[] = {
        {{0, 0, 20, 20}, HITRESULT_HIT},         // corner overlap
        {{20, 20, 30, 30}, HITRESULT_HIT},       // inside
        {{0, 0, 200, 200}, HITRESULT_HIT},       // around
        {{110, 10, 150, 60}, HITRESULT_OUTSIDE}, // touches the right edge only
        {{200, 200, 300, 300}, HITRESULT_OUTSIDE},
        {{-30, -30, -10, -10}, HITRESULT_OUTSIDE},
    };
    for (const Case& c : cases) {
        DWORD hit = 0xdeadbeef;
        EXPECT_EQ(S_OK, view->QueryHitRect(DVASPECT_CONTENT, &bounds, &c.rect, 0, &hit));
        EXPECT_EQ(c.hit, hit) << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
    }
    DWORD hit = 0xdeadbeef;
    EXPECT_EQ(E_FAIL, view->QueryHitRect(DVASPECT_THUMBNAIL, &bounds, &bounds, 0, &hit));
    EXPECT_EQ(static_cast<DWORD>(HITRESULT_OUTSIDE), hit);
    EXPECT_EQ(E_POINTER, view->QueryHitRect(DVASPECT_CONTENT, &bounds, &bounds, 0, nullptr));
}

TEST(EmbedView, NaturalExtentIsFixedAndOnlyForContent) {
    Control control;
    SIZEL size = {100, 200};
    ASSERT_EQ(S_OK, control.As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &size));
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    DVEXTENTINFO info = {};
    info.cb = sizeof(info);
    info.dwExtentMode = DVEXTENT_CONTENT;
    SIZEL natural = {-1, -1};
    EXPECT_EQ(S_OK, view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &natural));
    EXPECT_EQ(5080, natural.cx);
    EXPECT_EQ(5080, natural.cy);

    info.dwExtentMode = DVEXTENT_INTEGRAL;
    EXPECT_EQ(E_FAIL, view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &natural));
    info.dwExtentMode = DVEXTENT_CONTENT;
    EXPECT_EQ(E_FAIL, view->GetNaturalExtent(DVASPECT_ICON, -1, nullptr, nullptr, &info, &natural));
    EXPECT_EQ(E_POINTER, view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &natural));
    EXPECT_EQ(E_POINTER, view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, nullptr));
}

TEST(EmbedView, ExtentStartsSquareAndFollowsSetExtentForContentOnly) {
    Control control;
    zorvel::ComPtr<IOleObject> object = control.As<IOleObject>();
    SIZEL size = {-1, -1};
    EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(5080, size.cx);
    EXPECT_EQ(5080, size.cy);
    EXPECT_EQ(E_FAIL, object->GetExtent(DVASPECT_ICON, &size));
    EXPECT_EQ(E_POINTER, object->GetExtent(DVASPECT_CONTENT, nullptr));

    SIZEL wanted = {2000, 1000};
    EXPECT_EQ(DV_E_DVASPECT, object->SetExtent(DVASPECT_ICON, &wanted));
    EXPECT_EQ(static_cast<HRESULT>(0x8004006B), object->SetExtent(DVASPECT_DOCPRINT, &wanted));
    EXPECT_EQ(E_POINTER, object->SetExtent(DVASPECT_CONTENT, nullptr));
    EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(5080, size.cx);
    EXPECT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &wanted));
    EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(2000, size.cx);
    EXPECT_EQ(1000, size.cy);

    // The view reports the same extent whatever aspect is asked.
    zorvel::ComPtr<IViewObject2> view = control.As<IViewObject2>();
    for (DWORD aspect : {DVASPECT_CONTENT, DVASPECT_ICON, DVASPECT_THUMBNAIL}) {
        SIZEL viewSize = {-1, -1};
        EXPECT_EQ(S_OK, view->GetExtent(aspect, -1, nullptr, &viewSize)) << aspect;
        EXPECT_EQ(2000, viewSize.cx);
        EXPECT_EQ(1000, viewSize.cy);
    }
    EXPECT_EQ(E_POINTER, view->GetExtent(DVASPECT_CONTENT, -1, nullptr, nullptr));

    // Quick activation's extent is the same one.
    zorvel::ComPtr<IQuickActivate> quick = control.As<IQuickActivate>();
    SIZEL content = {-1, -1};
    EXPECT_EQ(S_OK, quick->GetContentExtent(&content));
    EXPECT_EQ(2000, content.cx);
    SIZEL other = {300, 400};
    EXPECT_EQ(S_OK, quick->SetContentExtent(&other));
    EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(300, size.cx);
    EXPECT_EQ(400, size.cy);
    EXPECT_EQ(E_POINTER, quick->SetContentExtent(nullptr));
    EXPECT_EQ(E_POINTER, quick->GetContentExtent(nullptr));
}

TEST(EmbedView, SizingSendsNoNotifications) {
    Embedded e;
    DWORD connection = 0;
    ASSERT_EQ(S_OK, e.object->Advise(e.container.sink, &connection));
    ASSERT_EQ(S_OK, e.control.As<IViewObject>()->SetAdvise(DVASPECT_CONTENT, 0, e.container.sink));
    SIZEL size = {1, 2};
    EXPECT_EQ(S_OK, e.object->SetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(Calls{}, e.Take());
}

TEST(EmbedView, AdviseSinkIsKeptWithItsAspectsAndFlags) {
    embed_test::TestContainer container;
    {
        Control control;
        zorvel::ComPtr<IViewObject2> view = control.As<IViewObject2>();
        DWORD aspects = 0xdead, flags = 0xbeef;
        zorvel::ComPtr<IAdviseSink> sink;
        EXPECT_EQ(S_OK, view->GetAdvise(&aspects, &flags, sink.put()));
        EXPECT_EQ(0u, aspects);
        EXPECT_EQ(0u, flags);
        EXPECT_FALSE(sink);

        EXPECT_EQ(S_OK, view->SetAdvise(DVASPECT_CONTENT | DVASPECT_ICON, ADVF_PRIMEFIRST, container.sink));
        EXPECT_EQ(2, container.sink->Refs());
        EXPECT_EQ(S_OK, view->GetAdvise(&aspects, &flags, sink.put()));
        EXPECT_EQ(static_cast<DWORD>(DVASPECT_CONTENT | DVASPECT_ICON), aspects);
        EXPECT_EQ(static_cast<DWORD>(ADVF_PRIMEFIRST), flags);
        EXPECT_EQ(static_cast<IAdviseSink*>(container.sink), sink.get());
        sink.reset();
        // Every out-parameter may be left out.
        EXPECT_EQ(S_OK, view->GetAdvise(nullptr, nullptr, nullptr));

        EXPECT_EQ(S_OK, view->SetAdvise(DVASPECT_CONTENT, 0, nullptr));
        EXPECT_EQ(1, container.sink->Refs());
        EXPECT_EQ(Calls{}, container.log.Take());
    }
}

TEST(EmbedView, UnsupportedViewOperations) {
    Control control;
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    LOGPALETTE* palette = nullptr;
    EXPECT_EQ(E_NOTIMPL, view->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &palette));
    DWORD freeze = 0;
    EXPECT_EQ(E_NOTIMPL, view->Freeze(DVASPECT_CONTENT, -1, nullptr, &freeze));
    EXPECT_EQ(E_NOTIMPL, view->Unfreeze(freeze));
    RECTL rect = {};
    EXPECT_EQ(E_NOTIMPL, view->GetRect(DVASPECT_CONTENT, &rect));
}

TEST(EmbedView, DrawWithoutAWindowDrawsNothing) {
    Control control;
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    HDC screen = GetDC(nullptr);
    const RECTL bounds = {0, 0, 100, 100};
    EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, screen, &bounds, nullptr,
                               nullptr, 0));
    EXPECT_EQ(DV_E_DVASPECT,
              view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, screen, &bounds, nullptr, nullptr, 0));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(nullptr, control.surface->Renderer().Device());
    EXPECT_FALSE(control.surface->Renderer().DeviceReady());
}

TEST(EmbedView, DrawOfAnActiveControlStartsTheRenderer) {
    Embedded e;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    ValidateRect(e.Window(), nullptr);  // no paint gets there first
    ASSERT_FALSE(e.control.surface->Renderer().DeviceReady());
    zorvel::ComPtr<IViewObject> view = e.control.As<IViewObject>();
    HDC dc = GetDC(e.container.window);
    const RECTL bounds = {0, 0, 10, 10};
    EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
    ReleaseDC(e.container.window, dc);
    EXPECT_TRUE(e.control.surface->Renderer().DeviceReady());
    EXPECT_EQ(e.Window(), embed_test::DeviceWindow(*e.control.surface));
}
