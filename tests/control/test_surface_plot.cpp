// ISurface2: the whole grid from one array, heights read back, and the
// switches of the surface's look, called as hosts call them: early bound,
// and late bound with the variants script engines pass.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "control/surface.h"

namespace {

using zorvel::ComPtr;
using zorvel::UniqueVariant;

// A two-dimensional array of `type`, heights(ix, iy) = 10 * ix + iy.
VARIANT Array(VARTYPE type, ULONG countX, ULONG countY, LONG lowX = 0, LONG lowY = 0) {
    SAFEARRAYBOUND bounds[2] = {{countX, lowX}, {countY, lowY}};
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | type;
    v.parray = SafeArrayCreate(type, 2, bounds);
    for (ULONG iy = 0; iy < countY; ++iy)
        for (ULONG ix = 0; ix < countX; ++ix) {
            LONG index[2] = {lowX + static_cast<LONG>(ix), lowY + static_cast<LONG>(iy)};
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_R8;
            value.dblVal = 10.0 * ix + iy;
            UniqueVariant converted;
            VariantChangeType(converted.get(), &value, 0, type == VT_VARIANT ? VT_R8 : type);
            // Variants are passed as such, BSTRs as themselves, numbers by address.
            void* element = type == VT_VARIANT ? static_cast<void*>(converted.get())
                            : type == VT_BSTR  ? static_cast<void*>(converted.get()->bstrVal)
                                               : static_cast<void*>(&converted.get()->lVal);
            SafeArrayPutElement(v.parray, index, element);
        }
    return v;
}

VARIANT Missing() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

VARIANT Number(double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

std::wstring ErrorDescription() {
    ComPtr<IErrorInfo> info;
    zorvel::UniqueBstr text;
    if (GetErrorInfo(0, info.put()) == S_OK && info) info->GetDescription(text.put());
    return text.get() ? text.get() : L"";
}

class SurfacePlot : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface2, plot.put_void())); }
    float Height(LONG ix, LONG iy) {
        float h = -1.0f;
        EXPECT_EQ(S_OK, plot->GetHeight(ix, iy, &h));
        return h;
    }
    void ExpectGrid(LONG countX, LONG countY) {
        LONG x = 0, y = 0;
        plot->GetPointsPerXY(&x, &y);
        EXPECT_EQ(countX, x);
        EXPECT_EQ(countY, y);
    }
    ComPtr<ISurface2> plot;
};

TEST_F(SurfacePlot, SetGridTakesEveryNumericArrayInItsShape) {
    for (VARTYPE type : {VT_R8, VT_R4, VT_I4, VT_I2, VT_VARIANT}) {
        VARIANT heights = Array(type, 7, 5, 1, -3);
        ASSERT_EQ(S_OK, plot->SetGrid(heights, Missing(), Missing(), Missing(), Missing())) << type;
        VariantClear(&heights);
        ExpectGrid(7, 5);
        EXPECT_EQ(0.0f, Height(0, 0));
        EXPECT_EQ(64.0f, Height(6, 4));  // heights(ix, iy): the first dimension along x
        EXPECT_EQ(31.0f, Height(3, 1));
    }
    // Ranges when given; the current ones when not.
    VARIANT heights = Array(VT_R8, 4, 3);
    ASSERT_EQ(S_OK, plot->SetGrid(heights, Number(0), Number(3), Number(-1), Number(1)));
    float low = 0, high = 0;
    plot->GetXRange(&low, &high);
    EXPECT_EQ(0.0f, low);
    EXPECT_EQ(3.0f, high);
    plot->GetYRange(&low, &high);
    EXPECT_EQ(-1.0f, low);
    EXPECT_EQ(1.0f, high);
    VariantClear(&heights);
}

TEST_F(SurfacePlot, RefusedArraysLeaveTheGridAsItWas) {
    VARIANT good = Array(VT_R8, 6, 6);
    ASSERT_EQ(S_OK, plot->SetGrid(good, Missing(), Missing(), Missing(), Missing()));
    VariantClear(&good);
    struct Case {
        VARIANT heights;
        HRESULT hr;
    };
    SAFEARRAYBOUND oneD = {20, 0};
    VARIANT vector;
    VariantInit(&vector);
    vector.vt = VT_ARRAY | VT_R8;
    vector.parray = SafeArrayCreate(VT_R8, 1, &oneD);
    VARIANT texts = Array(VT_VARIANT, 3, 3);
    VARIANT* element = nullptr;
    LONG index[2] = {1, 1};
    SafeArrayPtrOfIndex(texts.parray, index, reinterpret_cast<void**>(&element));
    VariantClear(element);
    element->vt = VT_BSTR;
    element->bstrVal = SysAllocString(L"x");
    const Case cases[] = {
        {Number(5), DISP_E_TYPEMISMATCH},           {vector, E_INVALIDARG},
        {Array(VT_R8, 200, 200), E_INVALIDARG},     {Array(VT_R8, 1, 3), E_INVALIDARG},
        {texts, DISP_E_TYPEMISMATCH},               {Array(VT_BSTR, 3, 3), DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.hr, plot->SetGrid(c.heights, Missing(), Missing(), Missing(), Missing()));
        EXPECT_NE(L"", ErrorDescription());
        VARIANT heights = c.heights;
        VariantClear(&heights);
        ExpectGrid(6, 6);
        EXPECT_EQ(55.0f, Height(5, 5));
    }
    VARIANT heights = Array(VT_R8, 3, 3);
    EXPECT_EQ(E_INVALIDARG, plot->SetGrid(heights, Number(2), Number(1), Missing(), Missing()));
    VARIANT word;
    VariantInit(&word);
    word.vt = VT_BSTR;
    word.bstrVal = SysAllocString(L"left");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, plot->SetGrid(heights, word, Missing(), Missing(), Missing()));
    VariantClear(&word);
    VariantClear(&heights);
    ExpectGrid(6, 6);
}

TEST_F(SurfacePlot, GetHeightFollowsSetDatasIndexRules) {
    ASSERT_EQ(S_OK, plot->SetPointsPerXY(4, 3));
    ASSERT_EQ(S_OK, plot->SetData(3, 2, 0.0f, 0.0f, 9.5f));
    EXPECT_EQ(9.5f, Height(3, 2));
    float h = 7.0f;
    for (POINT outside : {POINT{4, 0}, POINT{0, 3}, POINT{-1, 0}, POINT{0, -1}}) {
        EXPECT_EQ(1, plot->GetHeight(outside.x, outside.y, &h));
        EXPECT_EQ(0.0f, h);
    }
    EXPECT_EQ(E_POINTER, plot->GetHeight(0, 0, nullptr));
}

TEST_F(SurfacePlot, LookSwitchesStartOffAndRefuseUnknownMaps) {
    LONG map = -1;
    VARIANT_BOOL on = VARIANT_TRUE;
    EXPECT_EQ(S_OK, plot->get_ColorMap(&map));
    EXPECT_EQ(0, map);
    EXPECT_EQ(S_OK, plot->get_ShowLegend(&on));
    EXPECT_EQ(VARIANT_FALSE, on);
    EXPECT_EQ(S_OK, plot->get_FitHeights(&on));
    EXPECT_EQ(VARIANT_FALSE, on);
    for (LONG refused : {-1L, 3L, 1000L}) {
        EXPECT_EQ(E_INVALIDARG, plot->put_ColorMap(refused));
        EXPECT_NE(L"", ErrorDescription());
    }
    EXPECT_EQ(S_OK, plot->put_ColorMap(2));
    EXPECT_EQ(S_OK, plot->put_ShowLegend(VARIANT_TRUE));
    EXPECT_EQ(S_OK, plot->put_FitHeights(-5));  // any non-zero is on
    plot->get_ColorMap(&map);
    EXPECT_EQ(2, map);
    plot->get_ShowLegend(&on);
    EXPECT_EQ(VARIANT_TRUE, on);
    plot->get_FitHeights(&on);
    EXPECT_EQ(VARIANT_TRUE, on);
    EXPECT_EQ(E_POINTER, plot->get_ColorMap(nullptr));
}

TEST_F(SurfacePlot, AxesAndMouseSwitchesStartOffAndTitlesTakeThreeAxes) {
    VARIANT_BOOL on = VARIANT_TRUE;
    EXPECT_EQ(S_OK, plot->get_ShowAxes(&on));
    EXPECT_EQ(VARIANT_FALSE, on);
    on = VARIANT_TRUE;
    EXPECT_EQ(S_OK, plot->get_MouseNavigate(&on));
    EXPECT_EQ(VARIANT_FALSE, on);
    EXPECT_EQ(S_OK, plot->put_ShowAxes(3));  // any non-zero is on
    EXPECT_EQ(S_OK, plot->put_MouseNavigate(VARIANT_TRUE));
    plot->get_ShowAxes(&on);
    EXPECT_EQ(VARIANT_TRUE, on);
    plot->get_MouseNavigate(&on);
    EXPECT_EQ(VARIANT_TRUE, on);
    EXPECT_EQ(E_POINTER, plot->get_ShowAxes(nullptr));
    EXPECT_EQ(E_POINTER, plot->get_MouseNavigate(nullptr));

    const zorvel::Renderer& renderer = static_cast<CSurface*>(plot.get())->Renderer();
    zorvel::UniqueBstr height(SysAllocString(L"height (m)")), east(SysAllocString(L"east"));
    EXPECT_EQ(S_OK, plot->AxisTitle(2, height.get()));
    EXPECT_EQ(S_OK, plot->AxisTitle(0, east.get()));
    for (LONG refused : {-1L, 3L, 0x7FFFFFFFL}) {
        EXPECT_EQ(E_INVALIDARG, plot->AxisTitle(refused, east.get()));
        EXPECT_NE(L"", ErrorDescription());
    }
    EXPECT_EQ(L"east", renderer.AxisTitle(0));
    EXPECT_EQ(L"", renderer.AxisTitle(1));
    EXPECT_EQ(L"height (m)", renderer.AxisTitle(2));
    EXPECT_EQ(S_OK, plot->AxisTitle(0, nullptr));  // a null text, as an empty one, removes it
    EXPECT_EQ(L"", renderer.AxisTitle(0));
}

// As a script engine calls it: names, a variable holding an array passed by
// reference, optional arguments left out; unknown DISPIDs stay unknown.
TEST_F(SurfacePlot, LateBoundCallersReachTheNewMembers) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, plot->QueryInterface(IID_IDispatch, dispatch.put_void()));
    const wchar_t* names[] = {L"SetGrid",   L"GetHeight", L"colormap", L"ShowLegend",   L"FitHeights",
                              L"SaveImage", L"SHOWAXES",  L"AxisTitle", L"MouseNavigate"};
    const DISPID expected[] = {DISPID_SURFACE2_SETGRID,    DISPID_SURFACE2_GETHEIGHT, DISPID_SURFACE2_COLORMAP,
                               DISPID_SURFACE2_SHOWLEGEND, DISPID_SURFACE2_FITHEIGHTS, DISPID_SURFACE2_SAVEIMAGE,
                               DISPID_SURFACE2_SHOWAXES,   DISPID_SURFACE2_AXISTITLE, DISPID_SURFACE2_MOUSENAVIGATE};
    for (size_t i = 0; i < 9; ++i) {
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
        EXPECT_EQ(expected[i], id);
    }
    VARIANT variable = Array(VT_VARIANT, 5, 4);
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = &variable;
    DISPPARAMS one = {&reference, nullptr, 1, 0};
    EXPECT_EQ(S_OK, dispatch->Invoke(DISPID_SURFACE2_SETGRID, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr,
                                     nullptr, nullptr));
    VariantClear(&variable);
    ExpectGrid(5, 4);
    VARIANT at[2] = {Number(3), Number(4)};  // reversed: iy, then ix
    DISPPARAMS two = {at, nullptr, 2, 0};
    UniqueVariant result;
    EXPECT_EQ(S_OK, dispatch->Invoke(DISPID_SURFACE2_GETHEIGHT, IID_NULL, 0, DISPATCH_METHOD, &two,
                                     result.get(), nullptr, nullptr));
    EXPECT_EQ(VT_R4, result.get()->vt);
    EXPECT_EQ(43.0f, result.get()->fltVal);
    VARIANT six[6] = {Number(1), Number(1), Number(1), Number(1), Number(1), Number(1)};
    DISPPARAMS tooMany = {six, nullptr, 6, 0};
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, dispatch->Invoke(DISPID_SURFACE2_SETGRID, IID_NULL, 0, DISPATCH_METHOD,
                                                     &tooMany, nullptr, nullptr, nullptr));
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, dispatch->Invoke(DISPID_SURFACE2_SETGRID, IID_NULL, 0, DISPATCH_METHOD,
                                                     &none, nullptr, nullptr, nullptr));
    EXCEPINFO excep = {};
    VARIANT map = Number(7);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS refusedMap = {&map, &put, 1, 1};
    // With somewhere to put it, the refusal comes as an exception that
    // carries its code and description, as script engines want it; without,
    // as the code alone.
    EXPECT_EQ(DISP_E_EXCEPTION, dispatch->Invoke(DISPID_SURFACE2_COLORMAP, IID_NULL, 0, DISPATCH_PROPERTYPUT,
                                                 &refusedMap, nullptr, &excep, nullptr));
    EXPECT_EQ(E_INVALIDARG, excep.scode);
    EXPECT_STREQ(L"ColorMap takes 0 (one colour), 1 (sequential) or 2 (diverging)", excep.bstrDescription);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);
    EXPECT_EQ(E_INVALIDARG, dispatch->Invoke(DISPID_SURFACE2_COLORMAP, IID_NULL, 0, DISPATCH_PROPERTYPUT,
                                             &refusedMap, nullptr, nullptr, nullptr));

    // AxisTitle(axis, text) with the axis as a script's number; a put of the
    // switches with a script's boolean; their gets as VT_BOOL.
    VARIANT title[2];
    VariantInit(&title[0]);
    title[0].vt = VT_BSTR;
    title[0].bstrVal = SysAllocString(L"north");
    title[1] = Number(1);
    DISPPARAMS titleParams = {title, nullptr, 2, 0};
    EXPECT_EQ(S_OK, dispatch->Invoke(DISPID_SURFACE2_AXISTITLE, IID_NULL, 0, DISPATCH_METHOD, &titleParams, nullptr,
                                     nullptr, nullptr));
    EXPECT_EQ(L"north", static_cast<CSurface*>(plot.get())->Renderer().AxisTitle(1));
    title[1] = Number(5);
    EXCEPINFO refusedAxis = {};
    EXPECT_EQ(DISP_E_EXCEPTION, dispatch->Invoke(DISPID_SURFACE2_AXISTITLE, IID_NULL, 0, DISPATCH_METHOD,
                                                 &titleParams, nullptr, &refusedAxis, nullptr));
    EXPECT_EQ(E_INVALIDARG, refusedAxis.scode);
    EXPECT_NE(nullptr, refusedAxis.bstrDescription);
    SysFreeString(refusedAxis.bstrDescription);
    SysFreeString(refusedAxis.bstrSource);
    VariantClear(&title[0]);
    for (DISPID id : {DISPID_SURFACE2_SHOWAXES, DISPID_SURFACE2_MOUSENAVIGATE}) {
        VARIANT yes;
        VariantInit(&yes);
        yes.vt = VT_BOOL;
        yes.boolVal = VARIANT_TRUE;
        DISPPARAMS putParams = {&yes, &put, 1, 1};
        EXPECT_EQ(S_OK, dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &putParams, nullptr, nullptr, nullptr));
        UniqueVariant value;
        EXPECT_EQ(S_OK, dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.get(), nullptr, nullptr));
        EXPECT_EQ(VT_BOOL, value.get()->vt) << id;
        EXPECT_EQ(VARIANT_TRUE, value.get()->boolVal) << id;
    }
}

}  // namespace
