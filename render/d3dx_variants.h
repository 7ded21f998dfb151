// The variants behind D3DXMatrixRotationX and D3DXVec3Normalize.  Both entry
// points call through one table shared by the math library; every entry
// starts at an initialiser, and the first call through either detects the
// processor once, fills the table with the best variants and completes the
// call.  Setting DisableD3DXPSGP (DWORD 1) under Software\Microsoft\Direct3D
// in the local-machine registry keeps the plain variants.  Every variant
// gives the plain variant's results.
#pragma once

#include "render/d3dx_math.h"

namespace zorvel {

enum class MathVariant { Unchosen, Plain, Sse, Sse2, Amd3DNow };

struct ProcessorFeatures {
    bool amd3DNow = false;
    bool sse2 = false;
    bool sse = false;
};

ProcessorFeatures DetectProcessorFeatures();
// Whether the registry asks for the plain variants (never off Windows).
bool PlainMathRequested();
// 3DNow!, then SSE2, then SSE, tried in this order; plain otherwise.
MathVariant ChooseMathVariant(const ProcessorFeatures& features, bool plainRequested);

// What the table holds now: Unchosen until the first call.
MathVariant ActiveMathVariant();
// Puts the initialisers back, so that a test can watch the choice again.
void ResetMathVariantsForTesting();

// The SSE2 normalisation: packed double arithmetic in the plain variant's
// order, so that its bits are the plain variant's.  Where the compiler has
// no SSE2 it is the plain variant.
D3DXVECTOR3* Vec3NormalizeSse2(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV);

}  // namespace zorvel
