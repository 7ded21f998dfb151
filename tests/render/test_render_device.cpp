// The device's life in the control: nothing before the window's first paint,
// everything on it, nothing new afterwards, and a teardown in a fixed order.
#include <gtest/gtest.h>

#include "render_support.h"

using render_test::ControlHost;
using render_test::D3DRecorder;
using render_test::ImportHook;

namespace {

const std::vector<std::string> kRebuildFrame = {
    "SetRenderState(22,1)",
    "Clear(0,0,3,0x00000000,1,0)",
    "SetTransform(256)",
    "SetTransform(2)",
    "SetTransform(3)",
    "BeginScene",
    "SetMaterial",
    "SetLight(0)",
    "LightEnable(0,1)",
    "SetRenderState(137,1)",
    "SetRenderState(29,1)",
    "SetRenderState(8,3)",
    "SetStreamSource(0,24)",
    "SetVertexShader(0x12)",
    "DrawPrimitive(5,0,59510)",
    "EndScene",
};

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace

TEST(RenderDevice, ControlNeverShownCreatesNothing) {
    CSurface* control = render_test::NewControl();
    ASSERT_NE(nullptr, control);

    EXPECT_EQ(S_OK, control->Renderer().Paint());  // no window: nothing is drawn or set up
    EXPECT_EQ(nullptr, control->Renderer().Device());
    EXPECT_EQ(0u, control->Renderer().TimerId());
    EXPECT_FALSE(control->Renderer().DeviceReady());
    EXPECT_EQ(E_FAIL, control->Refresh());
    EXPECT_EQ(E_FAIL, control->Renderer().RenderScene(FALSE));
    EXPECT_EQ(E_FAIL, control->Renderer().PresentFrame());
    EXPECT_EQ(E_FAIL, control->Renderer().RenderAndPresent());

    // The radius is kept and its redraw fails quietly.
    EXPECT_EQ(S_OK, control->put_Radius(80.0f));
    EXPECT_FLOAT_EQ(56.568542f, control->Renderer().Eye().x);
    EXPECT_EQ(nullptr, control->Renderer().Device());

    std::vector<uint32_t> pixels = {1, 2, 3};
    UINT width = 7, height = 7;
    EXPECT_EQ(E_FAIL, control->Renderer().ReadBackFrame(pixels, width, height));
    EXPECT_TRUE(pixels.empty());
    EXPECT_EQ(0u, width);
    EXPECT_EQ(0u, height);
    EXPECT_EQ(0u, static_cast<ISurface*>(control)->Release());
}

TEST(RenderDevice, FirstPaintCreatesDeviceMeshFrameAndTimer) {
    ControlHost host;
    ASSERT_TRUE(host.Created());
    CSurface& control = host.Control();
    D3DRecorder recorder;
    recorder.WatchD3D(render_test::Direct3DOf(control));

    host.Paint();

    ASSERT_NE(nullptr, control.Renderer().Device());
    EXPECT_TRUE(control.Renderer().DeviceReady());
    EXPECT_EQ(1u, control.Renderer().TimerId());
    // The grid was never sized: the first rebuild makes it 173 x 173.
    EXPECT_EQ(173u, control.Grid().CountX());
    EXPECT_EQ(173u, control.Grid().CountY());
    EXPECT_EQ(59512u, control.Renderer().VertexCount());

    // Device, buffer, one frame with the rebuild and its one present.
    EXPECT_EQ(Concat({{"GetAdapterDisplayMode(0)", "CreateDevice(0,1,0x20)",
                       "SetRenderState(22,1)", "CreateVertexBuffer(1428288,0,0x12,0)"},
                      std::vector<std::string>(kRebuildFrame.begin() + 1, kRebuildFrame.end()),
                      {"Present(0,0,0,0)"}}),
              recorder.calls);
    EXPECT_EQ(host.Window(), recorder.createWindow);

    const D3DPRESENT_PARAMETERS& pp = recorder.createParams;
    EXPECT_EQ(0u, pp.BackBufferWidth);
    EXPECT_EQ(0u, pp.BackBufferHeight);
    D3DDISPLAYMODE mode = {};
    ASSERT_EQ(S_OK, render_test::Direct3DOf(control)->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
    EXPECT_EQ(mode.Format, pp.BackBufferFormat);
    EXPECT_EQ(0u, pp.BackBufferCount);
    EXPECT_EQ(D3DMULTISAMPLE_NONE, pp.MultiSampleType);
    EXPECT_EQ(D3DSWAPEFFECT_COPY, pp.SwapEffect);
    EXPECT_EQ(nullptr, pp.hDeviceWindow);
    EXPECT_TRUE(pp.Windowed);
    EXPECT_TRUE(pp.EnableAutoDepthStencil);
    EXPECT_EQ(D3DFMT_D16, pp.AutoDepthStencilFormat);
    EXPECT_EQ(0u, pp.Flags);
    EXPECT_EQ(0u, pp.FullScreen_RefreshRateInHz);
    EXPECT_EQ(0u, pp.FullScreen_PresentationInterval);

    // The paint was answered: nothing is left to paint.
    EXPECT_FALSE(GetUpdateRect(host.Window(), nullptr, FALSE));
    // Timer 1 runs on the control's window.
    EXPECT_TRUE(render_test::WaitForTimerMessage(host.Window(), 1, 2000));
}

TEST(RenderDevice, FrameHandsMaterialLightAndIdentityWorldToTheDevice) {
    ControlHost host;
    host.Paint();
    ASSERT_NE(nullptr, host.Control().Renderer().Device());
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());

    ASSERT_EQ(S_OK, host.Control().Renderer().RenderScene(FALSE));

    // An ordinary frame is the rebuild frame without the rebuild.
    EXPECT_EQ(kRebuildFrame, recorder.calls);
    const D3DMATERIAL8& m = recorder.material;
    EXPECT_EQ((std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f}),
              (std::vector<float>{m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a}));
    EXPECT_EQ((std::vector<float>{0, 0, 0, 0}),
              (std::vector<float>{m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a}));
    EXPECT_EQ((std::vector<float>{0, 0, 0.69f, 0}),
              (std::vector<float>{m.Specular.r, m.Specular.g, m.Specular.b, m.Specular.a}));
    EXPECT_EQ((std::vector<float>{0.18f, 0.30f, 0.41f, 0}),
              (std::vector<float>{m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a}));
    EXPECT_EQ(0.5f, m.Power);

    const D3DLIGHT8& l = recorder.light;
    EXPECT_EQ(D3DLIGHT_DIRECTIONAL, l.Type);
    EXPECT_EQ((std::vector<float>{1, 1, 1, 1}),
              (std::vector<float>{l.Diffuse.r, l.Diffuse.g, l.Diffuse.b, l.Diffuse.a}));
    EXPECT_EQ((std::vector<float>{0.29f, 0.29f, 0.29f, 0}),
              (std::vector<float>{l.Specular.r, l.Specular.g, l.Specular.b, l.Specular.a}));
    EXPECT_EQ((std::vector<float>{0, 0.30f, 0, 0}),
              (std::vector<float>{l.Ambient.r, l.Ambient.g, l.Ambient.b, l.Ambient.a}));
    EXPECT_EQ((std::vector<float>{0, 0, -1}),
              (std::vector<float>{l.Direction.x, l.Direction.y, l.Direction.z}));
    EXPECT_EQ((std::vector<float>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
              (std::vector<float>{l.Position.x, l.Position.y, l.Position.z, l.Range, l.Falloff,
                                  l.Attenuation0, l.Attenuation1, l.Attenuation2, l.Theta, l.Phi}));

    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(r == c ? 1.0f : 0.0f, recorder.world.m[r][c]) << r << c;
    EXPECT_EQ(host.Control().Renderer().VertexBuffer(), recorder.streamBuffer);
}

TEST(RenderDevice, LaterPaintsOnlyPresentAgain) {
    ControlHost host;
    host.Paint();
    IDirect3DDevice8* device = host.Control().Renderer().Device();
    ASSERT_NE(nullptr, device);
    IDirect3DVertexBuffer8* buffer = host.Control().Renderer().VertexBuffer();
    const render_test::Frame before = host.Read();
    D3DRecorder recorder;
    recorder.WatchDevice(device);

    host.Paint();
    host.Paint();

    EXPECT_EQ(device, host.Control().Renderer().Device());
    EXPECT_EQ(buffer, host.Control().Renderer().VertexBuffer());
    EXPECT_EQ((std::vector<std::string>{"Present(0,0,0,0)", "Present(0,0,0,0)"}), recorder.calls);
    EXPECT_EQ(before.pixels, host.Read().pixels);
}

TEST(RenderDevice, RebuildWithSameDimensionsRefillsTheSameBuffer) {
    ControlHost host;
    host.Paint();
    IDirect3DVertexBuffer8* buffer = host.Control().Renderer().VertexBuffer();
    ASSERT_NE(nullptr, buffer);
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());

    EXPECT_EQ(S_OK, host.Control().Refresh());
    EXPECT_EQ(S_OK, host.Control().Refresh());

    EXPECT_EQ(buffer, host.Control().Renderer().VertexBuffer());
    EXPECT_EQ(59512u, host.Control().Renderer().VertexCount());
    EXPECT_EQ(Concat({kRebuildFrame, {"Present(0,0,0,0)"}, kRebuildFrame, {"Present(0,0,0,0)"}}),
              recorder.calls);

    // New dimensions replace the buffer.
    EXPECT_EQ(S_OK, host.Surface()->SetPointPerXY(10, 20));
    recorder.calls.clear();
    EXPECT_EQ(S_OK, host.Control().Refresh());
    EXPECT_EQ(2u * 10u * 19u, host.Control().Renderer().VertexCount());
    ASSERT_GE(recorder.calls.size(), 2u);
    EXPECT_EQ("CreateVertexBuffer(9120,0,0x12,0)", recorder.calls[1]);
    EXPECT_EQ(host.Control().Renderer().VertexBuffer(), recorder.streamBuffer);
}

// --- Teardown ---

namespace {

D3DRecorder* g_timerLog = nullptr;
void* g_realKillTimer = nullptr;

BOOL WINAPI RecordKillTimer(HWND window, UINT_PTR id) {
    if (g_timerLog) {
        char text[64];
        snprintf(text, sizeof(text), "KillTimer(%s,%u)", IsWindow(window) ? "window" : "gone",
                 static_cast<unsigned>(id));
        g_timerLog->calls.push_back(text);
    }
    return reinterpret_cast<BOOL(WINAPI*)(HWND, UINT_PTR)>(g_realKillTimer)(window, id);
}

}  // namespace

TEST(RenderDevice, TeardownReleasesBufferDeviceAndEntryObjectThenKillsTheTimer) {
    ControlHost host;
    CSurface& control = host.Control();
    // An entry object of its own, so that the control's release is its last.
    render_test::TakeDirect3D(control)->Release();
    render_test::GiveDirect3D(control, Direct3DCreate8(D3D_SDK_VERSION));
    ASSERT_NE(nullptr, render_test::Direct3DOf(control));
    host.Paint();
    ASSERT_NE(nullptr, control.Renderer().VertexBuffer());
    ASSERT_EQ(1u, control.Renderer().TimerId());

    D3DRecorder recorder;
    recorder.WatchD3D(render_test::Direct3DOf(control));
    recorder.WatchDevice(control.Renderer().Device());
    recorder.WatchBuffer(control.Renderer().VertexBuffer());
    ImportHook hook(L"user32.dll", "KillTimer", reinterpret_cast<void*>(&RecordKillTimer));
    ASSERT_TRUE(hook.Installed());
    g_realKillTimer = hook.Original();
    g_timerLog = &recorder;
    const HWND window = host.Window();

    host.ReleaseControl();
    g_timerLog = nullptr;

    EXPECT_EQ((std::vector<std::string>{"buffer destroyed", "device destroyed", "d3d destroyed",
                                        "KillTimer(window,1)"}),
              recorder.calls);
    EXPECT_FALSE(IsWindow(window));
}
