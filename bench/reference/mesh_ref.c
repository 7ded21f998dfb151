/* The tight C loop that the control's mesh rebuild is measured against: the
 * reference strip of strip_ref.h, built with a normal computed for every
 * vertex, and with the 29,929 normals computed once and copied.
 *
 * Usage: mesh_ref [samples=N]   prints BENCH lines. */
#include <stdlib.h>

#include "bench_stats.h"
#include "strip_ref.h"

#ifdef _WIN32
#define SUFFIX "_wine"
#else
#define SUFFIX ""
#endif

static volatile float g_sink;

static void measure(const char* name, void (*build)(void), int samples)
{
    double* times = (double*)malloc(sizeof(double) * (size_t)samples);
    int i;
    for (i = 0; i < 10; ++i)
        build();
    for (i = 0; i < samples; ++i) {
        const double start = bench_now_ms();
        build();
        times[i] = bench_now_ms() - start;
        g_sink = g_strip[i % kVertices].nz;
    }
    bench_report(name, times, samples);
    free(times);
}

int main(int argc, char** argv)
{
    const int samples = bench_arg_int(argc, argv, "samples", 300);
    fill_grid();
    measure("ref_mesh_per_vertex" SUFFIX, build_per_vertex, samples);
    measure("ref_mesh_shared_normals" SUFFIX, build_shared_normals, samples);
    return 0;
}
