// Times the renderer on the default 173 x 173 grid in a 640 x 640 control:
// the mesh rebuild, and one frame of the automatic rotation.  Prints medians.
//
//   bench_render.exe [frames] [points-per-side]
//   (at least 200 frames are timed; a side other than 173 shows how the
//   figures scale with the mesh)
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "control/surface.h"
#include "render/mesh.h"

namespace {

constexpr int kClientSize = 640;
constexpr int kMinFrames = 200;
constexpr int kRebuilds = 100;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Summary {
    double median, low, high;
};

Summary Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2.0;
    return {median, ms.front(), ms.back()};
}

void Print(const char* what, const std::vector<double>& ms) {
    const Summary s = Summarise(ms);
    std::printf("%-44s median %8.3f ms   min %8.3f   max %8.3f   (n = %zu)\n", what, s.median, s.low, s.high,
                ms.size());
}

template <typename Fn>
std::vector<double> TimeEach(int count, Fn fn) {
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double start = Now();
        fn();
        ms.push_back(Now() - start);
    }
    return ms;
}

HWND CreateHostWindow() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZorvelBenchHost";
    RegisterClassExW(&wc);
    RECT outer = {0, 0, kClientSize, kClientSize};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

int Run(int frames, int side) {
    HWND host = CreateHostWindow();
    if (!host) {
        std::fprintf(stderr, "no host window\n");
        return 1;
    }
    ISurface* surface = nullptr;
    if (FAILED(CSurface::CreateInstance(nullptr, IID_ISurface, reinterpret_cast<void**>(&surface)))) {
        std::fprintf(stderr, "no control\n");
        return 1;
    }
    CSurface* control = static_cast<CSurface*>(surface);
    const RECT position = {0, 0, kClientSize, kClientSize};
    if (FAILED(control->Renderer().CreateControlWindow(host, position))) {
        std::fprintf(stderr, "no control window\n");
        return 1;
    }

    if (side != 173 && surface->SetPointPerXY(side, side) != S_OK) {
        std::fprintf(stderr, "the control refuses %d x %d points\n", side, side);
        return 1;
    }
    const double paintStart = Now();
    RedrawWindow(control->Renderer().ControlWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const double firstPaint = Now() - paintStart;
    if (!control->Renderer().DeviceReady()) {
        std::fprintf(stderr, "the first paint did not set up the device\n");
        return 1;
    }

    // The sample script's surface, so that frames draw real slopes.
    const CSurfaceGrid* grid = &control->Grid();
    for (uint32_t row = 0; row < grid->CountY(); ++row)
        for (uint32_t col = 0; col < grid->CountX(); ++col) {
            const float x = grid->XValues()[col];
            const float y = grid->YValues()[row];
            surface->SetData(static_cast<LONG>(col), static_cast<LONG>(row), x, y,
                             10.0f * std::sin(x) * std::sin(y));
        }
    surface->Refresh();

    std::printf("grid %u x %u, %u vertices, control %d x %d\n", grid->CountX(), grid->CountY(),
                control->Renderer().VertexCount(), kClientSize, kClientSize);
    std::printf("%-44s %8.3f ms\n", "first paint (device, rebuild, frame)", firstPaint);

    // RebuildMesh as the first draw runs it: the grid is re-created, then the
    // strip is built into the locked buffer.
    Print("RebuildMesh (grid re-created + strip)", TimeEach(kRebuilds, [&] { control->Renderer().RebuildMesh(); }));
    // The strip alone, into plain memory: what the rebuild costs without the
    // device's lock.
    std::vector<SurfaceVertex> strip(zorvel::StripVertexCount(grid->View()));
    Print("strip fill into plain memory (no device)",
          TimeEach(kRebuilds, [&] { zorvel::BuildStrip(grid->View(), strip.data()); }));
    // Refresh's rebuild keeps the grid; time it on the sine surface.
    for (uint32_t row = 0; row < grid->CountY(); ++row)
        for (uint32_t col = 0; col < grid->CountX(); ++col)
            surface->SetData(static_cast<LONG>(col), static_cast<LONG>(row), grid->XValues()[col],
                             grid->YValues()[row], 10.0f * std::sin(grid->XValues()[col]) *
                                                       std::sin(grid->YValues()[row]));
    Print("Refresh (rebuild + frame + present)", TimeEach(kRebuilds, [&] { surface->Refresh(); }));

    // One tick of the rotation: the camera turns, RenderScene and PresentFrame.
    surface->put_XYRotate(1);
    Print("rotation frame (RenderScene + PresentFrame)",
          TimeEach(frames, [&] { control->Renderer().OnTimer(); }));
    std::vector<uint32_t> pixels;
    UINT width = 0, height = 0;
    // Present only queues the frame; reading it back waits until it is drawn.
    Print("rotation frame + read-back (frame finished)", TimeEach(frames / 4, [&] {
              control->Renderer().OnTimer();
              control->Renderer().ReadBackFrame(pixels, width, height);
          }));

    // Leave the shown window to the process's end: without a window manager
    // hiding it takes seconds.
    surface->Release();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : kMinFrames;
    frames = std::max(frames, kMinFrames);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int side = argc > 2 ? std::atoi(argv[2]) : 173;
    const int rc = Run(frames, side);
    CoUninitialize();
    return rc;
}
