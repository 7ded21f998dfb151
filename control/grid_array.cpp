#include "control/grid_array.h"

#include <oleauto.h>

#include <new>

#include "common/owners.h"

namespace zorvel {
namespace {

// Script engines pass their variables as references to variants; a chain
// of them is followed a few steps, never into a null reference.
const VARIANT* Unwrap(const VARIANT* value) {
    for (int depth = 0; depth < 8 && value->vt == (VT_BYREF | VT_VARIANT); ++depth) {
        if (!value->pvarVal) return nullptr;
        value = value->pvarVal;
    }
    return value->vt == (VT_BYREF | VT_VARIANT) ? nullptr : value;
}

bool IsNumberType(VARTYPE type) {
    switch (type) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT:
    case VT_UINT: case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

// The types script engines and arrays of numbers hold most, read without
// the system's conversion; false for any other type.
bool CommonNumber(VARTYPE type, const void* data, float* number) {
    switch (type) {
    case VT_R8: *number = static_cast<float>(*static_cast<const double*>(data)); return true;
    case VT_R4: *number = *static_cast<const float*>(data); return true;
    case VT_I4: *number = static_cast<float>(*static_cast<const LONG*>(data)); return true;
    case VT_I2: *number = static_cast<float>(*static_cast<const SHORT*>(data)); return true;
    default: return false;
    }
}

// The element at data as a float; elementType is the array's.
bool ElementNumber(VARTYPE elementType, const void* data, float* number) {
    if (elementType == VT_VARIANT) return NumberFromVariant(*static_cast<const VARIANT*>(data), number);
    if (CommonNumber(elementType, data, number)) return true;
    if (!IsNumberType(elementType)) return false;
    // A variant of the element's type that points at the element.
    VARIANT element;
    VariantInit(&element);
    element.vt = static_cast<VARTYPE>(VT_BYREF | elementType);
    element.byref = const_cast<void*>(data);
    return NumberFromVariant(element, number);
}

}  // namespace

bool NumberFromVariant(const VARIANT& value, float* number) {
    // A variant's number of any type starts where dblVal does.
    if (CommonNumber(value.vt, &value.dblVal, number)) return true;
    const VARIANT* source = Unwrap(&value);
    if (!source) return false;
    const VARTYPE type = static_cast<VARTYPE>(source->vt & ~VT_BYREF);
    if (!IsNumberType(type) || ((source->vt & VT_BYREF) && !source->byref)) return false;
    UniqueVariant converted;
    if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(source), 0, VT_R8))) return false;
    *number = static_cast<float>(converted.get()->dblVal);
    return true;
}

HRESULT ReadGridArray(const VARIANT& value, GridArray* grid, const wchar_t** why) {
    *why = L"heights must be a two-dimensional array of numbers";
    const VARIANT* source = Unwrap(&value);
    if (!source || !(source->vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
    SAFEARRAY* array = (source->vt & VT_BYREF) ? (source->pparray ? *source->pparray : nullptr) : source->parray;
    if (!array) return DISP_E_TYPEMISMATCH;
    VARTYPE elementType = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(array, &elementType))) return DISP_E_TYPEMISMATCH;
    if (elementType != VT_VARIANT && !IsNumberType(elementType)) return DISP_E_TYPEMISMATCH;
    if (SafeArrayGetDim(array) != 2) return E_INVALIDARG;

    // rgsabound runs from the last dimension to the first.
    const uint64_t countX = array->rgsabound[1].cElements;
    const uint64_t countY = array->rgsabound[0].cElements;
    const uint64_t points = countX * countY;
    if (points < kMinGridPoints || points > kMaxGridPoints) {
        *why = L"heights must hold from 4 to 30000 points";
        return E_INVALIDARG;
    }
    std::vector<float> heights;
    try {
        heights.resize(static_cast<size_t>(points));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return DISP_E_TYPEMISMATCH;
    // The first dimension varies fastest, which is the grid's own order.
    const BYTE* element = static_cast<const BYTE*>(data);
    bool numbers = true;
    for (size_t i = 0; i < heights.size() && numbers; ++i, element += array->cbElements)
        numbers = ElementNumber(elementType, element, &heights[i]);
    SafeArrayUnaccessData(array);
    if (!numbers) {
        *why = L"every element of heights must be a number";
        return DISP_E_TYPEMISMATCH;
    }
    grid->countX = static_cast<uint32_t>(countX);
    grid->countY = static_cast<uint32_t>(countY);
    grid->heights.swap(heights);
    *why = nullptr;
    return S_OK;
}

}  // namespace zorvel
