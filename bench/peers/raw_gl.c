/* The hardware ceiling: the same frame as the control's, drawn with plain
 * OpenGL through GLX on the same X server and the same Mesa driver.  A
 * 640 x 640 double-buffered window with a depth buffer; the reference strip
 * (59,512 vertices with per-vertex normals) in one vertex buffer object; one
 * directional light straight down, the control's material and light colours,
 * specular on, culling off; perspective of 45 degrees, near 1, far 100; the
 * eye on a sphere of radius 50 at 45 degrees elevation, turned by 2 degrees
 * each frame.
 *
 * Figures (BENCH lines):
 *   raw_gl_first_frame      main() to the first frame finished (window,
 *                           context, strip build, upload, draw, swap, finish)
 *   raw_gl_frame            one frame: clear, matrices, draw, swap, glFinish
 *   raw_gl_frame_pipelined  frames back to back, one glFinish per batch,
 *                           per frame
 *
 * Usage: raw_gl [frames=N] [batch=K] [dump=1]   (dump writes raw_gl.ppm) */
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../reference/bench_stats.h"
#include "../reference/strip_ref.h"
#include "gl_scene.h"


typedef struct {
    Display* display;
    Window window;
    GLXContext context;
} GlWindow;

static int open_window(GlWindow* w)
{
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                        GLX_BLUE_SIZE, 8, GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* visual;
    XSetWindowAttributes swa;
    XEvent event;
    w->display = XOpenDisplay(NULL);
    if (!w->display) {
        fprintf(stderr, "raw_gl: no X display\n");
        return 0;
    }
    visual = glXChooseVisual(w->display, DefaultScreen(w->display), attributes);
    if (!visual) {
        fprintf(stderr, "raw_gl: no double-buffered RGBA visual with depth\n");
        return 0;
    }
    memset(&swa, 0, sizeof(swa));
    swa.colormap = XCreateColormap(w->display, RootWindow(w->display, visual->screen),
                                   visual->visual, AllocNone);
    swa.event_mask = StructureNotifyMask;
    w->window = XCreateWindow(w->display, RootWindow(w->display, visual->screen), 0, 0, kSize,
                              kSize, 0, visual->depth, InputOutput, visual->visual,
                              CWColormap | CWEventMask, &swa);
    XMapWindow(w->display, w->window);
    do
        XNextEvent(w->display, &event);
    while (event.type != MapNotify);
    w->context = glXCreateContext(w->display, visual, NULL, True);
    XFree(visual);
    if (!w->context || !glXMakeCurrent(w->display, w->window, w->context)) {
        fprintf(stderr, "raw_gl: no GL context\n");
        return 0;
    }
    return 1;
}

/* One more frame read back from the back buffer, to see what is drawn. */
static void draw_frame(GlWindow* w)
{
    draw_scene();
    glXSwapBuffers(w->display, w->window);
}

static void* load_gl(const char* name)
{
    return (void*)glXGetProcAddressARB((const GLubyte*)name);
}

static void dump_frame(void)
{
    unsigned char* pixels = (unsigned char*)malloc(kSize * kSize * 3);
    FILE* f = fopen("raw_gl.ppm", "wb");
    int row;
    draw_scene();
    glFinish();
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    if (f) {
        fprintf(f, "P6\n%d %d\n255\n", kSize, kSize);
        for (row = kSize - 1; row >= 0; --row)
            fwrite(pixels + row * kSize * 3, 1, kSize * 3, f);
        fclose(f);
    }
    free(pixels);
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

    if (!open_window(&w))
        return 1;
    fill_grid();
    build_shared_normals();
    set_light_and_material();
    set_projection();
    upload_strip(load_gl);
    glViewport(0, 0, kSize, kSize);
    draw_frame(&w);
    glFinish();
    first = bench_now_ms() - start;
    bench_report("raw_gl_first_frame", &first, 1);
    if (bench_arg_int(argc, argv, "dump", 0))
        dump_frame();

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
    bench_report("raw_gl_frame", times, frames);

    for (i = 0; i < frames / batch; ++i) {
        const double t = bench_now_ms();
        int k;
        for (k = 0; k < batch; ++k)
            draw_frame(&w);
        glFinish();
        times[i] = (bench_now_ms() - t) / batch;
    }
    bench_report("raw_gl_frame_pipelined", times, frames / batch);
    free(times);
    glXMakeCurrent(w.display, None, NULL);
    glXDestroyContext(w.display, w.context);
    XDestroyWindow(w.display, w.window);
    XCloseDisplay(w.display);
    return 0;
}
