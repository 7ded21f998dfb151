// SetGrid's heights for the Invoke fuzzer: arrays of every shape and element
// type, and the three ways callers hand them over.
#include <windows.h>
#include <oleauto.h>

#include <cstring>

#include "random_variant.h"

namespace fuzz_test {
namespace {

const VARTYPE kElementTypes[] = {VT_R8, VT_R8, VT_R4, VT_I4, VT_I2, VT_UI1, VT_VARIANT, VT_VARIANT,
                                 VT_CY, VT_DECIMAL, VT_BSTR, VT_BOOL};

// A number as the element type stores it, written at slot (size bytes).
void PutNumber(double number, VARTYPE type, void* slot, ULONG size) {
    VARIANT source, converted;
    VariantInit(&source);
    VariantInit(&converted);
    source.vt = VT_R8;
    source.dblVal = number;
    if (FAILED(VariantChangeType(&converted, &source, 0, type))) return;  // stays zero
    if (type == VT_DECIMAL)
        std::memcpy(slot, &converted.decVal, sizeof(DECIMAL));
    else
        std::memcpy(slot, &converted.llVal, size);
}

}  // namespace

SAFEARRAY* VariantArena::NewGridArray(VARTYPE element, UINT dims, std::pair<ULONG, ULONG>& shape) {
    SAFEARRAYBOUND bounds[3];
    for (UINT d = 0; d < dims; ++d) {
        bounds[d].cElements = m_random.Percent(85) ? 1 + m_random.Below(60) : m_random.Below(300);
        bounds[d].lLbound = m_random.Percent(70) ? 0 : static_cast<LONG>(m_random.Below(11)) - 5;
    }
    SAFEARRAY* array = SafeArrayCreate(element, dims, bounds);
    if (!array) return nullptr;
    if (dims == 2) shape = {bounds[0].cElements, bounds[1].cElements};  // the first runs along x
    ULONG elements = 1;
    for (UINT d = 0; d < dims; ++d) elements *= bounds[d].cElements;
    BYTE* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)))) return array;
    const bool numbers = m_random.Percent(90);
    for (ULONG i = 0; i < elements; ++i, data += array->cbElements) {
        const double number = m_random.Percent(5) ? static_cast<double>(static_cast<LONG>(m_random.U32()))
                                                  : static_cast<double>(m_random.Below(2001)) / 100.0 - 10.0;
        if (element == VT_BSTR) {
            *reinterpret_cast<BSTR*>(data) = SysAllocString(L"1.5");
        } else if (element == VT_VARIANT) {
            VARIANT* v = reinterpret_cast<VARIANT*>(data);
            if (numbers || m_random.Percent(99)) {
                v->vt = m_random.Percent(50) ? VT_R8 : VT_I4;
                if (v->vt == VT_R8) v->dblVal = number;
                else v->lVal = static_cast<LONG>(number);
            } else if (m_random.Percent(50)) {
                v->vt = VT_BSTR;
                v->bstrVal = SysAllocString(L"x");
            }  // else left empty
        } else {
            PutNumber(number, element, data, array->cbElements);
        }
    }
    SafeArrayUnaccessData(array);
    return array;
}

std::pair<ULONG, ULONG> VariantArena::FillGridArray(VARIANT* v) {
    std::pair<ULONG, ULONG> shape = {0, 0};
    VariantInit(v);
    const VARTYPE element = m_random.Pick(kElementTypes);
    const UINT dims = m_random.Percent(85) ? 2 : 1 + m_random.Below(3);
    SAFEARRAY* array = m_random.Percent(4) ? nullptr : NewGridArray(element, dims, shape);
    const VARTYPE type = static_cast<VARTYPE>(VT_ARRAY | element);
    switch (m_random.Below(5)) {
    case 0: {
        // In a variable a script engine passes by reference.
        m_targets.emplace_back();
        VARIANT& target = m_targets.back();
        VariantInit(&target);
        target.vt = type;
        target.parray = array;  // the target owns it
        v->vt = VT_BYREF | VT_VARIANT;
        v->pvarVal = &target;
        break;
    }
    case 1: {
        m_slots.push_back(OwnedSlot{});
        OwnedSlot& owned = m_slots.back();
        owned.type = VT_ARRAY | VT_I4;  // freed as an array
        owned.slot.array = array;
        v->vt = static_cast<VARTYPE>(VT_BYREF | type);
        v->pparray = &owned.slot.array;
        break;
    }
    default:
        // By value: the caller's variant owns it.
        v->vt = type;
        v->parray = array;
        break;
    }
    return shape;
}

}  // namespace fuzz_test
