// IDispatch::Invoke of the control: the order of its checks, conversion of
// arguments, properties, results and error information.
#include <gtest/gtest.h>

#include "control/surface.h"
#include "dispatch_support.h"

namespace {

using zorvel::ComPtr;
using zorvel::UniqueBstr;
using zorvel::UniqueVariant;
using zorvel_test::Args;

const HRESULT kRejected = 1;

class DispatchInvoke : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, surface.put_void()));
    }

    HRESULT Call(DISPID id, WORD flags, DISPPARAMS params, VARIANT* result = nullptr,
                 UINT* argErr = nullptr, EXCEPINFO* excep = nullptr) {
        return surface->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excep, argErr);
    }

    HRESULT Method(DISPID id, Args& args, VARIANT* result = nullptr, UINT* argErr = nullptr) {
        return Call(id, DISPATCH_METHOD, args.Positional(), result, argErr);
    }

    void ExpectXRange(float min, float max) {
        float lo = 0, hi = 0;
        ASSERT_EQ(S_OK, surface->GetXRange(&lo, &hi));
        EXPECT_EQ(min, lo);
        EXPECT_EQ(max, hi);
    }

    ComPtr<ISurface> surface;
};

TEST_F(DispatchInvoke, MissingParametersAndTooManyArguments) {
    EXPECT_EQ(DISP_E_BADVARTYPE,
              surface->Invoke(8, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr));
    Args six;
    six.I4(1).I4(1).R4(1).R4(1).R4(1).R4(1);
    UniqueVariant result;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Method(5, six, result.get()));
}

TEST_F(DispatchInvoke, MalformedParameterBlocksAreRefused) {
    UINT argErr = 77;
    EXPECT_EQ(DISP_E_BADVARTYPE, Call(3, DISPATCH_METHOD, DISPPARAMS{nullptr, nullptr, 2, 0}, nullptr, &argErr));
    Args two;
    two.I4(0).I4(5);
    DISPPARAMS params = two.Positional();
    params.cNamedArgs = 3;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(3, DISPATCH_METHOD, params));
    params.cNamedArgs = 1;
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(3, DISPATCH_METHOD, params));
    ExpectXRange(-10.0f, 10.0f);
}

TEST_F(DispatchInvoke, ResultIsClearedFirst) {
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_BSTR;
    result.bstrVal = SysAllocString(L"old");
    Args none;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Method(14, none, &result));
    EXPECT_EQ(VT_EMPTY, result.vt);

    result.vt = VT_I4;
    result.lVal = 9;
    Args range;
    range.I4(0).I4(5);
    EXPECT_EQ(S_OK, Method(3, range, &result));
    EXPECT_EQ(VT_EMPTY, result.vt);
}

TEST_F(DispatchInvoke, UnknownDispidsAreNotMembers) {
    for (DISPID id : {0, 14, -1, 9999, 10007, DISPID_VALUE, DISPID_NEWENUM}) {
        Args none;
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Method(id, none)) << id;
    }
}

TEST_F(DispatchInvoke, ArgumentCountMustMatch) {
    Args four;
    four.I4(0).I4(0).R4(1).R4(2);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Method(5, four));
    Args one;
    one.R4(1);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Method(3, one));
    Args extra;
    extra.I4(1);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Method(8, extra));
    ExpectXRange(-10.0f, 10.0f);
}

TEST_F(DispatchInvoke, ArgumentsAreConvertedToTheParameterTypes) {
    Args ints;
    ints.I4(0).I4(5);
    EXPECT_EQ(S_OK, Method(3, ints));
    ExpectXRange(0.0f, 5.0f);

    Args mixed;
    mixed.Str(L"1").R8(2.5);
    EXPECT_EQ(S_OK, Method(3, mixed));
    ExpectXRange(1.0f, 2.5f);

    Args counts;
    counts.R8(20.4).Str(L"50");
    EXPECT_EQ(S_OK, Method(10000, counts));
    LONG x = 0, y = 0;
    ASSERT_EQ(S_OK, surface->GetPointsPerXY(&x, &y));
    EXPECT_EQ(20, x);
    EXPECT_EQ(50, y);
}

TEST_F(DispatchInvoke, ConversionFailureNamesTheArgument) {
    UINT argErr = 77;
    Args firstBad;
    firstBad.Str(L"not a number").I4(5);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Method(3, firstBad, nullptr, &argErr));
    EXPECT_EQ(1u, argErr);

    Args secondBad;
    secondBad.I4(0).Null();
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Method(3, secondBad, nullptr, &argErr));
    EXPECT_EQ(0u, argErr);

    Args lastOfFive;
    lastOfFive.I4(0).I4(0).R4(1).R4(2).Str(L"z");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Method(5, lastOfFive, nullptr, &argErr));
    EXPECT_EQ(0u, argErr);

    Args overflow;
    overflow.R8(1e300).I4(0);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Method(10000, overflow, nullptr, &argErr));
    EXPECT_EQ(1u, argErr);

    Args noArgErr;
    noArgErr.Str(L"x").I4(5);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Method(3, noArgErr));
    ExpectXRange(-10.0f, 10.0f);
}

TEST_F(DispatchInvoke, OperationStatusIsReturnedUnchanged) {
    Args equal;
    equal.R4(5).R4(5);
    EXPECT_EQ(kRejected, Method(3, equal));
    Args tooFew;
    tooFew.I4(1).I4(3);
    EXPECT_EQ(kRejected, Method(1, tooFew));
    Args tooMany;
    tooMany.I4(101).I4(300);
    EXPECT_EQ(kRejected, Method(10000, tooMany));

    Args size;
    size.I4(2).I4(2);
    ASSERT_EQ(S_OK, Method(1, size));
    Args inside;
    inside.I4(1).I4(1).R4(1).R4(2).R4(3);
    EXPECT_EQ(S_OK, Method(5, inside));
    Args outside;
    outside.I4(-1).I4(0).R4(1).R4(2).R4(3);
    EXPECT_EQ(kRejected, Method(5, outside));
    Args yRange;
    yRange.I4(-2).I4(2);
    EXPECT_EQ(S_OK, Method(4, yRange));
    float lo = 0, hi = 0;
    ASSERT_EQ(S_OK, surface->GetYRange(&lo, &hi));
    EXPECT_EQ(-2.0f, lo);
    EXPECT_EQ(2.0f, hi);
}

TEST_F(DispatchInvoke, PropertyGetReturnsTheValue) {
    UniqueVariant result;
    Args none;
    ASSERT_EQ(S_OK, Call(11, DISPATCH_PROPERTYGET, none.Positional(), result.get()));
    EXPECT_EQ(VT_R4, result->vt);
    EXPECT_EQ(50.0f, result->fltVal);

    ASSERT_EQ(S_OK, Call(9, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none.Positional(), result.put()));
    EXPECT_EQ(VT_I4, result->vt);
    EXPECT_EQ(0, result->lVal);
    ASSERT_EQ(S_OK, Call(10, DISPATCH_PROPERTYGET, none.Positional(), result.put()));
    EXPECT_EQ(VT_I4, result->vt);
    EXPECT_EQ(0, result->lVal);
}

TEST_F(DispatchInvoke, PropertyPutTakesTheNamedValue) {
    Args seven;
    seven.I4(7);
    ASSERT_EQ(S_OK, Call(9, DISPATCH_PROPERTYPUT, seven.Named({DISPID_PROPERTYPUT})));
    LONG value = 0;
    ASSERT_EQ(S_OK, surface->get_XYRotate(&value));
    EXPECT_EQ(1, value);

    Args text;
    text.Str(L"1");
    ASSERT_EQ(S_OK, Call(10, DISPATCH_PROPERTYPUT, text.Named({DISPID_PROPERTYPUT})));
    ASSERT_EQ(S_OK, surface->get_ZRotate(&value));
    EXPECT_EQ(1, value);

    Args radius;
    radius.I4(20);
    ASSERT_EQ(S_OK, Call(11, DISPATCH_PROPERTYPUT, radius.Named({DISPID_PROPERTYPUT})));
    UniqueVariant result;
    Args none;
    ASSERT_EQ(S_OK, Call(11, DISPATCH_PROPERTYGET, none.Positional(), result.get()));
    EXPECT_EQ(VT_R4, result->vt);
    EXPECT_EQ(20.0f, result->fltVal);

    // Unnamed works as well; a refused radius still answers S_OK.
    Args negative;
    negative.R4(-3);
    EXPECT_EQ(S_OK, Call(11, DISPATCH_PROPERTYPUT, negative.Positional()));
    float r = 0;
    ASSERT_EQ(S_OK, surface->get_Radius(&r));
    EXPECT_EQ(20.0f, r);
}

TEST_F(DispatchInvoke, PropertyArgumentCountsAndFlags) {
    UniqueVariant result;
    UINT argErr = 77;
    Args one;
    one.I4(1);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(9, DISPATCH_PROPERTYGET, one.Positional(), result.get()));
    Args none;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(9, DISPATCH_PROPERTYPUT, none.Positional()));
    Args two;
    two.R4(1).R4(2);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(11, DISPATCH_PROPERTYPUT, two.Positional()));
    // Asked for neither the value nor a new one.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(11, DISPATCH_METHOD, none.Positional(), result.get()));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(11, DISPATCH_PROPERTYPUTREF, one.Positional()));
    // A get has nowhere to put the value.
    EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL, Call(11, DISPATCH_PROPERTYGET, none.Positional()));
    Args bad;
    bad.Str(L"far");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(11, DISPATCH_PROPERTYPUT, bad.Named({DISPID_PROPERTYPUT}), nullptr, &argErr));
    EXPECT_EQ(0u, argErr);
    float r = 0;
    ASSERT_EQ(S_OK, surface->get_Radius(&r));
    EXPECT_EQ(50.0f, r);
}

TEST_F(DispatchInvoke, MethodFlagsAreNotLookedAt) {
    Args range;
    range.I4(1).I4(2);
    EXPECT_EQ(S_OK, Call(3, DISPATCH_PROPERTYGET, range.Positional()));
    ExpectXRange(1.0f, 2.0f);
    Args again;
    again.I4(3).I4(4);
    EXPECT_EQ(S_OK, Call(3, 0, again.Positional()));
    ExpectXRange(3.0f, 4.0f);
}

TEST_F(DispatchInvoke, RiidAndLocaleAreNotLookedAt) {
    Args range;
    range.I4(1).I4(2);
    DISPPARAMS params = range.Positional();
    EXPECT_EQ(S_OK, surface->Invoke(3, IID_ISurface, 0x0407, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    ExpectXRange(1.0f, 2.0f);
}

TEST_F(DispatchInvoke, FailureFillsExceptionInfoFromTheThreadsErrorInfo) {
    ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(S_OK, CreateErrorInfo(create.put()));
    create->SetSource(const_cast<LPOLESTR>(L"Vexo.Surface"));
    create->SetDescription(const_cast<LPOLESTR>(L"no device"));
    create->SetHelpFile(const_cast<LPOLESTR>(L"vexo.hlp"));
    create->SetHelpContext(42);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, create.query_to(info));
    ASSERT_EQ(S_OK, SetErrorInfo(0, info.get()));

    // Refresh before the first draw fails for want of a device.
    EXCEPINFO excep;
    memset(&excep, 0xcc, sizeof(excep));
    Args none;
    EXPECT_EQ(E_FAIL, Call(8, DISPATCH_METHOD, none.Positional(), nullptr, nullptr, &excep));
    UniqueBstr source(excep.bstrSource), description(excep.bstrDescription), helpFile(excep.bstrHelpFile);
    EXPECT_EQ(E_FAIL, excep.scode);
    EXPECT_EQ(0, excep.wCode);
    EXPECT_STREQ(L"Vexo.Surface", source.get());
    EXPECT_STREQ(L"no device", description.get());
    EXPECT_STREQ(L"vexo.hlp", helpFile.get());
    EXPECT_EQ(42u, excep.dwHelpContext);
    EXPECT_EQ(nullptr, excep.pfnDeferredFillIn);

    // Without error information only the code is filled.
    memset(&excep, 0xcc, sizeof(excep));
    EXPECT_EQ(E_FAIL, Call(8, DISPATCH_METHOD, none.Positional(), nullptr, nullptr, &excep));
    EXPECT_EQ(E_FAIL, excep.scode);
    EXPECT_EQ(nullptr, excep.bstrSource);
    EXPECT_EQ(nullptr, excep.bstrDescription);
    EXPECT_EQ(0u, excep.dwHelpContext);
}

TEST_F(DispatchInvoke, RunScriptReturnsThePrintedText) {
    UniqueVariant result;
    Args script;
    script.Str(L"print('hi')");
    ASSERT_EQ(S_OK, Method(13, script, result.get()));
    EXPECT_EQ(VT_BSTR, result->vt);
    EXPECT_STREQ(L"hi\r\n", result->bstrVal);

    // The script still runs when the caller wants no result.
    Args sized;
    sized.Str(L"SetPointsPerXY(4, 5)");
    EXPECT_EQ(S_OK, Method(13, sized));
    LONG x = 0, y = 0;
    ASSERT_EQ(S_OK, surface->GetPointsPerXY(&x, &y));
    EXPECT_EQ(4, x);
    EXPECT_EQ(5, y);

    UINT argErr = 77;
    Args null;
    null.Null();
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Method(13, null, result.put(), &argErr));
    EXPECT_EQ(0u, argErr);
    EXPECT_EQ(VT_EMPTY, result->vt);
}

}  // namespace
