// A device that reports itself lost (a screen lock, a mode change): frames
// are skipped while it stays lost, and once it can be reset the control
// resets it, fills a new strip from the grid it had and draws again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "render_support.h"

using render_test::ControlHost;
using render_test::D3DRecorder;
using render_test::kInjected;

namespace {

bool Called(const D3DRecorder& recorder, const std::string& call) {
    return std::find(recorder.calls.begin(), recorder.calls.end(), call) != recorder.calls.end();
}

// A painted control whose grid holds the user's heights: a ridge along one row.
void FillRidge(ControlHost& host) {
    const CSurfaceGrid* grid = &host.Control().Grid();
    for (LONG col = 0; col < static_cast<LONG>(grid->CountX()); ++col)
        ASSERT_EQ(S_OK, host.Surface()->SetData(col, 40, grid->XValues()[col], grid->YValues()[40], 7.5f));
    ASSERT_EQ(S_OK, host.Control().Refresh());
}

float RidgeHeight(ControlHost& host) {
    const CSurfaceGrid* grid = &host.Control().Grid();
    return grid->Heights()[40 * grid->CountX() + 17];
}

// Loses the device on the next Present, as the runtime reports it.
void LoseOnNextPresent(D3DRecorder& recorder) {
    recorder.failOn = "Present(0,0,0,0)";
    recorder.failWith = D3DERR_DEVICELOST;
    recorder.cooperativeLevel = D3DERR_DEVICELOST;
}

}  // namespace

TEST(RenderLostDevice, RotationWaitsWhileLostThenResetsAndRedrawsTheSameGrid) {
    ControlHost host;
    host.Paint();
    ASSERT_TRUE(host.Control().Renderer().DeviceReady());
    FillRidge(host);
    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(1));
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());
    IDirect3DDevice8* device = host.Control().Renderer().Device();

    LoseOnNextPresent(recorder);
    host.Tick();
    EXPECT_TRUE(host.Control().Renderer().DeviceLost());
    recorder.failOn.clear();

    // While the device stays lost a tick only asks.
    for (int i = 0; i < 3; ++i) {
        recorder.calls.clear();
        host.Tick();
        EXPECT_EQ(std::vector<std::string>{"TestCooperativeLevel"}, recorder.calls);
        EXPECT_TRUE(host.Control().Renderer().DeviceLost());
    }

    // It can be reset now: buffer released, Reset, a new strip, a frame.
    recorder.cooperativeLevel = D3DERR_DEVICENOTRESET;
    recorder.calls.clear();
    host.Tick();
    ASSERT_GE(recorder.calls.size(), 4u);
    const std::vector<std::string> opening(recorder.calls.begin(), recorder.calls.begin() + 4);
    EXPECT_EQ((std::vector<std::string>{"TestCooperativeLevel", "Reset",
                                        "CreateVertexBuffer(1428288,0,0x12,0)", "SetRenderState(22,1)"}),
              opening);
    EXPECT_TRUE(Called(recorder, "DrawPrimitive(5,0,59510)"));
    EXPECT_EQ("Present(0,0,0,0)", recorder.calls.back());
    EXPECT_FALSE(host.Control().Renderer().DeviceLost());
    EXPECT_EQ(device, host.Control().Renderer().Device());
    EXPECT_EQ(59512u, host.Control().Renderer().VertexCount());
    // The grid is the user's: a lost device does not reset it.
    EXPECT_EQ(7.5f, RidgeHeight(host));
    EXPECT_FALSE(host.Read().AllBlack());

    // And the rotation goes on as before.
    recorder.calls.clear();
    host.Tick();
    EXPECT_FALSE(Called(recorder, "TestCooperativeLevel"));
    EXPECT_TRUE(Called(recorder, "Present(0,0,0,0)"));
}

TEST(RenderLostDevice, StillCameraIsRedrawnByTheTimerOrAPaint) {
    for (const bool byPaint : {false, true}) {
        ControlHost host;
        host.Paint();
        FillRidge(host);
        D3DRecorder recorder;
        recorder.WatchDevice(host.Control().Renderer().Device());

        // The loss shows in the status of the call that met it.
        LoseOnNextPresent(recorder);
        EXPECT_EQ(D3DERR_DEVICELOST, host.Control().Refresh());
        EXPECT_TRUE(host.Control().Renderer().DeviceLost());
        recorder.failOn.clear();
        EXPECT_EQ(D3DERR_DEVICELOST, host.Control().Refresh());
        EXPECT_FALSE(Called(recorder, "Reset"));

        recorder.cooperativeLevel = D3DERR_DEVICENOTRESET;
        recorder.calls.clear();
        if (byPaint)
            host.Paint();
        else
            host.Tick();
        EXPECT_TRUE(Called(recorder, "Reset")) << byPaint;
        EXPECT_TRUE(Called(recorder, "DrawPrimitive(5,0,59510)")) << byPaint;
        EXPECT_EQ("Present(0,0,0,0)", recorder.calls.back()) << byPaint;
        EXPECT_FALSE(host.Control().Renderer().DeviceLost());
        EXPECT_EQ(7.5f, RidgeHeight(host));
        EXPECT_FALSE(host.Read().AllBlack());
        EXPECT_EQ(S_OK, host.Control().Refresh());
    }
}

TEST(RenderLostDevice, DeviceThatCannotBeResetIsReplacedOnTheNextPaint) {
    ControlHost host;
    host.Paint();
    FillRidge(host);
    D3DRecorder recorder;
    recorder.keepNewDevices = true;
    recorder.WatchD3D(render_test::Direct3DOf(host.Control()));
    recorder.WatchDevice(host.Control().Renderer().Device());
    IDirect3DDevice8* lostDevice = host.Control().Renderer().Device();
    lostDevice->AddRef();

    LoseOnNextPresent(recorder);
    EXPECT_EQ(D3DERR_DEVICELOST, host.Control().Refresh());
    recorder.cooperativeLevel = D3DERR_DEVICENOTRESET;
    recorder.failOn = "Reset";
    recorder.failWith = kInjected;
    EXPECT_EQ(kInjected, host.Control().Refresh());
    EXPECT_EQ(nullptr, host.Control().Renderer().Device());
    EXPECT_FALSE(host.Control().Renderer().DeviceReady());
    EXPECT_FALSE(host.Control().Renderer().DeviceLost());
    EXPECT_EQ(0u, host.Control().Renderer().TimerId());
    // The control let go of the old device entirely.
    EXPECT_EQ(0u, lostDevice->Release());

    recorder.failOn.clear();
    host.Paint();
    ASSERT_NE(nullptr, host.Control().Renderer().Device());
    EXPECT_TRUE(host.Control().Renderer().DeviceReady());
    EXPECT_EQ(1u, host.Control().Renderer().TimerId());
    EXPECT_EQ(7.5f, RidgeHeight(host));
    EXPECT_FALSE(host.Read().AllBlack());
}

TEST(RenderLostDevice, ResetThatFindsTheDeviceLostAgainKeepsWaiting) {
    ControlHost host;
    host.Paint();
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());
    IDirect3DDevice8* device = host.Control().Renderer().Device();

    LoseOnNextPresent(recorder);
    EXPECT_EQ(D3DERR_DEVICELOST, host.Control().Refresh());
    recorder.cooperativeLevel = D3DERR_DEVICENOTRESET;
    recorder.failOn = "Reset";
    recorder.failWith = D3DERR_DEVICELOST;
    EXPECT_EQ(D3DERR_DEVICELOST, host.Control().Refresh());
    EXPECT_EQ(device, host.Control().Renderer().Device());
    EXPECT_TRUE(host.Control().Renderer().DeviceLost());
    EXPECT_EQ(nullptr, host.Control().Renderer().VertexBuffer());

    recorder.failOn.clear();
    EXPECT_EQ(S_OK, host.Control().Refresh());
    EXPECT_FALSE(host.Control().Renderer().DeviceLost());
    EXPECT_NE(nullptr, host.Control().Renderer().VertexBuffer());
    EXPECT_FALSE(host.Read().AllBlack());
}

// A real display mode change, where the runtime loses devices on it.  The
// control must come out of it drawing, whether or not this runtime reported
// the loss (the test says which it saw).
TEST(RenderLostDevice, DisplayModeChangeLeavesTheControlDrawing) {
    DEVMODEW current = {};
    current.dmSize = sizeof(current);
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &current));
    DEVMODEW other = {};
    other.dmSize = sizeof(other);
    bool found = false;
    for (DWORD i = 0; !found && EnumDisplaySettingsW(nullptr, i, &other); ++i)
        found = other.dmPelsWidth != current.dmPelsWidth || other.dmPelsHeight != current.dmPelsHeight;
    if (!found) GTEST_SKIP() << "the display offers one mode only";

    ControlHost host;
    host.Paint();
    FillRidge(host);
    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(1));
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());

    other.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG changed = ChangeDisplaySettingsW(&other, CDS_FULLSCREEN);
    if (changed != DISP_CHANGE_SUCCESSFUL) GTEST_SKIP() << "mode change refused: " << changed;
    bool sawLoss = false;
    for (int i = 0; i < 5; ++i) {
        host.Tick();
        sawLoss = sawLoss || host.Control().Renderer().DeviceLost();
    }
    ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsW(nullptr, 0));
    for (int i = 0; i < 5 && host.Control().Renderer().DeviceLost(); ++i) host.Tick();
    host.Tick();

    std::printf("display mode %lux%lu -> %lux%lu and back: device loss %s\n", current.dmPelsWidth,
                current.dmPelsHeight, other.dmPelsWidth, other.dmPelsHeight,
                sawLoss || Called(recorder, "Reset") ? "reported and recovered" : "not reported by this runtime");
    EXPECT_FALSE(host.Control().Renderer().DeviceLost());
    ASSERT_NE(nullptr, host.Control().Renderer().Device());
    EXPECT_EQ(7.5f, RidgeHeight(host));
    EXPECT_FALSE(host.Read().AllBlack());
}
