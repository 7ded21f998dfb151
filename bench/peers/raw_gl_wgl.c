/* The ceiling for a 32-bit Windows control: the raw OpenGL frame of
 * gl_scene.h drawn by a Windows program through WGL, into a 640 x 640 child
 * window of a top-level window as the control draws into its own, under the
 * same Wine and the same 32-bit Mesa driver.  Against the native program it
 * tells what the 32-bit driver and Wine's window path cost; against the
 * control, what its Direct3D path costs on top.
 *
 * Figures (BENCH lines):
 *   wgl_first_frame      main() to the first frame finished
 *   wgl_frame            one frame: clear, matrices, draw, swap, glFinish
 *   wgl_frame_pipelined  frames back to back, one glFinish per batch
 *
 * Usage: raw_gl_wgl.exe [frames=N] [batch=K] [child=0]
 * (child=0 draws into the top-level window itself) */
#include <windows.h>
#include <GL/gl.h>
#include <stddef.h>
#include <stdio.h>

#include "../reference/bench_stats.h"
#include "../reference/strip_ref.h"
#include "gl_scene.h"

typedef struct {
    HWND host;
    HWND child;
    HDC dc;
    HGLRC context;
} GlWindow;

static HWND make_window(const wchar_t* name, DWORD style, HWND parent, int width, int height)
{
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, name, name, style, 0, 0, width, height, parent, NULL, wc.hInstance,
                           NULL);
}

static int open_window(GlWindow* w, int child)
{
    PIXELFORMATDESCRIPTOR pfd;
    RECT outer = {0, 0, kSize, kSize};
    int format;
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    w->host = make_window(L"RawGlHost", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, NULL,
                          outer.right - outer.left, outer.bottom - outer.top);
    w->child = child ? make_window(L"RawGlChild", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, w->host,
                                   kSize, kSize)
                     : w->host;
    if (!w->host || !w->child)
        return 0;
    w->dc = GetDC(w->child);
    ZeroMemory(&pfd, sizeof(pfd));
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
    format = ChoosePixelFormat(w->dc, &pfd);
    if (!format || !SetPixelFormat(w->dc, format, &pfd))
        return 0;
    w->context = wglCreateContext(w->dc);
    return w->context && wglMakeCurrent(w->dc, w->context);
}

static void* load_gl(const char* name)
{
    return (void*)wglGetProcAddress(name);
}

static void draw_frame(GlWindow* w)
{
    draw_scene();
    SwapBuffers(w->dc);
}

int main(int argc, char** argv)
{
    const double start = bench_now_ms();
    const int frames = bench_arg_int(argc, argv, "frames", 50);
    const int batch = bench_arg_int(argc, argv, "batch", 10);
    double first;
    double* times;
    int i;
    GlWindow w;

    if (!open_window(&w, bench_arg_int(argc, argv, "child", 1))) {
        fprintf(stderr, "raw_gl_wgl: no OpenGL window\n");
        return 1;
    }
    fill_grid();
    build_shared_normals();
    set_light_and_material();
    set_projection();
    upload_strip(load_gl);
    glViewport(0, 0, kSize, kSize);
    draw_frame(&w);
    glFinish();
    first = bench_now_ms() - start;
    bench_report("wgl_first_frame", &first, 1);

    times = (double*)malloc(sizeof(double) * (size_t)(frames > 0 ? frames : 1));
    for (i = 0; i < 5; ++i) {
        draw_frame(&w);
        glFinish();
    }
    for (i = 0; i < frames; ++i) {
        const double t = bench_now_ms();
        draw_frame(&w);
        glFinish();
        times[i] = bench_now_ms() - t;
    }
    bench_report("wgl_frame", times, frames);
    for (i = 0; i < frames / batch; ++i) {
        const double t = bench_now_ms();
        int k;
        for (k = 0; k < batch; ++k)
            draw_frame(&w);
        glFinish();
        times[i] = (bench_now_ms() - t) / batch;
    }
    bench_report("wgl_frame_pipelined", times, frames / batch);
    free(times);
    /* The windows go with the process: without a window manager, taking a
     * shown window down costs about a second. */
    fflush(stdout);
    ExitProcess(0);
}
