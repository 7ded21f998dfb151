// Grids without a strip, a missing entry object, and a first frame that
// fails after its device was made: the control draws what it can and starts
// over cleanly.
#include <gtest/gtest.h>

#include <algorithm>

#include "render_support.h"

using render_test::ControlHost;
using render_test::D3DRecorder;

namespace {

bool Called(const D3DRecorder& recorder, const std::string& prefix) {
    return std::any_of(recorder.calls.begin(), recorder.calls.end(),
                       [&](const std::string& call) { return call.compare(0, prefix.size(), prefix) == 0; });
}

IDirect3DDevice8* DeviceOfBuffer(IDirect3DVertexBuffer8* buffer) {
    IDirect3DDevice8* device = nullptr;
    if (buffer && SUCCEEDED(buffer->GetDevice(&device))) device->Release();
    return device;
}

}  // namespace

TEST(RenderFaults, GridWithOneRowDrawsTheBackgroundOnly) {
    ControlHost host;
    ASSERT_EQ(S_OK, host.Surface()->SetPointPerXY(4, 1));
    D3DRecorder recorder;
    recorder.WatchD3D(render_test::Direct3DOf(host.Control()));

    host.Paint();
    ASSERT_NE(nullptr, host.Control().Renderer().Device());
    EXPECT_TRUE(host.Control().Renderer().DeviceReady());
    EXPECT_EQ(1u, host.Control().Renderer().TimerId());
    EXPECT_EQ(4u, host.Control().Grid().CountX());
    EXPECT_EQ(1u, host.Control().Grid().CountY());
    EXPECT_EQ(0u, host.Control().Renderer().VertexCount());
    EXPECT_EQ(nullptr, host.Control().Renderer().VertexBuffer());
    EXPECT_TRUE(host.Read().AllBlack());

    // Later frames neither bind nor draw the missing strip.
    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(1));
    host.Tick();
    EXPECT_EQ(S_OK, host.Control().Refresh());
    EXPECT_TRUE(host.Read().AllBlack());
    EXPECT_FALSE(Called(recorder, "CreateVertexBuffer"));
    EXPECT_FALSE(Called(recorder, "SetStreamSource"));
    EXPECT_FALSE(Called(recorder, "DrawPrimitive"));
    // Three frames (first paint, tick, Refresh), each one closed.
    EXPECT_EQ(3, std::count(recorder.calls.begin(), recorder.calls.end(), "BeginScene"));
    EXPECT_EQ(3, std::count(recorder.calls.begin(), recorder.calls.end(), "EndScene"));

    // A grid with bands gets a strip, and losing them drops it again.
    ASSERT_EQ(S_OK, host.Surface()->SetPointPerXY(10, 10));
    EXPECT_EQ(S_OK, host.Control().Refresh());
    EXPECT_EQ(180u, host.Control().Renderer().VertexCount());
    EXPECT_FALSE(host.Read().AllBlack());
    ASSERT_EQ(S_OK, host.Surface()->SetPointPerXY(5, 1));
    EXPECT_EQ(S_OK, host.Control().Refresh());
    EXPECT_EQ(0u, host.Control().Renderer().VertexCount());
    EXPECT_EQ(nullptr, host.Control().Renderer().VertexBuffer());
    EXPECT_TRUE(host.Read().AllBlack());
}

TEST(RenderFaults, GridWithoutArraysDrawsTheBackgroundOnly) {
    ControlHost host;
    // The 32-bit product is 4, so the counts are taken, but no array of
    // 0x40000001 floats can exist.
    ASSERT_EQ(S_OK, host.Surface()->SetPointPerXY(0x40000001, 4));
    ASSERT_FALSE(host.Control().Grid().HasArrays());

    host.Paint();
    ASSERT_NE(nullptr, host.Control().Renderer().Device());
    EXPECT_TRUE(host.Control().Renderer().DeviceReady());
    EXPECT_FALSE(host.Control().Grid().HasArrays());
    EXPECT_EQ(0u, host.Control().Renderer().VertexCount());
    EXPECT_EQ(nullptr, host.Control().Renderer().VertexBuffer());
    EXPECT_TRUE(host.Read().AllBlack());
    EXPECT_EQ(S_OK, host.Control().Refresh());
    EXPECT_TRUE(host.Read().AllBlack());
}

TEST(RenderFaults, SingleColumnDrawsOnlyEmptyTriangles) {
    ControlHost host;
    ASSERT_EQ(S_OK, host.Surface()->SetPointPerXY(1, 4));
    D3DRecorder recorder;
    recorder.WatchD3D(render_test::Direct3DOf(host.Control()));

    host.Paint();
    EXPECT_EQ(6u, host.Control().Renderer().VertexCount());
    EXPECT_TRUE(Called(recorder, "DrawPrimitive(5,0,4)"));
    EXPECT_TRUE(host.Read().AllBlack());
}

TEST(RenderFaults, MissingEntryObjectFailsTheSetUpUntilThereIsOne) {
    ControlHost host;
    CSurface& control = host.Control();
    IDirect3D8* d3d = render_test::TakeDirect3D(control);
    ASSERT_NE(nullptr, d3d);

    EXPECT_EQ(S_FALSE, control.Renderer().Paint());
    EXPECT_EQ(E_FAIL, control.Renderer().CreateDeviceObjects(host.Window()));
    host.Paint();
    EXPECT_EQ(nullptr, control.Renderer().Device());
    EXPECT_FALSE(control.Renderer().DeviceReady());
    EXPECT_EQ(0u, control.Renderer().TimerId());

    // Each paint tries again.
    render_test::GiveDirect3D(control, d3d);
    host.Paint();
    EXPECT_NE(nullptr, control.Renderer().Device());
    EXPECT_TRUE(control.Renderer().DeviceReady());
    EXPECT_EQ(1u, control.Renderer().TimerId());
    EXPECT_FALSE(host.Read().AllBlack());
}

struct FirstFrameFault {
    const char* failing;
    std::vector<std::string> attempt;  // calls of the failed first paint
};

TEST(RenderFaults, FailedFirstFrameReleasesItsDeviceAndTheNextPaintStartsOver) {
    const std::vector<std::string> opening = {"GetAdapterDisplayMode(0)", "CreateDevice(0,1,0x20)",
                                              "SetRenderState(22,1)", "CreateVertexBuffer(1428288,0,0x12,0)"};
    auto upTo = [&](std::vector<std::string> tail) {
        std::vector<std::string> calls = opening;
        calls.insert(calls.end(), tail.begin(), tail.end());
        calls.push_back("device destroyed");
        return calls;
    };
    const std::vector<std::string> frameTail = {
        "Clear(0,0,3,0x00000000,1,0)", "SetTransform(256)", "SetTransform(2)", "SetTransform(3)",
        "BeginScene", "SetMaterial", "SetLight(0)", "LightEnable(0,1)", "SetRenderState(137,1)",
        "SetRenderState(29,1)", "SetRenderState(8,3)", "SetStreamSource(0,24)", "SetVertexShader(0x12)",
        "DrawPrimitive(5,0,59510)", "EndScene"};
    std::vector<std::string> withPresent = frameTail;
    withPresent.push_back("Present(0,0,0,0)");
    const FirstFrameFault faults[] = {
        {"CreateVertexBuffer(1428288,0,0x12,0)", upTo({})},
        {"DrawPrimitive(5,0,59510)", upTo(frameTail)},
        {"Present(0,0,0,0)", upTo(withPresent)},
    };

    for (const FirstFrameFault& fault : faults) {
        ControlHost host;
        CSurface& control = host.Control();
        D3DRecorder recorder;
        recorder.WatchD3D(render_test::Direct3DOf(control));
        recorder.failOn = fault.failing;

        host.Paint();
        EXPECT_EQ(S_FALSE, control.Renderer().Paint()) << fault.failing;
        // Both attempts made a device and let it go before the paint ended.
        std::vector<std::string> twice = fault.attempt;
        twice.insert(twice.end(), fault.attempt.begin(), fault.attempt.end());
        EXPECT_EQ(twice, recorder.calls) << fault.failing;
        EXPECT_EQ(nullptr, control.Renderer().Device());
        EXPECT_EQ(nullptr, control.Renderer().VertexBuffer());
        EXPECT_EQ(0u, control.Renderer().VertexCount());
        EXPECT_FALSE(control.Renderer().DeviceReady());
        EXPECT_EQ(0u, control.Renderer().TimerId());

        recorder.failOn.clear();
        host.Paint();
        ASSERT_NE(nullptr, control.Renderer().Device()) << fault.failing;
        EXPECT_TRUE(control.Renderer().DeviceReady());
        EXPECT_EQ(1u, control.Renderer().TimerId());
        EXPECT_EQ(control.Renderer().Device(), DeviceOfBuffer(control.Renderer().VertexBuffer()));
        EXPECT_FALSE(host.Read().AllBlack());
    }
}

TEST(RenderFaults, DeviceMadeBeforeTheFirstPaintIsReplacedWithItsBuffer) {
    ControlHost host;
    CSurface& control = host.Control();
    ASSERT_EQ(S_OK, control.Renderer().CreateDeviceObjects(host.Window()));
    ASSERT_EQ(S_OK, control.Renderer().RenderScene(TRUE));
    IDirect3DDevice8* earlierDevice = control.Renderer().Device();
    IDirect3DVertexBuffer8* earlierBuffer = control.Renderer().VertexBuffer();
    ASSERT_NE(nullptr, earlierBuffer);
    earlierDevice->AddRef();
    earlierBuffer->AddRef();
    EXPECT_FALSE(control.Renderer().DeviceReady());

    host.Paint();

    ASSERT_TRUE(control.Renderer().DeviceReady());
    EXPECT_NE(earlierDevice, control.Renderer().Device());
    IDirect3DVertexBuffer8* buffer = control.Renderer().VertexBuffer();
    EXPECT_NE(earlierBuffer, buffer);
    EXPECT_EQ(control.Renderer().Device(), DeviceOfBuffer(buffer));
    EXPECT_EQ(59512u, control.Renderer().VertexCount());
    // The control holds nothing of the earlier pair.
    EXPECT_EQ(0u, earlierBuffer->Release());
    EXPECT_EQ(0u, earlierDevice->Release());
    EXPECT_FALSE(host.Read().AllBlack());
}

TEST(RenderFaults, VertexBufferThatCannotBeMadeForANewGridIsMadeOnTheNextFrame) {
    for (const HRESULT shortage : {E_OUTOFMEMORY, D3DERR_OUTOFVIDEOMEMORY}) {
        ControlHost host;
        CSurface& control = host.Control();
        host.Paint();
        IDirect3DDevice8* device = control.Renderer().Device();
        D3DRecorder recorder;
        recorder.WatchDevice(device);

        ASSERT_EQ(S_OK, host.Surface()->SetPointPerXY(150, 180));
        recorder.failOn = "CreateVertexBuffer(1288800,0,0x12,0)";
        recorder.failWith = shortage;
        EXPECT_EQ(shortage, control.Refresh());
        // The old strip is gone with its size, nothing half-made is kept, and
        // the device and the new grid stay.
        EXPECT_EQ(nullptr, control.Renderer().VertexBuffer());
        EXPECT_EQ(0u, control.Renderer().VertexCount());
        EXPECT_EQ(device, control.Renderer().Device());
        EXPECT_EQ(150u, control.Grid().CountX());
        host.Tick();  // a tick without a strip draws the background, and nothing breaks

        recorder.failOn.clear();
        EXPECT_EQ(S_OK, control.Refresh());
        EXPECT_EQ(53700u, control.Renderer().VertexCount());
        EXPECT_EQ(device, DeviceOfBuffer(control.Renderer().VertexBuffer()));
        EXPECT_FALSE(host.Read().AllBlack());
    }
}
