/* The reference strip: the 173 x 173 grid of 10 sin(x) sin(y) over -10..10
 * turned into one serpentine strip of 59,512 vertices (position scaled to
 * -10..10, normal from the four neighbours: four cross products, each
 * normalised, averaged and not normalised again), in plain float C.  Shared
 * by the tight reference loop and the raw OpenGL program. */
#ifndef ZORVEL_STRIP_REF_H
#define ZORVEL_STRIP_REF_H

#include <math.h>

enum { kCount = 173, kVertices = 2 * kCount * (kCount - 1) };

typedef struct {
    float x, y, z, nx, ny, nz;
} Vertex;

static float g_xs[kCount];
static float g_ys[kCount];
static float g_heights[kCount * kCount];
static float g_normals[kCount * kCount][3];
static Vertex g_strip[kVertices];

static inline float height(int col, int row) { return g_heights[col + row * kCount]; }

static inline void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

static inline void normalise(float v[3])
{
    const float length = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) {
        const float inverse = 1.0f / length;
        v[0] *= inverse;
        v[1] *= inverse;
        v[2] *= inverse;
    } else {
        v[0] = v[1] = v[2] = 0.0f;
    }
}

static inline void normal_at(int col, int row, float out[3])
{
    const float px = g_xs[col], py = g_ys[row], pz = height(col, row);
    float l[3] = {-1.0f, 0.0f, 0.0f}, u[3] = {0.0f, 1.0f, 0.0f};
    float r[3] = {1.0f, 0.0f, 0.0f}, d[3] = {0.0f, -1.0f, 0.0f};
    float n[4][3];
    int i;
    if (col > 0) {
        l[0] = g_xs[col - 1] - px;
        l[2] = height(col - 1, row) - pz;
    }
    if (row < kCount - 1) {
        u[1] = g_ys[row + 1] - py;
        u[2] = height(col, row + 1) - pz;
    }
    if (col < kCount - 1) {
        r[0] = g_xs[col + 1] - px;
        r[2] = height(col + 1, row) - pz;
    }
    if (row > 0) {
        d[1] = g_ys[row - 1] - py;
        d[2] = height(col, row - 1) - pz;
    }
    cross(u, l, n[0]);
    cross(r, u, n[1]);
    cross(d, r, n[2]);
    cross(l, d, n[3]);
    for (i = 0; i < 4; ++i)
        normalise(n[i]);
    for (i = 0; i < 3; ++i)
        out[i] = (n[0][i] + n[1][i] + n[2][i] + n[3][i]) * 0.25f;
}

static float g_sx, g_offx, g_sy, g_offy;

static inline void put(Vertex* v, int col, int row, const float n[3])
{
    v->x = g_xs[col] * g_sx - g_offx;
    v->y = g_ys[row] * g_sy - g_offy;
    v->z = height(col, row);
    v->nx = n[0];
    v->ny = n[1];
    v->nz = n[2];
}

static inline void map_axes(void)
{
    g_sx = 20.0f / (g_xs[kCount - 1] - g_xs[0]);
    g_offx = g_xs[kCount - 1] * g_sx - 10.0f;
    g_sy = 20.0f / (g_ys[kCount - 1] - g_ys[0]);
    g_offy = g_ys[kCount - 1] * g_sy - 10.0f;
}

/* Every vertex computes its own normal: inner rows twice. */
static inline void build_per_vertex(void)
{
    Vertex* out = g_strip;
    float n[3];
    int r, col;
    map_axes();
    for (r = 0; r + 1 < kCount; ++r) {
        if (r % 2 == 0) {
            for (col = 0; col < kCount; ++col) {
                normal_at(col, r + 1, n);
                put(out++, col, r + 1, n);
                normal_at(col, r, n);
                put(out++, col, r, n);
            }
        } else {
            for (col = kCount - 1; col >= 0; --col) {
                normal_at(col, r, n);
                put(out++, col, r, n);
                normal_at(col, r + 1, n);
                put(out++, col, r + 1, n);
            }
        }
    }
}

/* The 29,929 normals once, then copied into the strip. */
static inline void build_shared_normals(void)
{
    Vertex* out = g_strip;
    int r, col;
    map_axes();
    for (r = 0; r < kCount; ++r)
        for (col = 0; col < kCount; ++col)
            normal_at(col, r, g_normals[col + r * kCount]);
    for (r = 0; r + 1 < kCount; ++r) {
        if (r % 2 == 0) {
            for (col = 0; col < kCount; ++col) {
                put(out++, col, r + 1, g_normals[col + (r + 1) * kCount]);
                put(out++, col, r, g_normals[col + r * kCount]);
            }
        } else {
            for (col = kCount - 1; col >= 0; --col) {
                put(out++, col, r, g_normals[col + r * kCount]);
                put(out++, col, r + 1, g_normals[col + (r + 1) * kCount]);
            }
        }
    }
}

static inline void fill_grid(void)
{
    int i, j;
    for (i = 0; i < kCount; ++i) {
        g_xs[i] = (float)(-10.0 + i * (20.0 / (kCount - 1)));
        g_ys[i] = g_xs[i];
    }
    for (j = 0; j < kCount; ++j)
        for (i = 0; i < kCount; ++i)
            g_heights[i + j * kCount] = (float)(10.0 * sin(g_xs[i]) * sin(g_ys[j]));
}

#endif /* ZORVEL_STRIP_REF_H */
