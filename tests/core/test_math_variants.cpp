// The table behind D3DXMatrixRotationX and D3DXVec3Normalize: which variant
// a processor gets, that the choice waits for the first call and is made
// once, the registry switch, and that the SSE2 normalisation gives the plain
// variant's bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "render/d3dx_variants.h"

#ifdef _WIN32
#include <windows.h>
#endif

using zorvel::MathVariant;
using zorvel::ProcessorFeatures;

namespace {

ProcessorFeatures Features(bool amd3DNow, bool sse2, bool sse) {
    ProcessorFeatures f;
    f.amd3DNow = amd3DNow;
    f.sse2 = sse2;
    f.sse = sse;
    return f;
}

// The same bits, or NaN in both: which NaN an operation gives may differ.
bool SameValue(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

bool SameVector(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return SameValue(a.x, b.x) && SameValue(a.y, b.y) && SameValue(a.z, b.z);
}

}  // namespace

TEST(MathVariants, ProcessorChoiceTriesThreeDNowThenSse2ThenSse) {
    struct Row {
        bool amd3DNow, sse2, sse;
        MathVariant expected;
    };
    const Row rows[] = {
        {false, false, false, MathVariant::Plain}, {false, false, true, MathVariant::Sse},
        {false, true, false, MathVariant::Sse2},   {false, true, true, MathVariant::Sse2},
        {true, false, false, MathVariant::Amd3DNow}, {true, false, true, MathVariant::Amd3DNow},
        {true, true, false, MathVariant::Amd3DNow},  {true, true, true, MathVariant::Amd3DNow},
    };
    for (const Row& row : rows) {
        const ProcessorFeatures f = Features(row.amd3DNow, row.sse2, row.sse);
        EXPECT_EQ(row.expected, zorvel::ChooseMathVariant(f, false))
            << row.amd3DNow << row.sse2 << row.sse;
        EXPECT_EQ(MathVariant::Plain, zorvel::ChooseMathVariant(f, true));
    }
}

TEST(MathVariants, ChoiceWaitsForTheFirstCallThroughEitherEntry) {
    const MathVariant expected =
        zorvel::ChooseMathVariant(zorvel::DetectProcessorFeatures(), zorvel::PlainMathRequested());
    for (int entry = 0; entry < 2; ++entry) {
        zorvel::ResetMathVariantsForTesting();
        EXPECT_EQ(MathVariant::Unchosen, zorvel::ActiveMathVariant());
        // The first call is completed by the variant it chose.
        if (entry == 0) {
            D3DXVECTOR3 v(0.0f, 3.0f, 4.0f);
            D3DXVec3Normalize(&v, &v);
            EXPECT_EQ(0.6f, v.y);
            EXPECT_EQ(0.8f, v.z);
        } else {
            D3DXMATRIX m;
            D3DXMatrixRotationX(&m, 0.0f);
            EXPECT_EQ(1.0f, m._22);
            EXPECT_EQ(0.0f, m._23);
        }
        EXPECT_EQ(expected, zorvel::ActiveMathVariant());
    }
}

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
TEST(MathVariants, EveryProcessorThisRunsOnHasSse2) {
    // The build itself needs it; anything else means detection is broken.
    EXPECT_TRUE(zorvel::DetectProcessorFeatures().sse2);
}
#endif

TEST(MathVariants, Sse2NormalisationGivesThePlainBits) {
    const float special[] = {0.0f, -0.0f, 1.0f, -1.0f, 1e-20f, 1e20f, 3.4e38f,
                             std::numeric_limits<float>::denorm_min(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN()};
    auto check = [](const D3DXVECTOR3& v) {
        D3DXVECTOR3 plain, sse2;
        zorvel::Vec3NormalizePlain(&plain, &v);
        zorvel::Vec3NormalizeSse2(&sse2, &v);
        EXPECT_TRUE(SameVector(plain, sse2)) << v.x << " " << v.y << " " << v.z;
    };
    for (float x : special)
        for (float y : special)
            for (float z : special) check(D3DXVECTOR3(x, y, z));
    std::mt19937 random(7);
    std::uniform_real_distribution<float> around(-2.0f, 2.0f);
    std::uniform_int_distribution<uint32_t> bits;
    for (int i = 0; i < 200000; ++i) {
        check(D3DXVECTOR3(around(random), around(random), around(random)));
        uint32_t raw[3] = {bits(random), bits(random), bits(random)};
        D3DXVECTOR3 any;
        std::memcpy(&any, raw, sizeof any);
        check(any);
    }
}

#ifdef _WIN32
TEST(MathVariants, RegistrySwitchKeepsThePlainVariants) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Direct3D", 0, nullptr,
                                             0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr));
    const DWORD one = 1, two = 2;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"DisableD3DXPSGP", 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&one), sizeof one));
    zorvel::ResetMathVariantsForTesting();
    D3DXVECTOR3 v(3.0f, 0.0f, 4.0f);
    D3DXVec3Normalize(&v, &v);
    EXPECT_EQ(MathVariant::Plain, zorvel::ActiveMathVariant());
    EXPECT_EQ(0.6f, v.x);

    // Chosen once: the switch is not read again.
    RegDeleteValueW(key, L"DisableD3DXPSGP");
    D3DXVec3Normalize(&v, &v);
    EXPECT_EQ(MathVariant::Plain, zorvel::ActiveMathVariant());

    // Only the value 1 counts.
    RegSetValueExW(key, L"DisableD3DXPSGP", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), sizeof two);
    EXPECT_FALSE(zorvel::PlainMathRequested());
    RegDeleteValueW(key, L"DisableD3DXPSGP");
    RegCloseKey(key);
    zorvel::ResetMathVariantsForTesting();
    D3DXVec3Normalize(&v, &v);
    EXPECT_EQ(zorvel::ChooseMathVariant(zorvel::DetectProcessorFeatures(), false), zorvel::ActiveMathVariant());
    EXPECT_NE(MathVariant::Plain, zorvel::ActiveMathVariant());
}
#endif
