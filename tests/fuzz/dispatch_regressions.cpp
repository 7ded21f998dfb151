// Faults the dispatch fuzzer found, one test each, with the smallest call
// that shows them.
#include <windows.h>

#include <gtest/gtest.h>

#include "control/surface.h"

namespace {

using zorvel::ComPtr;

class DispatchRegressions : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, control.put_void()));
    }

    // SetXRange(arg, 5.0) with arg as given; the last parameter comes first.
    HRESULT SetXRangeWith(VARIANT& arg, UINT* argErr)
    {
        VARIANT args[2];
        VariantInit(&args[0]);
        args[0].vt = VT_R4;
        args[0].fltVal = 5.0f;
        args[1] = arg;
        DISPPARAMS params = {args, nullptr, 2, 0};
        return control->Invoke(3, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                               nullptr, argErr);
    }

    void ExpectXRange(float min, float max)
    {
        float lo = 0, hi = 0;
        ASSERT_EQ(S_OK, control->GetXRange(&lo, &hi));
        EXPECT_EQ(min, lo);
        EXPECT_EQ(max, hi);
    }

    ComPtr<ISurface> control;
};

// A referenced variant that is itself a reference to nothing.  The control
// refuses a null reference handed to it directly; one level down it went to
// the system's conversion, which follows the pointer.
TEST_F(DispatchRegressions, ReferencedVariantHoldingANullReferenceIsATypeMismatch)
{
    const VARTYPE kInnerTypes[] = {VT_I4, VT_R4, VT_R8, VT_BSTR, VT_DISPATCH, VT_VARIANT};
    for (VARTYPE innerType : kInnerTypes) {
        SCOPED_TRACE(testing::Message() << "inner type VT_BYREF|" << innerType);
        VARIANT inner;
        VariantInit(&inner);
        inner.vt = static_cast<VARTYPE>(VT_BYREF | innerType);
        inner.byref = nullptr;
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_BYREF | VT_VARIANT;
        arg.pvarVal = &inner;
        UINT argErr = 77;
        EXPECT_EQ(DISP_E_TYPEMISMATCH, SetXRangeWith(arg, &argErr));
        EXPECT_EQ(1u, argErr);
        ExpectXRange(-10.0f, 10.0f);
    }
}

}  // namespace
