// The yardstick for the control's frame: a plain Direct3D 8 program that
// does what the control does, under the same Wine, without the control.  A
// 640 x 640 child window of a top-level window; a windowed HAL device with
// one copy-swapped back buffer and a 16-bit depth buffer, software vertex
// processing; the same render states, material, light and matrices; the same
// 59,512-vertex strip (the reference strip of the sample's surface) in a
// default-pool buffer; each frame turns the camera by 2 degrees, clears,
// draws and presents.  Where a figure ends with a frame on screen, a
// one-pixel copy of the back buffer is read back, as the control's benchmark
// does, which waits until everything queued is drawn.
//
// Figures (BENCH lines):
//   d3d8_cold_main_to_frame   main() to the first frame on screen
//   d3d8_cold_device_to_frame device creation to the first frame on screen
//   d3d8_step_<name>          each step of the cold start, once
//   d3d8_frame                one frame, waited for
//   d3d8_frame_pipelined      frames back to back, one wait per batch
//
// Usage: d3d8_yardstick.exe [frames=N] [batch=K]
#include <windows.h>
#include <d3d8.h>
#include <float.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "../reference/bench_stats.h"
#include "../reference/strip_ref.h"

namespace {

constexpr int kClientSize = 640;
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

double g_stepStart;

// One cold-start step: the time since the previous one.
void Step(const char* name) {
    const double now = bench_now_ms();
    double ms = now - g_stepStart;
    char line[64];
    std::snprintf(line, sizeof(line), "d3d8_step_%s", name);
    bench_report(line, &ms, 1);
    g_stepStart = now;
}

HWND MakeWindow(const wchar_t* name, DWORD style, HWND parent, int width, int height) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, name, name, style, 0, 0, width, height, parent, nullptr, wc.hInstance,
                           nullptr);
}

D3DCOLORVALUE Colour(float r, float g, float b, float a) {
    return D3DCOLORVALUE{r, g, b, a};
}

D3DMATRIX Identity() {
    D3DMATRIX m = {};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// Left-handed look-at from the eye on its sphere (radius 50, elevation 45
// degrees) to the origin, z up.
D3DMATRIX View(float azimuthDegrees) {
    const double pi = 3.14159265358979323846;
    const double a = azimuthDegrees * pi / 180.0, e = 45.0 * pi / 180.0;
    const double eye[3] = {50.0 * std::cos(e) * std::cos(a), 50.0 * std::cos(e) * std::sin(a), 50.0 * std::sin(e)};
    double z[3] = {-eye[0], -eye[1], -eye[2]};
    double length = std::sqrt(z[0] * z[0] + z[1] * z[1] + z[2] * z[2]);
    for (double& v : z) v /= length;
    const double up[3] = {0.0, 0.0, 1.0};
    double x[3] = {up[1] * z[2] - up[2] * z[1], up[2] * z[0] - up[0] * z[2], up[0] * z[1] - up[1] * z[0]};
    length = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    for (double& v : x) v /= length;
    const double y[3] = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
    D3DMATRIX m = Identity();
    m._11 = static_cast<float>(x[0]); m._12 = static_cast<float>(y[0]); m._13 = static_cast<float>(z[0]);
    m._21 = static_cast<float>(x[1]); m._22 = static_cast<float>(y[1]); m._23 = static_cast<float>(z[1]);
    m._31 = static_cast<float>(x[2]); m._32 = static_cast<float>(y[2]); m._33 = static_cast<float>(z[2]);
    m._41 = static_cast<float>(-(x[0] * eye[0] + x[1] * eye[1] + x[2] * eye[2]));
    m._42 = static_cast<float>(-(y[0] * eye[0] + y[1] * eye[1] + y[2] * eye[2]));
    m._43 = static_cast<float>(-(z[0] * eye[0] + z[1] * eye[1] + z[2] * eye[2]));
    return m;
}

// Left-handed perspective: 45 degrees, aspect 1, near 1, far 100.
D3DMATRIX Projection() {
    const float yScale = 1.0f / std::tan(0.7853982f / 2.0f), nearZ = 1.0f, farZ = 100.0f;
    D3DMATRIX m = {};
    m._11 = yScale;
    m._22 = yScale;
    m._33 = farZ / (farZ - nearZ);
    m._34 = 1.0f;
    m._43 = -nearZ * farZ / (farZ - nearZ);
    return m;
}

struct Scene {
    IDirect3DDevice8* device = nullptr;
    IDirect3DVertexBuffer8* buffer = nullptr;
    IDirect3DSurface8* probe = nullptr;
    D3DMATERIAL8 material = {};
    D3DLIGHT8 light = {};
    float azimuth = 0.0f;

    // What the control does each frame: states, clear, matrices, the strip.
    void Draw() {
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        const D3DMATRIX world = Identity(), view = View(azimuth), projection = Projection();
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->BeginScene();
        device->SetMaterial(&material);
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        device->SetStreamSource(0, buffer, sizeof(Vertex));
        device->SetVertexShader(kFvf);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, kVertices - 2);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    void Tick() {
        azimuth -= 2.0f;
        Draw();
    }
    // Waits until everything queued is drawn.
    void Wait() {
        IDirect3DSurface8* back = nullptr;
        if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) return;
        const RECT pixel = {0, 0, 1, 1};
        const POINT origin = {0, 0};
        device->CopyRects(back, &pixel, 1, probe, &origin);
        back->Release();
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(probe->LockRect(&locked, nullptr, D3DLOCK_READONLY))) probe->UnlockRect();
    }
};

}  // namespace

int main(int argc, char** argv) {
    const double start = bench_now_ms();
    g_stepStart = start;
    const int frames = bench_arg_int(argc, argv, "frames", 40);
    const int batch = bench_arg_int(argc, argv, "batch", 10);

    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d) {
        std::fprintf(stderr, "d3d8_yardstick: no Direct3D 8\n");
        return 1;
    }
    Step("entry_object");
    RECT outer = {0, 0, kClientSize, kClientSize};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND host = MakeWindow(L"D3d8Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, nullptr,
                           outer.right - outer.left, outer.bottom - outer.top);
    HWND child = MakeWindow(L"D3d8Child", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, host, kClientSize, kClientSize);
    if (!host || !child) return 1;
    Step("window");

    const double deviceStart = bench_now_ms();
    D3DDISPLAYMODE mode = {};
    d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferFormat = mode.Format;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    Scene scene;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, child, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &pp, &scene.device))) {
        std::fprintf(stderr, "d3d8_yardstick: no device\n");
        return 1;
    }
    // The device leaves the x87 unit in single precision; the timing needs double.
    _controlfp(_PC_53, _MCW_PC);
    Step("device");

    scene.material.Diffuse = Colour(0.5f, 0.5f, 0.5f, 0.5f);
    scene.material.Specular = Colour(0.0f, 0.0f, 0.69f, 0.0f);
    scene.material.Emissive = Colour(0.18f, 0.30f, 0.41f, 0.0f);
    scene.material.Power = 0.5f;
    scene.light.Type = D3DLIGHT_DIRECTIONAL;
    scene.light.Diffuse = Colour(1.0f, 1.0f, 1.0f, 1.0f);
    scene.light.Specular = Colour(0.29f, 0.29f, 0.29f, 0.0f);
    scene.light.Ambient = Colour(0.0f, 0.30f, 0.0f, 0.0f);
    scene.light.Direction.z = -1.0f;
    Step("states");

    if (FAILED(scene.device->CreateVertexBuffer(kVertices * sizeof(Vertex), 0, kFvf, D3DPOOL_DEFAULT,
                                                &scene.buffer)))
        return 1;
    Step("buffer");
    fill_grid();
    BYTE* data = nullptr;
    if (FAILED(scene.buffer->Lock(0, 0, &data, 0))) return 1;
    build_per_vertex();
    std::memcpy(data, g_strip, sizeof(g_strip));
    scene.buffer->Unlock();
    Step("strip");

    scene.device->CreateImageSurface(1, 1, mode.Format, &scene.probe);
    scene.Draw();
    scene.Wait();
    Step("first_frame");
    double cold = bench_now_ms() - start;
    bench_report("d3d8_cold_main_to_frame", &cold, 1);
    cold = bench_now_ms() - deviceStart;
    bench_report("d3d8_cold_device_to_frame", &cold, 1);

    std::vector<double> times(static_cast<size_t>(frames > 0 ? frames : 1));
    for (int i = 0; i < 5; ++i) {
        scene.Tick();
        scene.Wait();
    }
    for (int i = 0; i < frames; ++i) {
        const double t = bench_now_ms();
        scene.Tick();
        scene.Wait();
        times[static_cast<size_t>(i)] = bench_now_ms() - t;
    }
    bench_report("d3d8_frame", times.data(), frames);
    for (int i = 0; i < frames / batch; ++i) {
        const double t = bench_now_ms();
        for (int k = 0; k < batch; ++k) scene.Tick();
        scene.Wait();
        times[static_cast<size_t>(i)] = (bench_now_ms() - t) / batch;
    }
    bench_report("d3d8_frame_pipelined", times.data(), frames / batch);
    std::fflush(stdout);
    // The windows go with the process: without a window manager, taking a
    // shown window down costs about a second.
    ExitProcess(0);
}
