// A control deactivated and activated again gets a new window: it must draw
// there, with a device of its own for it, and keep its plot.
#include <gtest/gtest.h>

#include "embed_container.h"

using embed_test::Embedded;
using embed_test::Frame;

namespace {

bool PaintedOnce(CSurface& surface) {
    embed_test::PumpMessages(5000, [&] { return surface.Renderer().DeviceReady() != FALSE; });
    return surface.Renderer().DeviceReady() != FALSE;
}

}  // namespace

TEST(EmbedRedraw, FirstPaintOfTheActivatedControlShowsTheSurface) {
    Embedded e;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    CSurface& surface = *e.control.surface;
    ASSERT_TRUE(PaintedOnce(surface));
    EXPECT_EQ(e.Window(), embed_test::DeviceWindow(surface));
    EXPECT_EQ(1u, surface.Renderer().TimerId());
    Frame frame;
    ASSERT_EQ(S_OK, embed_test::ReadFrame(surface, frame));
    EXPECT_EQ(200u, frame.width);
    EXPECT_EQ(150u, frame.height);
    EXPECT_NE(0u, frame.Centre());
}

TEST(EmbedRedraw, ReactivatedControlDrawsInItsNewWindowAndKeepsItsPlot) {
    Embedded e;
    CSurface& surface = *e.control.surface;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    ASSERT_TRUE(PaintedOnce(surface));
    const HWND first = e.Window();

    // A plot of the user's: a height, the camera moved in, rotation on.
    ISurface* plot = &surface;
    LONG countX = 0, countY = 0;
    ASSERT_EQ(S_OK, plot->GetPointsPerXY(&countX, &countY));
    ASSERT_GT(countX, 2);
    ASSERT_EQ(S_OK, plot->SetData(1, 1, 0.0f, 0.0f, 7.5f));
    ASSERT_EQ(S_OK, plot->Refresh());
    ASSERT_EQ(S_OK, plot->put_Radius(40.0f));
    ASSERT_EQ(S_OK, plot->put_XYRotate(1));  // no tick can come before the window goes
    const float azimuth = surface.Renderer().Azimuth();
    const D3DXVECTOR3 eye = surface.Renderer().Eye();
    IDirect3DDevice8* firstDevice = surface.Renderer().Device();
    firstDevice->AddRef();

    ASSERT_EQ(S_OK, e.control.As<IOleInPlaceObject>()->InPlaceDeactivate());
    EXPECT_FALSE(IsWindow(first));
    // What belonged to the old window went with it.
    EXPECT_EQ(nullptr, surface.Renderer().Device());
    EXPECT_FALSE(surface.Renderer().DeviceReady());
    EXPECT_EQ(0u, surface.Renderer().TimerId());
    EXPECT_EQ(0u, firstDevice->Release());  // ours was the last reference

    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    const HWND second = e.Window();
    ASSERT_TRUE(IsWindow(second));
    // The camera is where it was (no tick has come yet).
    EXPECT_EQ(azimuth, surface.Renderer().Azimuth());
    EXPECT_EQ(eye.x, surface.Renderer().Eye().x);
    EXPECT_EQ(eye.y, surface.Renderer().Eye().y);
    EXPECT_EQ(eye.z, surface.Renderer().Eye().z);
    ASSERT_TRUE(PaintedOnce(surface));
    EXPECT_EQ(second, embed_test::DeviceWindow(surface));
    EXPECT_EQ(1u, surface.Renderer().TimerId());
    Frame frame;
    ASSERT_EQ(S_OK, embed_test::ReadFrame(surface, frame));
    EXPECT_EQ(200u, frame.width);
    EXPECT_NE(0u, frame.Centre());

    // The plot is as it was.
    LONG againX = 0, againY = 0;
    EXPECT_EQ(S_OK, plot->GetPointsPerXY(&againX, &againY));
    EXPECT_EQ(countX, againX);
    EXPECT_EQ(countY, againY);
    ASSERT_NE(nullptr, surface.Grid().Heights());
    EXPECT_EQ(7.5f, surface.Grid().Heights()[1 * surface.Grid().CountX() + 1]);
    float radius = 0.0f;
    EXPECT_EQ(S_OK, plot->get_Radius(&radius));
    EXPECT_EQ(40.0f, radius);
    LONG rotating = 0;
    EXPECT_EQ(S_OK, plot->get_XYRotate(&rotating));
    EXPECT_EQ(1, rotating);

    // The new window's timer turns the camera.
    embed_test::PumpMessages(3000, [&] { return surface.Renderer().Azimuth() != azimuth; });
    EXPECT_NE(azimuth, surface.Renderer().Azimuth());
}

TEST(EmbedRedraw, ClosedControlStartsOverInTheNextWindow) {
    Embedded e;
    CSurface& surface = *e.control.surface;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_UIACTIVATE));
    ASSERT_TRUE(PaintedOnce(surface));
    ASSERT_EQ(S_OK, e.object->Close(OLECLOSE_NOSAVE));
    EXPECT_EQ(nullptr, surface.Renderer().Device());
    EXPECT_FALSE(surface.Renderer().DeviceReady());

    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_SHOW));
    ASSERT_TRUE(PaintedOnce(surface));
    EXPECT_EQ(e.Window(), embed_test::DeviceWindow(surface));
    Frame frame;
    ASSERT_EQ(S_OK, embed_test::ReadFrame(surface, frame));
    EXPECT_NE(0u, frame.Centre());
}
