/* The clock and the result line shared by every benchmark program, Windows
 * and native alike, so that the runner reads one format:
 *
 *   BENCH <name> <median_ms> <min_ms> <max_ms> <n>
 *   MEM <name> <bytes>
 *
 * Plain C: the reference loops are C, and the C++ programs include it too. */
#ifndef ZORVEL_BENCH_STATS_H
#define ZORVEL_BENCH_STATS_H

#include <stdio.h>
#include <stdlib.h>

/* Milliseconds since the first call.  The count is taken relative to that
 * first reading before it becomes a double: a Direct3D device may have put
 * the x87 unit into single precision, where a whole tick count since boot
 * would lose everything below a millisecond. */
#ifdef _WIN32
#include <windows.h>

static inline double bench_now_ms(void)
{
    static LARGE_INTEGER frequency, base;
    LARGE_INTEGER now;
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&base);
    }
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - base.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}
#else
#include <time.h>

static inline double bench_now_ms(void)
{
    static struct timespec base;
    struct timespec now;
    if (base.tv_sec == 0 && base.tv_nsec == 0)
        clock_gettime(CLOCK_MONOTONIC, &base);
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)(now.tv_sec - base.tv_sec) * 1000.0 + (double)(now.tv_nsec - base.tv_nsec) / 1.0e6;
}
#endif

static inline int bench_compare(const void* a, const void* b)
{
    const double x = *(const double*)a;
    const double y = *(const double*)b;
    return (x > y) - (x < y);
}

/* Sorts the samples in place and prints their median, min and max. */
static inline void bench_report(const char* name, double* samples, int count)
{
    double median;
    if (count <= 0)
        return;
    qsort(samples, (size_t)count, sizeof(double), bench_compare);
    median = (count % 2) ? samples[count / 2]
                         : 0.5 * (samples[count / 2 - 1] + samples[count / 2]);
    printf("BENCH %s %.5f %.5f %.5f %d\n", name, median, samples[0], samples[count - 1], count);
    fflush(stdout);
}

static inline void bench_report_bytes(const char* name, double bytes)
{
    printf("MEM %s %.0f\n", name, bytes);
    fflush(stdout);
}

/* Repetitions from the command line ("name=value"), so that the runner can
 * shorten a run without a rebuild. */
static inline int bench_arg_int(int argc, char** argv, const char* key, int fallback)
{
    int i;
    size_t length = 0;
    while (key[length])
        ++length;
    for (i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        size_t k = 0;
        while (k < length && arg[k] == key[k])
            ++k;
        if (k == length && arg[k] == '=')
            return atoi(arg + k + 1);
    }
    return fallback;
}

#endif /* ZORVEL_BENCH_STATS_H */
