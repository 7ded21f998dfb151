// Invoke with named arguments and with arguments passed by reference, the
// way script engines and forms pass their variables.
#include <gtest/gtest.h>

#include "control/surface.h"
#include "dispatch_support.h"

namespace {

using zorvel::ComPtr;
using zorvel_test::Args;

class DispatchArguments : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, surface.put_void()));
        ASSERT_EQ(S_OK, surface->SetPointPerXY(20, 50));
        ASSERT_EQ(S_OK, surface->SetXRange(-1.5f, 2.5f));
        ASSERT_EQ(S_OK, surface->SetYRange(3.0f, 4.0f));
    }

    HRESULT Call(DISPID id, DISPPARAMS params, UINT* argErr = nullptr) {
        return surface->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                               argErr);
    }

    ComPtr<ISurface> surface;
};

TEST_F(DispatchArguments, TypedReferencesReceiveTheValues) {
    LONG x = -1, y = -1;
    Args counts;
    counts.Ref(VT_I4, &x).Ref(VT_I4, &y);
    ASSERT_EQ(S_OK, Call(2, counts.Positional()));
    EXPECT_EQ(20, x);
    EXPECT_EQ(50, y);

    float lo = 0, hi = 0;
    Args xRange;
    xRange.Ref(VT_R4, &lo).Ref(VT_R4, &hi);
    ASSERT_EQ(S_OK, Call(6, xRange.Positional()));
    EXPECT_EQ(-1.5f, lo);
    EXPECT_EQ(2.5f, hi);

    Args yRange;
    yRange.Ref(VT_R4, &lo).Ref(VT_R4, &hi);
    ASSERT_EQ(S_OK, Call(7, yRange.Positional()));
    EXPECT_EQ(3.0f, lo);
    EXPECT_EQ(4.0f, hi);
}

TEST_F(DispatchArguments, VariantReferencesReceiveTypedValues) {
    // Script engines pass their variables as references to variants of any type.
    VARIANT a, b;
    VariantInit(&a);
    VariantInit(&b);
    a.vt = VT_I2;
    a.iVal = 0;
    b.vt = VT_BSTR;
    b.bstrVal = SysAllocString(L"replaced");
    Args counts;
    counts.Ref(VT_VARIANT, &a).Ref(VT_VARIANT, &b);
    ASSERT_EQ(S_OK, Call(2, counts.Positional()));
    EXPECT_EQ(VT_I4, a.vt);
    EXPECT_EQ(20, a.lVal);
    EXPECT_EQ(VT_I4, b.vt);
    EXPECT_EQ(50, b.lVal);

    Args xRange;
    xRange.Ref(VT_VARIANT, &a).Ref(VT_VARIANT, &b);
    ASSERT_EQ(S_OK, Call(6, xRange.Positional()));
    EXPECT_EQ(VT_R4, a.vt);
    EXPECT_EQ(-1.5f, a.fltVal);
    EXPECT_EQ(VT_R4, b.vt);
    EXPECT_EQ(2.5f, b.fltVal);

    // One variable for both: the second value wins.
    Args same;
    same.Ref(VT_VARIANT, &a).Ref(VT_VARIANT, &a);
    ASSERT_EQ(S_OK, Call(7, same.Positional()));
    EXPECT_EQ(VT_R4, a.vt);
    EXPECT_EQ(4.0f, a.fltVal);
}

TEST_F(DispatchArguments, ValuesWherePointersAreExpectedAreRefused) {
    UINT argErr = 77;
    Args values;
    values.I4(1).I4(2);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(2, values.Positional(), &argErr));
    EXPECT_EQ(1u, argErr);

    LONG x = -1;
    Args second;
    second.Ref(VT_I4, &x).R4(2);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(2, second.Positional(), &argErr));
    EXPECT_EQ(0u, argErr);
    EXPECT_EQ(-1, x);

    // A reference of another type is no float*.
    LONG wrong = 0;
    float lo = 0;
    Args mismatched;
    mismatched.Ref(VT_R4, &lo).Ref(VT_I4, &wrong);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(6, mismatched.Positional(), &argErr));
    EXPECT_EQ(0u, argErr);
    EXPECT_EQ(0, wrong);
    EXPECT_EQ(0.0f, lo);
}

TEST_F(DispatchArguments, NullReferencesAreRefused) {
    UINT argErr = 77;
    float hi = 0;
    Args nullFloat;
    nullFloat.Ref(VT_R4, nullptr).Ref(VT_R4, &hi);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(6, nullFloat.Positional(), &argErr));
    EXPECT_EQ(1u, argErr);

    LONG x = 0;
    Args nullVariant;
    nullVariant.Ref(VT_I4, &x).Ref(VT_VARIANT, nullptr);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(2, nullVariant.Positional(), &argErr));
    EXPECT_EQ(0u, argErr);

    Args nullByValue;
    nullByValue.Ref(VT_I4, nullptr).I4(1);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(3, nullByValue.Positional(), &argErr));
    EXPECT_EQ(1u, argErr);
}

TEST_F(DispatchArguments, ReferencesConvertForValueParameters) {
    VARIANT lo, hi;
    VariantInit(&lo);
    VariantInit(&hi);
    lo.vt = VT_I2;
    lo.iVal = 0;
    hi.vt = VT_BSTR;
    hi.bstrVal = SysAllocString(L"5");
    Args range;
    range.Ref(VT_VARIANT, &lo).Ref(VT_VARIANT, &hi);
    ASSERT_EQ(S_OK, Call(3, range.Positional()));
    float min = 0, max = 0;
    ASSERT_EQ(S_OK, surface->GetXRange(&min, &max));
    EXPECT_EQ(0.0f, min);
    EXPECT_EQ(5.0f, max);
    // The caller's variables are left as they were.
    EXPECT_EQ(VT_I2, lo.vt);
    EXPECT_EQ(VT_BSTR, hi.vt);
    EXPECT_STREQ(L"5", hi.bstrVal);
    VariantClear(&hi);

    LONG count = 4;
    Args typed;
    typed.Ref(VT_I4, &count).Ref(VT_I4, &count);
    EXPECT_EQ(S_OK, Call(1, typed.Positional()));
    LONG x = 0, y = 0;
    ASSERT_EQ(S_OK, surface->GetPointsPerXY(&x, &y));
    EXPECT_EQ(4, x);
    EXPECT_EQ(4, y);
}

TEST_F(DispatchArguments, NamedArgumentsGiveTheirPositions) {
    // rgvarg in the order of the names: max_x = 9, min_x = 6.
    Args named;
    named.I4(9).I4(6);
    ASSERT_EQ(S_OK, Call(3, named.Named({1, 0})));
    float min = 0, max = 0;
    ASSERT_EQ(S_OK, surface->GetXRange(&min, &max));
    EXPECT_EQ(6.0f, min);
    EXPECT_EQ(9.0f, max);

    // SetData(posx 1, posy 2, x, y, z = 7) with z named and the rest positional.
    Args mixed;
    mixed.I4(7).R4(0.5f).R4(0.25f).I4(2).I4(1);
    EXPECT_EQ(S_OK, Call(5, mixed.Named({4})));
    const CSurfaceGrid* grid = &static_cast<CSurface*>(surface.get())->Grid();
    EXPECT_EQ(7.0f, grid->Heights()[1 + 2 * grid->CountX()]);
}

TEST_F(DispatchArguments, NamedPositionsOutsideTheListAreNotFound) {
    UINT argErr = 77;
    Args outside;
    outside.I4(9).I4(6);
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(3, outside.Named({0, 2}), &argErr));
    EXPECT_EQ(1u, argErr);

    Args negative;
    negative.I4(9).I4(6);
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(3, negative.Named({-7}), &argErr));
    EXPECT_EQ(0u, argErr);

    // Two arguments for one parameter.
    Args twice;
    twice.I4(9).I4(6);
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(3, twice.Named({1, 1}), &argErr));
    EXPECT_EQ(1u, argErr);

    // A named position already taken by a positional argument.
    Args taken;
    taken.I4(9).I4(6);
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(3, taken.Named({0}), &argErr));
    EXPECT_EQ(0u, argErr);

    // Checked before the member: the DISPID does not matter.
    Args unknown;
    unknown.I4(1);
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(14, unknown.Named({3}), &argErr));

    float min = 0, max = 0;
    ASSERT_EQ(S_OK, surface->GetXRange(&min, &max));
    EXPECT_EQ(-1.5f, min);
    EXPECT_EQ(2.5f, max);
}

TEST_F(DispatchArguments, ConversionErrorOfANamedArgumentNamesItsSlot) {
    UINT argErr = 77;
    Args named;
    named.I4(9).Str(L"six");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(3, named.Named({1, 0}), &argErr));
    EXPECT_EQ(1u, argErr);
}

}  // namespace
