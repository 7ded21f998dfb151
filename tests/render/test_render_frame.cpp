// The frames the control draws: what the picture shows, when a new one is
// drawn, and which failures stop a frame and which it goes past.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render_support.h"

using render_test::ControlHost;
using render_test::D3DRecorder;
using render_test::Frame;

namespace {

const std::vector<std::string> kFrame = {
    "SetRenderState(22,1)", "Clear(0,0,3,0x00000000,1,0)", "SetTransform(256)", "SetTransform(2)",
    "SetTransform(3)",      "BeginScene",                  "SetMaterial",       "SetLight(0)",
    "LightEnable(0,1)",     "SetRenderState(137,1)",       "SetRenderState(29,1)",
    "SetRenderState(8,3)",  "SetStreamSource(0,24)",       "SetVertexShader(0x12)",
    "DrawPrimitive(5,0,59510)", "EndScene",
};

std::vector<std::string> FramePrefix(size_t count, bool closed) {
    std::vector<std::string> calls(kFrame.begin(), kFrame.begin() + count);
    if (closed) calls.push_back("EndScene");
    return calls;
}

int Channel(float value) {
    return static_cast<int>(std::lround(std::min(1.0f, std::max(0.0f, value)) * 255.0f));
}

// The fixed-function colour of a point of the flat surface at the origin, from
// the material and the light the control uses: emissive, plus diffuse under a
// light straight down on a normal straight up, plus the specular highlight
// towards the eye.
uint32_t FlatSurfaceColourAtOrigin(const D3DXVECTOR3& eye) {
    const float length = std::sqrt(eye.x * eye.x + eye.y * eye.y + eye.z * eye.z);
    const D3DXVECTOR3 half(eye.x / length, eye.y / length, eye.z / length + 1.0f);
    const float halfLength = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
    const float specular = std::pow(half.z / halfLength, 0.5f);
    const float r = 0.18f + 0.5f;
    const float g = 0.30f + 0.5f;
    const float b = 0.41f + 0.5f + 0.69f * 0.29f * specular;
    return (Channel(r) << 16) | (Channel(g) << 8) | Channel(b);
}

struct Box {
    UINT left = UINT_MAX, top = UINT_MAX, right = 0, bottom = 0;
};

Box LitBox(const Frame& frame) {
    Box box;
    for (UINT y = 0; y < frame.height; ++y)
        for (UINT x = 0; x < frame.width; ++x)
            if (frame.At(x, y) != 0) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

// A ramp along y, heights(ix, iy) = iy / 4 over x, y -10..10, drawn at once.
void SetRamp(ControlHost& host) {
    zorvel::ComPtr<ISurface2> plot;
    ASSERT_EQ(S_OK, host.Surface()->QueryInterface(IID_ISurface2, plot.put_void()));
    SAFEARRAYBOUND bounds[2] = {{20, 0}, {20, 0}};
    VARIANT heights, missing;
    VariantInit(&heights);
    VariantInit(&missing);
    heights.vt = VT_ARRAY | VT_R8;
    heights.parray = SafeArrayCreate(VT_R8, 2, bounds);
    double* data = nullptr;
    SafeArrayAccessData(heights.parray, reinterpret_cast<void**>(&data));
    for (int i = 0; i < 400; ++i) data[i] = (i / 20) / 4.0;
    SafeArrayUnaccessData(heights.parray);
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(S_OK, plot->SetGrid(heights, missing, missing, missing, missing));
    VariantClear(&heights);
}

// Pixels of the colour within `reach` pixels of (x, y).
size_t CountNear(const Frame& frame, float x, float y, int reach, uint32_t colour) {
    size_t count = 0;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const long px = std::lround(x) + dx, py = std::lround(y) + dy;
            if (px >= 0 && py >= 0 && px < static_cast<long>(frame.width) && py < static_cast<long>(frame.height))
                count += frame.At(static_cast<UINT>(px), static_cast<UINT>(py)) == colour;
        }
    return count;
}

constexpr uint32_t kAxisLine = 0x00B4B4B4;
constexpr uint32_t kWhite = 0x00FFFFFF;

}  // namespace

TEST(RenderFrame, FlatSurfaceIsLitAtTheCentreOnABlackBackground) {
    ControlHost host;
    host.Paint();
    const Frame frame = host.Read();
    ASSERT_EQ(256u, frame.width);
    ASSERT_EQ(256u, frame.height);

    EXPECT_EQ(0u, frame.At(0, 0));
    EXPECT_EQ(0u, frame.At(255, 0));
    EXPECT_EQ(0u, frame.At(0, 255));
    EXPECT_EQ(0u, frame.At(255, 255));

    const uint32_t expected = FlatSurfaceColourAtOrigin(host.Control().Renderer().Eye());
    for (UINT y = 120; y <= 136; y += 8)
        for (UINT x = 120; x <= 136; x += 8) {
            const uint32_t actual = frame.At(x, y);
            EXPECT_NEAR(render_test::Red(expected), render_test::Red(actual), 4) << x << "," << y;
            EXPECT_NEAR(render_test::Green(expected), render_test::Green(actual), 4) << x << "," << y;
            EXPECT_NEAR(render_test::Blue(expected), render_test::Blue(actual), 4) << x << "," << y;
        }
}

TEST(RenderFrame, TimerTickDrawsOnlyWhileARotationIsOn) {
    ControlHost host;
    host.Paint();
    const Frame first = host.Read();
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());

    host.Tick();
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(first.pixels, host.Read().pixels);
    EXPECT_FLOAT_EQ(0.0f, host.Control().Renderer().Azimuth());
    EXPECT_FLOAT_EQ(45.0f, host.Control().Renderer().Elevation());

    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(1));
    EXPECT_TRUE(recorder.calls.empty());  // switching it on draws nothing by itself
    host.Tick();
    std::vector<std::string> frameAndPresent = kFrame;
    frameAndPresent.push_back("Present(0,0,0,0)");
    EXPECT_EQ(frameAndPresent, recorder.calls);
    EXPECT_FLOAT_EQ(-2.0f, host.Control().Renderer().Azimuth());
    const Frame turned = host.Read();
    EXPECT_NE(first.pixels, turned.pixels);

    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(0));
    ASSERT_EQ(S_OK, host.Surface()->put_ZRotate(1));
    host.Tick();
    EXPECT_FLOAT_EQ(-2.0f, host.Control().Renderer().Azimuth());
    EXPECT_FLOAT_EQ(43.0f, host.Control().Renderer().Elevation());
    EXPECT_NE(turned.pixels, host.Read().pixels);

    // Any timer identifier turns the camera.
    SendMessageW(host.Window(), WM_TIMER, 7, 0);
    EXPECT_FLOAT_EQ(41.0f, host.Control().Renderer().Elevation());
}

TEST(RenderFrame, HeightsReachThePictureOnlyThroughRefresh) {
    ControlHost host;
    host.Paint();
    const Frame flat = host.Read();
    const CSurfaceGrid* grid = &host.Control().Grid();
    ASSERT_NE(nullptr, grid);
    ASSERT_TRUE(grid->HasArrays());
    for (LONG row = 70; row < 100; ++row)
        for (LONG col = 70; col < 100; ++col)
            ASSERT_EQ(S_OK, host.Surface()->SetData(col, row, grid->XValues()[col], grid->YValues()[row], 6.0f));

    // A redraw from the same eye still shows the flat strip.
    ASSERT_EQ(S_OK, host.Surface()->put_Radius(50.0f));
    EXPECT_EQ(flat.pixels, host.Read().pixels);
    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(1));
    host.Tick();
    const Frame turnedFlat = host.Read();

    ASSERT_EQ(S_OK, host.Surface()->Refresh());
    const Frame raised = host.Read();
    EXPECT_NE(turnedFlat.pixels, raised.pixels);
    // The raised block keeps its heights: a rebuild through Refresh does not reset the grid.
    EXPECT_EQ(6.0f, grid->Heights()[80 + 80 * grid->CountX()]);
}

TEST(RenderFrame, RadiusDrawsAtOnceAndMovesTheCameraAway) {
    ControlHost host;
    host.Paint();
    const size_t litAt50 = host.Read().CountNonBlack();
    ASSERT_GT(litAt50, 0u);
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());

    ASSERT_EQ(S_OK, host.Surface()->put_Radius(80.0f));
    std::vector<std::string> frameAndPresent = kFrame;
    frameAndPresent.push_back("Present(0,0,0,0)");
    EXPECT_EQ(frameAndPresent, recorder.calls);
    const size_t litAt80 = host.Read().CountNonBlack();
    EXPECT_GT(litAt80, 0u);
    EXPECT_LT(litAt80, litAt50);

    // Values not above 0 change nothing and draw nothing.
    recorder.calls.clear();
    const Frame before = host.Read();
    EXPECT_EQ(S_OK, host.Surface()->put_Radius(0.0f));
    EXPECT_EQ(S_OK, host.Surface()->put_Radius(-5.0f));
    EXPECT_EQ(S_OK, host.Surface()->put_Radius(std::nanf("")));
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(before.pixels, host.Read().pixels);
}

TEST(RenderFrame, PictureIsStretchedToTheWindowWithoutNewObjects) {
    ControlHost square(200, 200);
    square.Paint();
    const Box s = LitBox(square.Read());
    ControlHost wide(400, 200);
    wide.Paint();
    const Box w = LitBox(wide.Read());
    ASSERT_LT(s.left, s.right);
    ASSERT_LT(w.left, w.right);
    // The aspect ratio stays 1: twice the width, the same height.
    const double squareRatio = double(s.right - s.left) / double(s.bottom - s.top);
    const double wideRatio = double(w.right - w.left) / double(w.bottom - w.top);
    EXPECT_NEAR(2.0, wideRatio / squareRatio, 0.1);

    // Resizing keeps the device and its back buffer; the present scales it.
    IDirect3DDevice8* device = square.Control().Renderer().Device();
    D3DRecorder recorder;
    recorder.WatchDevice(device);
    MoveWindow(square.Window(), 0, 0, 300, 150, TRUE);
    square.Paint();
    EXPECT_EQ(device, square.Control().Renderer().Device());
    EXPECT_EQ((std::vector<std::string>{"Present(0,0,0,0)"}), recorder.calls);
    const Frame after = square.Read();
    EXPECT_EQ(200u, after.width);
    EXPECT_EQ(200u, after.height);
}

// --- Failures inside a frame ---

struct FrameFault {
    const char* failing;
    HRESULT result;
    std::vector<std::string> calls;
};

TEST(RenderFrame, FailingStepsStopOrAreIgnoredAndTheSceneIsAlwaysClosed) {
    const FrameFault faults[] = {
        {"SetRenderState(22,1)", render_test::kInjected, FramePrefix(1, false)},
        {"Clear(0,0,3,0x00000000,1,0)", render_test::kInjected, FramePrefix(2, false)},
        {"SetTransform(256)", S_OK, kFrame},
        {"SetTransform(2)", S_OK, kFrame},
        {"SetTransform(3)", render_test::kInjected, FramePrefix(5, false)},
        {"BeginScene", render_test::kInjected, FramePrefix(6, false)},
        {"SetMaterial", render_test::kInjected, FramePrefix(7, true)},
        {"SetLight(0)", render_test::kInjected, FramePrefix(8, true)},
        {"LightEnable(0,1)", render_test::kInjected, FramePrefix(9, true)},
        {"SetRenderState(137,1)", render_test::kInjected, FramePrefix(10, true)},
        {"SetRenderState(29,1)", render_test::kInjected, FramePrefix(11, true)},
        {"SetRenderState(8,3)", S_OK, kFrame},
        {"SetStreamSource(0,24)", render_test::kInjected, FramePrefix(13, true)},
        {"SetVertexShader(0x12)", render_test::kInjected, FramePrefix(14, true)},
        {"DrawPrimitive(5,0,59510)", render_test::kInjected, FramePrefix(15, true)},
        {"EndScene", render_test::kInjected, kFrame},
    };
    ControlHost host;
    host.Paint();
    ASSERT_NE(nullptr, host.Control().Renderer().Device());
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());

    for (const FrameFault& fault : faults) {
        recorder.calls.clear();
        recorder.failOn = fault.failing;
        EXPECT_EQ(fault.result, host.Control().Renderer().RenderScene(FALSE)) << fault.failing;
        EXPECT_EQ(fault.calls, recorder.calls) << fault.failing;
        // The device is still usable: no scene was left open.
        recorder.failOn.clear();
        EXPECT_EQ(S_OK, host.Control().Renderer().RenderScene(FALSE)) << "after " << fault.failing;
    }
}

TEST(RenderFrame, RefreshAndPresentPassFailuresOn) {
    ControlHost host;
    host.Paint();
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());

    recorder.failOn = "Present(0,0,0,0)";
    EXPECT_EQ(render_test::kInjected, host.Control().Renderer().PresentFrame());
    EXPECT_EQ(render_test::kInjected, host.Control().Refresh());
    EXPECT_EQ(S_OK, host.Control().Renderer().Paint());  // a paint ignores it

    recorder.failOn = "Clear(0,0,3,0x00000000,1,0)";
    recorder.calls.clear();
    EXPECT_EQ(render_test::kInjected, host.Control().Refresh());
    EXPECT_EQ(render_test::kInjected, host.Control().Renderer().RenderAndPresent());
    EXPECT_EQ(0, std::count(recorder.calls.begin(), recorder.calls.end(), "Present(0,0,0,0)"));

    // A tick or a radius change drops the failure and keeps the new camera.
    ASSERT_EQ(S_OK, host.Surface()->put_XYRotate(1));
    host.Tick();
    EXPECT_FLOAT_EQ(-2.0f, host.Control().Renderer().Azimuth());
    EXPECT_EQ(S_OK, host.Surface()->put_Radius(60.0f));
    float radius = 0;
    EXPECT_EQ(S_OK, host.Surface()->get_Radius(&radius));
    EXPECT_EQ(60.0f, radius);
}

TEST(RenderFrame, FailedBufferCreationLeavesNoBufferAndFramesShowTheBackground) {
    ControlHost host;
    host.Paint();
    D3DRecorder recorder;
    recorder.WatchDevice(host.Control().Renderer().Device());
    ASSERT_EQ(S_OK, host.Surface()->SetPointPerXY(100, 100));

    recorder.failOn = "CreateVertexBuffer(475200,0,0x12,0)";
    EXPECT_EQ(render_test::kInjected, host.Control().Refresh());
    EXPECT_EQ((std::vector<std::string>{"SetRenderState(22,1)", "CreateVertexBuffer(475200,0,0x12,0)"}),
              recorder.calls);
    EXPECT_EQ(0u, host.Control().Renderer().VertexCount());
    EXPECT_EQ(nullptr, host.Control().Renderer().VertexBuffer());

    recorder.failOn.clear();
    recorder.calls.clear();
    EXPECT_EQ(S_OK, host.Control().Renderer().RenderScene(FALSE));
    EXPECT_EQ(0, std::count(recorder.calls.begin(), recorder.calls.end(), "SetStreamSource(0,24)"));
    EXPECT_EQ(S_OK, host.Control().Renderer().PresentFrame());
    EXPECT_TRUE(host.Read().AllBlack());

    // The next Refresh makes the buffer.
    EXPECT_EQ(S_OK, host.Control().Refresh());
    EXPECT_EQ(19800u, host.Control().Renderer().VertexCount());
    EXPECT_FALSE(host.Read().AllBlack());
}

// The box's edges on a face turned to the eye are drawn over everything; the
// others only where the surface does not hide them.  Every y number sits at
// its tick; switched off again, the frame is the frame of before.
TEST(RenderFrame, AxesFrameTheSurfaceAndLeaveNoTrace) {
    ControlHost host;
    host.Paint();
    SetRamp(host);
    const Frame before = host.Read();
    zorvel::ComPtr<ISurface2> plot;
    ASSERT_EQ(S_OK, host.Surface()->QueryInterface(IID_ISurface2, plot.put_void()));
    ASSERT_EQ(S_OK, plot->put_ShowAxes(VARIANT_TRUE));
    const Frame with = host.Read();
    ASSERT_NE(before.pixels, with.pixels);

    zorvel::AxesLayout layout;
    const zorvel::Renderer& renderer = host.Control().Renderer();
    ASSERT_TRUE(renderer.LayOutAxesFor(256, 256, &layout));
    const zorvel::ScreenProjection projection(renderer.Eye(), 256.0f, 256.0f);
    for (int i = 0; i < layout.nearCount; ++i) {
        const zorvel::AxisSegment& edge = layout.nearEdges[i];
        for (float t : {0.25f, 0.5f, 0.75f}) {
            float x, y;
            ASSERT_TRUE(projection.Project(D3DXVECTOR3(edge.from.x + (edge.to.x - edge.from.x) * t,
                                                       edge.from.y + (edge.to.y - edge.from.y) * t,
                                                       edge.from.z + (edge.to.z - edge.from.z) * t),
                                           &x, &y));
            EXPECT_GT(CountNear(with, x, y, 1, kAxisLine), 0u) << "near edge " << i << " at " << t;
        }
    }
    // The back left upright (x -10, y 10) runs down behind the ramp's high
    // side; its lower half is hidden.
    for (float z : {0.5f, 1.0f, 1.5f, 2.0f}) {
        float x, y;
        ASSERT_TRUE(projection.Project(D3DXVECTOR3(-10.0f, 10.0f, z), &x, &y));
        EXPECT_EQ(0u, CountNear(with, x, y, 1, kAxisLine)) << "hidden edge at height " << z;
    }
    // The heights 0 .. 4.75: 0 to 4 in ones; x and y -10 to 10 in fives.
    EXPECT_EQ((std::vector<std::wstring>{L"0", L"1", L"2", L"3", L"4"}), renderer.AxisNumbers(2));
    EXPECT_EQ((std::vector<std::wstring>{L"-10", L"-5", L"0", L"5", L"10"}), renderer.AxisNumbers(1));
    ASSERT_EQ(5, layout.ticks[1].count);
    for (int i = 0; i < 5; ++i) {
        const zorvel::LabelSpot& spot = layout.numbers[1][i];
        ASSERT_TRUE(spot.visible);
        // White letters just past the spot, and none before it on the tick's side.
        EXPECT_GT(CountNear(with, spot.x + spot.dx * 6.0f, spot.y + spot.dy * 6.0f, 5, kWhite), 0u) << i;
        EXPECT_EQ(0u, CountNear(before, spot.x + spot.dx * 6.0f, spot.y + spot.dy * 6.0f, 5, kWhite)) << i;
    }

    ASSERT_EQ(S_OK, plot->put_ShowAxes(VARIANT_FALSE));
    EXPECT_EQ(before.pixels, host.Read().pixels);
}
