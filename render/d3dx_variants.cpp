#if defined(__GNUC__) && defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2", "fpmath=sse")
#endif

#include "render/d3dx_variants.h"

#include <atomic>
#include <cfloat>
#include <cmath>

#include "render/normalize.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2) || \
    (defined(__GNUC__) && defined(__i386__))
#define ZORVEL_HAVE_SSE2 1
#include <emmintrin.h>
#endif

#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
#include <intrin.h>
#elif defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <cpuid.h>
#endif

#ifdef _WIN32
#include <windows.h>
#endif

namespace zorvel {
namespace {

using RotationX = D3DXMATRIX* (*)(D3DXMATRIX*, float);
using Normalize = D3DXVECTOR3* (*)(D3DXVECTOR3*, const D3DXVECTOR3*);

struct VariantRow {
    MathVariant variant;
    RotationX rotationX;
    Normalize normalize;
};

// Rotation has no faster form: two sines in double dominate it.  The
// single-precision instruction sets get the plain variants, since a float
// square root would not give the plain variant's bits.
const VariantRow kVariants[] = {
    {MathVariant::Plain, MatrixRotationXPlain, Vec3NormalizePlain},
    {MathVariant::Amd3DNow, MatrixRotationXPlain, Vec3NormalizePlain},
    {MathVariant::Sse2, MatrixRotationXPlain, Vec3NormalizeSse2},
    {MathVariant::Sse, MatrixRotationXPlain, Vec3NormalizePlain},
};

D3DXMATRIX* InitialRotationX(D3DXMATRIX* pOut, float angle);
D3DXVECTOR3* InitialNormalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV);

// Filling it twice from two threads writes the same values; the atomics
// keep each read whole.
struct MathTable {
    std::atomic<RotationX> rotationX{InitialRotationX};
    std::atomic<Normalize> normalize{InitialNormalize};
    std::atomic<MathVariant> variant{MathVariant::Unchosen};
};

MathTable g_table;

void FillTable() {
    const MathVariant chosen = ChooseMathVariant(DetectProcessorFeatures(), PlainMathRequested());
    for (const VariantRow& row : kVariants) {
        if (row.variant != chosen) continue;
        g_table.rotationX.store(row.rotationX);
        g_table.normalize.store(row.normalize);
        g_table.variant.store(chosen);
        return;
    }
}

D3DXMATRIX* InitialRotationX(D3DXMATRIX* pOut, float angle) {
    FillTable();
    return g_table.rotationX.load()(pOut, angle);
}

D3DXVECTOR3* InitialNormalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
    FillTable();
    return g_table.normalize.load()(pOut, pV);
}

}  // namespace

ProcessorFeatures DetectProcessorFeatures() {
    ProcessorFeatures features;
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
    int regs[4];
    __cpuid(regs, 1);
    edx = static_cast<unsigned int>(regs[3]);
    features.sse = (edx >> 25) & 1;
    features.sse2 = (edx >> 26) & 1;
    __cpuid(regs, static_cast<int>(0x80000000u));
    if (static_cast<unsigned int>(regs[0]) >= 0x80000001u) {
        __cpuid(regs, static_cast<int>(0x80000001u));
        features.amd3DNow = (static_cast<unsigned int>(regs[3]) >> 31) & 1;
    }
#elif defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        features.sse = (edx >> 25) & 1;
        features.sse2 = (edx >> 26) & 1;
    }
    if (__get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx))
        features.amd3DNow = (edx >> 31) & 1;
#endif
    (void)eax, (void)ebx, (void)ecx, (void)edx;
    return features;
}

bool PlainMathRequested() {
#ifdef _WIN32
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Direct3D", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    const LONG status = RegQueryValueExW(key, L"DisableD3DXPSGP", nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value) && value == 1;
#else
    return false;
#endif
}

MathVariant ChooseMathVariant(const ProcessorFeatures& features, bool plainRequested) {
    if (plainRequested) return MathVariant::Plain;
    if (features.amd3DNow) return MathVariant::Amd3DNow;
    if (features.sse2) return MathVariant::Sse2;
    if (features.sse) return MathVariant::Sse;
    return MathVariant::Plain;
}

MathVariant ActiveMathVariant() { return g_table.variant.load(); }

void ResetMathVariantsForTesting() {
    g_table.rotationX.store(InitialRotationX);
    g_table.normalize.store(InitialNormalize);
    g_table.variant.store(MathVariant::Unchosen);
}

D3DXVECTOR3* Vec3NormalizeSse2(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
#ifdef ZORVEL_HAVE_SSE2
    const D3DXVECTOR3 v = *pV;
    const __m128d xy = _mm_cvtps_pd(_mm_setr_ps(v.x, v.y, 0.0f, 0.0f));
    const __m128d zz = _mm_cvtps_pd(_mm_set1_ps(v.z));
    const __m128d squares = _mm_mul_pd(xy, xy);
    // (x * x + y * y) + z * z, as the plain variant sums it.
    const __m128d sum = _mm_add_sd(_mm_add_sd(squares, _mm_unpackhi_pd(squares, squares)),
                                   _mm_mul_sd(zz, zz));
    const float q = _mm_cvtss_f32(_mm_cvtsd_ss(_mm_setzero_ps(), sum));
    if (std::fabs(q - 1.0f) <= FLT_EPSILON) {
        *pOut = v;
        return pOut;
    }
    if (q <= FLT_MIN || std::isnan(q)) {
        *pOut = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        return pOut;
    }
    const __m128d qd = _mm_cvtss_sd(_mm_setzero_pd(), _mm_set_ss(q));
    const __m128d k = _mm_div_sd(_mm_set_sd(1.0), _mm_sqrt_sd(qd, qd));
    const __m128d kk = _mm_unpacklo_pd(k, k);
    const __m128 scaledXY = _mm_cvtpd_ps(_mm_mul_pd(kk, xy));
    const __m128 scaledZ = _mm_cvtpd_ps(_mm_mul_sd(k, zz));
    float out[4];
    _mm_storeu_ps(out, scaledXY);
    *pOut = D3DXVECTOR3(out[0], out[1], _mm_cvtss_f32(scaledZ));
    return pOut;
#else
    return Vec3NormalizePlain(pOut, pV);
#endif
}

}  // namespace zorvel

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle) {
    return zorvel::g_table.rotationX.load()(pOut, angle);
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
    return zorvel::g_table.normalize.load()(pOut, pV);
}
