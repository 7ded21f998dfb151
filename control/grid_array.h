// A whole grid of heights in one array, as automation clients hand it over:
// a two-dimensional SAFEARRAY of numbers (any integer or floating type,
// currency, decimal, or VARIANTs holding one of them), by value or by
// reference, with any lower bounds.  heights(ix, iy): the first dimension
// runs along x, as SetData's posx does.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <vector>

namespace zorvel {

struct GridArray {
    uint32_t countX = 0;
    uint32_t countY = 0;
    std::vector<float> heights;  // column ix, row iy at ix + iy * countX
};

// The grid's limits, as SetPointPerXY has them.
constexpr uint32_t kMinGridPoints = 4;
constexpr uint32_t kMaxGridPoints = 30000;

// S_OK with the grid read, or the refusal with a sentence that says why:
// DISP_E_TYPEMISMATCH for anything but an array of numbers, E_INVALIDARG for
// a shape outside the limits, E_OUTOFMEMORY.
HRESULT ReadGridArray(const VARIANT& value, GridArray* grid, const wchar_t** why);

// A number from a variant as a float, following references; false for
// anything that is not a number.
bool NumberFromVariant(const VARIANT& value, float* number);

}  // namespace zorvel
