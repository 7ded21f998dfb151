// The view and the sizes: IViewObject, IViewObject2, IViewObjectEx, the
// extent of IOleObject and IQuickActivate.
#include <gtest/gtest.h>

#include <wincodec.h>

#include <vector>

#include "embed_container.h"

using embed_test::Calls;
using embed_test::Canvas;
using embed_test::Control;
using embed_test::Embedded;

TEST(EmbedView, ViewStatusIsOpaqueWithSolidBackground) {
    Control control;
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    DWORD status = 0xdeadbeef;
    EXPECT_EQ(S_OK, view->GetViewStatus(&status));
    EXPECT_EQ(3u, status);
    EXPECT_EQ(E_POINTER, view->GetViewStatus(nullptr));
}

TEST(EmbedView, HitPointIsInsideTheBoundsOrOutside) {
    Control control;
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    const RECT bounds = {10, 10, 110, 60};
    struct Case {
        POINT point;
        DWORD hit;
    };
    const Case cases[] = {
        {{10, 10}, HITRESULT_HIT},      {{50, 30}, HITRESULT_HIT},      {{109, 59}, HITRESULT_HIT},
        {{110, 30}, HITRESULT_OUTSIDE}, {{50, 60}, HITRESULT_OUTSIDE}, {{9, 30}, HITRESULT_OUTSIDE},
        {{-50, -50}, HITRESULT_OUTSIDE},
    };
    for (const Case& c : cases) {
        DWORD hit = 0xdeadbeef;
        EXPECT_EQ(S_OK, view->QueryHitPoint(DVASPECT_CONTENT, &bounds, c.point, 0, &hit));
        EXPECT_EQ(c.hit, hit) << c.point.x << "," << c.point.y;
    }
    DWORD hit = 0xdeadbeef;
    const POINT inside = {50, 30};
    EXPECT_EQ(E_FAIL, view->QueryHitPoint(DVASPECT_ICON, &bounds, inside, 0, &hit));
    EXPECT_EQ(static_cast<DWORD>(HITRESULT_OUTSIDE), hit);
    EXPECT_EQ(E_POINTER, view->QueryHitPoint(DVASPECT_CONTENT, &bounds, inside, 0, nullptr));
}

TEST(EmbedView, HitRectIsAHitOnlyWhenItOverlapsTheBounds) {
    Control control;
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    const RECT bounds = {10, 10, 110, 60};
    struct Case {
        RECT rect;
        DWORD hit;
    };
    const Case cases[] = {
        {{0, 0, 20, 20}, HITRESULT_HIT},         // corner overlap
        {{20, 20, 30, 30}, HITRESULT_HIT},       // inside
        {{0, 0, 200, 200}, HITRESULT_HIT},       // around
        {{110, 10, 150, 60}, HITRESULT_OUTSIDE}, // touches the right edge only
        {{200, 200, 300, 300}, HITRESULT_OUTSIDE},
        {{-30, -30, -10, -10}, HITRESULT_OUTSIDE},
    };
    for (const Case& c : cases) {
        DWORD hit = 0xdeadbeef;
        EXPECT_EQ(S_OK, view->QueryHitRect(DVASPECT_CONTENT, &bounds, &c.rect, 0, &hit));
        EXPECT_EQ(c.hit, hit) << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
    }
    DWORD hit = 0xdeadbeef;
    EXPECT_EQ(E_FAIL, view->QueryHitRect(DVASPECT_THUMBNAIL, &bounds, &bounds, 0, &hit));
    EXPECT_EQ(static_cast<DWORD>(HITRESULT_OUTSIDE), hit);
    EXPECT_EQ(E_POINTER, view->QueryHitRect(DVASPECT_CONTENT, &bounds, &bounds, 0, nullptr));
}

TEST(EmbedView, NaturalExtentIsFixedAndOnlyForContent) {
    Control control;
    SIZEL size = {100, 200};
    ASSERT_EQ(S_OK, control.As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &size));
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    DVEXTENTINFO info = {};
    info.cb = sizeof(info);
    info.dwExtentMode = DVEXTENT_CONTENT;
    SIZEL natural = {-1, -1};
    EXPECT_EQ(S_OK, view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &natural));
    EXPECT_EQ(5080, natural.cx);
    EXPECT_EQ(5080, natural.cy);

    info.dwExtentMode = DVEXTENT_INTEGRAL;
    EXPECT_EQ(E_FAIL, view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &natural));
    info.dwExtentMode = DVEXTENT_CONTENT;
    EXPECT_EQ(E_FAIL, view->GetNaturalExtent(DVASPECT_ICON, -1, nullptr, nullptr, &info, &natural));
    EXPECT_EQ(E_POINTER, view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &natural));
    EXPECT_EQ(E_POINTER, view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, nullptr));
}

TEST(EmbedView, ExtentStartsSquareAndFollowsSetExtentForContentOnly) {
    Control control;
    zorvel::ComPtr<IOleObject> object = control.As<IOleObject>();
    SIZEL size = {-1, -1};
    EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(5080, size.cx);
    EXPECT_EQ(5080, size.cy);
    EXPECT_EQ(E_FAIL, object->GetExtent(DVASPECT_ICON, &size));
    EXPECT_EQ(E_POINTER, object->GetExtent(DVASPECT_CONTENT, nullptr));

    SIZEL wanted = {2000, 1000};
    EXPECT_EQ(DV_E_DVASPECT, object->SetExtent(DVASPECT_ICON, &wanted));
    EXPECT_EQ(static_cast<HRESULT>(0x8004006B), object->SetExtent(DVASPECT_DOCPRINT, &wanted));
    EXPECT_EQ(E_POINTER, object->SetExtent(DVASPECT_CONTENT, nullptr));
    EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(5080, size.cx);
    EXPECT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &wanted));
    EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(2000, size.cx);
    EXPECT_EQ(1000, size.cy);

    // The view reports the same extent whatever aspect is asked.
    zorvel::ComPtr<IViewObject2> view = control.As<IViewObject2>();
    for (DWORD aspect : {DVASPECT_CONTENT, DVASPECT_ICON, DVASPECT_THUMBNAIL}) {
        SIZEL viewSize = {-1, -1};
        EXPECT_EQ(S_OK, view->GetExtent(aspect, -1, nullptr, &viewSize)) << aspect;
        EXPECT_EQ(2000, viewSize.cx);
        EXPECT_EQ(1000, viewSize.cy);
    }
    EXPECT_EQ(E_POINTER, view->GetExtent(DVASPECT_CONTENT, -1, nullptr, nullptr));

    // Quick activation's extent is the same one.
    zorvel::ComPtr<IQuickActivate> quick = control.As<IQuickActivate>();
    SIZEL content = {-1, -1};
    EXPECT_EQ(S_OK, quick->GetContentExtent(&content));
    EXPECT_EQ(2000, content.cx);
    SIZEL other = {300, 400};
    EXPECT_EQ(S_OK, quick->SetContentExtent(&other));
    EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(300, size.cx);
    EXPECT_EQ(400, size.cy);
    EXPECT_EQ(E_POINTER, quick->SetContentExtent(nullptr));
    EXPECT_EQ(E_POINTER, quick->GetContentExtent(nullptr));
}

TEST(EmbedView, SizingSendsNoNotifications) {
    Embedded e;
    DWORD connection = 0;
    ASSERT_EQ(S_OK, e.object->Advise(e.container.sink, &connection));
    ASSERT_EQ(S_OK, e.control.As<IViewObject>()->SetAdvise(DVASPECT_CONTENT, 0, e.container.sink));
    SIZEL size = {1, 2};
    EXPECT_EQ(S_OK, e.object->SetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(Calls{}, e.Take());
}

TEST(EmbedView, AdviseSinkIsKeptWithItsAspectsAndFlags) {
    embed_test::TestContainer container;
    {
        Control control;
        zorvel::ComPtr<IViewObject2> view = control.As<IViewObject2>();
        DWORD aspects = 0xdead, flags = 0xbeef;
        zorvel::ComPtr<IAdviseSink> sink;
        EXPECT_EQ(S_OK, view->GetAdvise(&aspects, &flags, sink.put()));
        EXPECT_EQ(0u, aspects);
        EXPECT_EQ(0u, flags);
        EXPECT_FALSE(sink);

        EXPECT_EQ(S_OK, view->SetAdvise(DVASPECT_CONTENT | DVASPECT_ICON, ADVF_PRIMEFIRST, container.sink));
        EXPECT_EQ(2, container.sink->Refs());
        EXPECT_EQ(S_OK, view->GetAdvise(&aspects, &flags, sink.put()));
        EXPECT_EQ(static_cast<DWORD>(DVASPECT_CONTENT | DVASPECT_ICON), aspects);
        EXPECT_EQ(static_cast<DWORD>(ADVF_PRIMEFIRST), flags);
        EXPECT_EQ(static_cast<IAdviseSink*>(container.sink), sink.get());
        sink.reset();
        // Every out-parameter may be left out.
        EXPECT_EQ(S_OK, view->GetAdvise(nullptr, nullptr, nullptr));

        EXPECT_EQ(S_OK, view->SetAdvise(DVASPECT_CONTENT, 0, nullptr));
        EXPECT_EQ(1, container.sink->Refs());
        EXPECT_EQ(Calls{}, container.log.Take());
    }
}

TEST(EmbedView, UnsupportedViewOperations) {
    Control control;
    zorvel::ComPtr<IViewObjectEx> view = control.As<IViewObjectEx>();
    LOGPALETTE* palette = nullptr;
    EXPECT_EQ(E_NOTIMPL, view->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &palette));
    DWORD freeze = 0;
    EXPECT_EQ(E_NOTIMPL, view->Freeze(DVASPECT_CONTENT, -1, nullptr, &freeze));
    EXPECT_EQ(E_NOTIMPL, view->Unfreeze(freeze));
    RECTL rect = {};
    EXPECT_EQ(E_NOTIMPL, view->GetRect(DVASPECT_CONTENT, &rect));
}

HRESULT DrawInto(IViewObject* view, HDC dc, const RECTL& bounds, const RECTL* windowBounds = nullptr,
                 DWORD aspect = DVASPECT_CONTENT) {
    return view->Draw(aspect, -1, nullptr, nullptr, nullptr, dc, &bounds, windowBounds, nullptr, 0);
}

// A control that was never shown draws what its first draw would show, into
// a bitmap, an enhanced metafile and a metafile standing for a printer's, and
// keeps no device afterwards; an aspect it does not draw leaves the target
// as it was.
TEST(EmbedView, NeverShownControlDrawsItsPictureIntoAnyContext) {
    Control control;
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    Canvas canvas(160, 120);
    ASSERT_EQ(S_OK, DrawInto(view.get(), canvas.dc(), canvas.Bounds()));
    canvas.ExpectSurfacePicture();

    Canvas untouched(32, 32);
    EXPECT_EQ(DV_E_DVASPECT, DrawInto(view.get(), untouched.dc(), untouched.Bounds(), nullptr, DVASPECT_ICON));
    EXPECT_EQ(32u * 32u, untouched.Count(Canvas::kFill));

    HDC recording = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(S_OK, DrawInto(view.get(), recording, canvas.Bounds()));
    HENHMETAFILE enhanced = CloseEnhMetaFile(recording);
    Canvas played(160, 120);
    const RECT whole = {0, 0, 160, 120};
    ASSERT_TRUE(PlayEnhMetaFile(played.dc(), enhanced, &whole));
    DeleteEnhMetaFile(enhanced);
    played.ExpectSurfacePicture();

    // Printing containers hand over a metafile with its window rectangle.
    HDC printing = CreateMetaFileW(nullptr);
    SetWindowExtEx(printing, 160, 120, nullptr);
    const RECTL window = {0, 0, 160, 120};
    ASSERT_EQ(S_OK, DrawInto(view.get(), printing, canvas.Bounds(), &window));
    HMETAFILE metafile = CloseMetaFile(printing);
    Canvas printed(160, 120);
    ASSERT_TRUE(PlayMetaFile(printed.dc(), metafile));
    DeleteMetaFile(metafile);
    printed.ExpectSurfacePicture();

    EXPECT_EQ(nullptr, control.surface->Renderer().Device());
    EXPECT_FALSE(control.surface->Renderer().DeviceReady());
}

// Without Direct3D there is no picture: an error, and the target as it was.
TEST(EmbedView, DrawWithoutDirect3DFailsAndLeavesTheTargetAlone) {
    Control control;
    control.surface->Renderer().UseDirect3D(nullptr);
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    Canvas canvas(64, 48);
    EXPECT_EQ(E_FAIL, DrawInto(view.get(), canvas.dc(), canvas.Bounds()));
    EXPECT_EQ(64u * 48u, canvas.Count(Canvas::kFill));
    STGMEDIUM medium = {};
    FORMATETC format = {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(E_FAIL, control.As<IDataObject>()->GetData(&format, &medium));
    EXPECT_EQ(nullptr, medium.hGlobal);
}

// Data set and kept by Refresh before the first draw is in the picture.
TEST(EmbedView, PictureFollowsTheDataAfterRefresh) {
    Control control;
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    Canvas before(120, 120);
    ASSERT_EQ(S_OK, DrawInto(view.get(), before.dc(), before.Bounds()));
    ISurface* surface = control.surface;
    ASSERT_EQ(S_OK, surface->SetPointsPerXY(20, 20));
    for (LONG i = 0; i < 20; ++i) ASSERT_EQ(S_OK, surface->SetData(i, i, 0.0f, 0.0f, 8.0f));
    surface->Refresh();  // no device yet: it fails, and keeps the data for the first draw
    Canvas after(120, 120);
    ASSERT_EQ(S_OK, DrawInto(view.get(), after.dc(), after.Bounds()));
    size_t changed = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) changed += before.At(x, y) != after.At(x, y);
    EXPECT_GT(changed, 500u);
}

// An active control's picture is its window's frame, at any size; the
// window goes on drawing afterwards.
TEST(EmbedView, ActiveControlDrawsItsFrameIntoABitmapAndKeepsDrawing) {
    Embedded e;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    CSurface& surface = *e.control.surface;
    embed_test::PumpMessages(5000, [&] { return surface.Renderer().DeviceReady() != FALSE; });
    ASSERT_TRUE(surface.Renderer().DeviceReady());
    embed_test::Frame frame;
    ASSERT_EQ(S_OK, embed_test::ReadFrame(surface, frame));
    zorvel::ComPtr<IViewObject> view = e.control.As<IViewObject>();
    Canvas canvas(static_cast<int>(frame.width), static_cast<int>(frame.height));
    ASSERT_EQ(S_OK, DrawInto(view.get(), canvas.dc(), canvas.Bounds()));
    canvas.ExpectSurfacePicture();
    size_t different = 0;
    for (UINT y = 0; y < frame.height; ++y)
        for (UINT x = 0; x < frame.width; ++x)
            different += canvas.At(static_cast<int>(x), static_cast<int>(y)) != frame.pixels[y * frame.width + x];
    EXPECT_EQ(0u, different);

    ASSERT_EQ(S_OK, static_cast<ISurface*>(&surface)->put_XYRotate(1));
    LRESULT result = 0;
    surface.Renderer().HandleMessage(WM_TIMER, surface.Renderer().TimerId(), 0, result);
    embed_test::Frame turned;
    ASSERT_EQ(S_OK, embed_test::ReadFrame(surface, turned));
    EXPECT_NE(frame.pixels, turned.pixels);
    EXPECT_TRUE(surface.Renderer().DeviceReady());
}

TEST(EmbedView, DrawOfAnActiveControlStartsTheRenderer) {
    Embedded e;
    ASSERT_EQ(S_OK, e.DoVerb(OLEIVERB_INPLACEACTIVATE));
    ValidateRect(e.Window(), nullptr);  // no paint gets there first
    ASSERT_FALSE(e.control.surface->Renderer().DeviceReady());
    zorvel::ComPtr<IViewObject> view = e.control.As<IViewObject>();
    // Asked to draw into its own window, the control paints its frame there.
    HDC dc = GetDC(e.Window());
    const RECTL bounds = {0, 0, 10, 10};
    EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
    ReleaseDC(e.Window(), dc);
    EXPECT_TRUE(e.control.surface->Renderer().DeviceReady());
    EXPECT_EQ(e.Window(), embed_test::DeviceWindow(*e.control.surface));
}

// ISurface2's looks in the picture.  A ramp along y: heights(ix, iy) =
// base + iy / 4.  The camera looks along -x with +y to the left, so the high side of
// the ramp is on the left of the picture and the low side on the right.
namespace {

zorvel::ComPtr<ISurface2> RampControl(Control& control, double base) {
    zorvel::ComPtr<ISurface2> plot = control.As<ISurface2>();
    SAFEARRAYBOUND bounds[2] = {{20, 0}, {20, 0}};
    VARIANT heights;
    VariantInit(&heights);
    heights.vt = VT_ARRAY | VT_R8;
    heights.parray = SafeArrayCreate(VT_R8, 2, bounds);
    double* data = nullptr;
    SafeArrayAccessData(heights.parray, reinterpret_cast<void**>(&data));
    for (int i = 0; i < 400; ++i) data[i] = base + (i / 20) / 4.0;
    SafeArrayUnaccessData(heights.parray);
    VARIANT missing;
    VariantInit(&missing);
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(S_OK, plot->SetGrid(heights, missing, missing, missing, missing));
    VariantClear(&heights);
    return plot;
}

int Red(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
int Green(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(uint32_t c) { return static_cast<int>(c & 0xFF); }

size_t Lit(const Canvas& canvas, int width, int height) {
    size_t lit = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) lit += canvas.At(x, y) != 0;
    return lit;
}

}  // namespace

TEST(EmbedView, ColourMapsColourByHeightAndTheDefaultLookComesBack) {
    Control control;
    zorvel::ComPtr<ISurface2> plot = RampControl(control, 0.0);
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    Canvas plain(200, 200), sequential(200, 200), diverging(200, 200), again(200, 200);
    ASSERT_EQ(S_OK, DrawInto(view.get(), plain.dc(), plain.Bounds()));
    ASSERT_EQ(S_OK, plot->put_ColorMap(1));
    ASSERT_EQ(S_OK, DrawInto(view.get(), sequential.dc(), sequential.Bounds()));
    ASSERT_EQ(S_OK, plot->put_ColorMap(2));
    ASSERT_EQ(S_OK, DrawInto(view.get(), diverging.dc(), diverging.Bounds()));
    ASSERT_EQ(S_OK, plot->put_ColorMap(0));
    ASSERT_EQ(S_OK, DrawInto(view.get(), again.dc(), again.Bounds()));

    // The sequential map runs from violet-blue (low) to yellow (high).
    const uint32_t high = sequential.At(50, 100), low = sequential.At(145, 100);
    EXPECT_GT(Red(high), Blue(high)) << std::hex << high;
    EXPECT_GT(Green(high), Blue(high)) << std::hex << high;
    EXPECT_GT(Blue(low), Green(low)) << std::hex << low;
    // The diverging map from blue (low) to red (high).
    EXPECT_GT(Red(diverging.At(50, 100)), Blue(diverging.At(50, 100)));
    EXPECT_GT(Blue(diverging.At(145, 100)), Red(diverging.At(145, 100)));
    // One colour again is exactly the picture of before.
    size_t different = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) different += plain.At(x, y) != again.At(x, y);
    EXPECT_EQ(0u, different);
}

TEST(EmbedView, LegendShowsTheHeightRangeBesideTheSurface) {
    Control control;
    zorvel::ComPtr<ISurface2> plot = RampControl(control, -4.0);
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    ASSERT_EQ(S_OK, plot->put_ColorMap(1));
    Canvas without(200, 200), with(200, 200);
    ASSERT_EQ(S_OK, DrawInto(view.get(), without.dc(), without.Bounds()));
    ASSERT_EQ(S_OK, plot->put_ShowLegend(VARIANT_TRUE));
    ASSERT_EQ(S_OK, DrawInto(view.get(), with.dc(), with.Bounds()));
    EXPECT_EQ(L"-4", control.surface->Renderer().LegendLow());
    EXPECT_EQ(L"0.75", control.surface->Renderer().LegendHigh());
    // The bar at the right edge: the map's high end at its top, low at its bottom.
    const uint32_t top = with.At(183, 32), bottom = with.At(183, 168);
    EXPECT_EQ(0u, without.At(183, 32));
    EXPECT_GT(Red(top), Blue(top)) << std::hex << top;
    EXPECT_GT(Blue(bottom), Green(bottom)) << std::hex << bottom;
    // The labels beside it: white letters left of the bar.
    size_t white = 0;
    for (int y = 20; y < 180; ++y)
        for (int x = 120; x < 178; ++x) white += with.At(x, y) == 0x00FFFFFFu;
    EXPECT_GT(white, 10u);
}

TEST(EmbedView, FittedHeightsFillTheView) {
    Control control;
    zorvel::ComPtr<ISurface2> plot = RampControl(control, 1000.0);
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    Canvas raw(160, 160), fitted(160, 160);
    ASSERT_EQ(S_OK, DrawInto(view.get(), raw.dc(), raw.Bounds()));
    ASSERT_EQ(S_OK, plot->put_FitHeights(VARIANT_TRUE));
    ASSERT_EQ(S_OK, DrawInto(view.get(), fitted.dc(), fitted.Bounds()));
    EXPECT_LT(Lit(raw, 160, 160), 160u * 160u / 100);
    EXPECT_GT(Lit(fitted, 160, 160), 160u * 160u / 6);
}

// The file decodes to the picture Draw gives at the same size.
TEST(EmbedView, SaveImageWritesThePictureAsPng) {
    Control control;
    zorvel::ComPtr<ISurface2> plot = RampControl(control, 0.0);
    ASSERT_EQ(S_OK, plot->put_ColorMap(2));
    wchar_t directory[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    GetTempFileNameW(directory, L"png", 0, path);
    zorvel::UniqueBstr name(SysAllocString(path));
    VARIANT width, height;
    VariantInit(&width);
    VariantInit(&height);
    width.vt = height.vt = VT_I4;
    width.lVal = 160;
    height.lVal = 120;
    ASSERT_EQ(S_OK, plot->SaveImage(name.get(), width, height));

    zorvel::ComPtr<IWICImagingFactory> factory;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IWICImagingFactory, factory.put_void()));
    zorvel::ComPtr<IWICBitmapDecoder> decoder;
    ASSERT_EQ(S_OK, factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                                       WICDecodeMetadataCacheOnDemand, decoder.put()));
    zorvel::ComPtr<IWICBitmapFrameDecode> frame;
    ASSERT_EQ(S_OK, decoder->GetFrame(0, frame.put()));
    zorvel::ComPtr<IWICFormatConverter> converter;
    ASSERT_EQ(S_OK, factory->CreateFormatConverter(converter.put()));
    ASSERT_EQ(S_OK, converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                          nullptr, 0.0, WICBitmapPaletteTypeCustom));
    UINT w = 0, h = 0;
    converter->GetSize(&w, &h);
    ASSERT_EQ(160u, w);
    ASSERT_EQ(120u, h);
    std::vector<uint32_t> pixels(160 * 120);
    ASSERT_EQ(S_OK, converter->CopyPixels(nullptr, 160 * 4, static_cast<UINT>(pixels.size() * 4),
                                          reinterpret_cast<BYTE*>(pixels.data())));
    frame.reset();
    decoder.reset();
    DeleteFileW(path);

    Canvas canvas(160, 120);
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    ASSERT_EQ(S_OK, DrawInto(view.get(), canvas.dc(), canvas.Bounds()));
    size_t different = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) different += (pixels[y * 160 + x] & 0x00FFFFFFu) != canvas.At(x, y);
    EXPECT_EQ(0u, different);
    zorvel::UniqueBstr nowhere(SysAllocString(L"Z:\\no such folder\\x.png"));
    EXPECT_FALSE(SUCCEEDED(plot->SaveImage(nowhere.get(), width, height)));
    EXPECT_EQ(E_INVALIDARG, plot->SaveImage(nullptr, width, height));
}

// The axes in a picture of a control never shown: the numbers are the real
// heights of fitted ones, at the ticks' places; a title comes with its text
// and goes with an empty one.
TEST(EmbedView, AxesNumberTheRealHeightsOfFittedOnes) {
    Control control;
    zorvel::ComPtr<ISurface2> plot = RampControl(control, 1000.0);
    zorvel::ComPtr<IViewObject> view = control.As<IViewObject>();
    ASSERT_EQ(S_OK, plot->put_FitHeights(VARIANT_TRUE));
    Canvas plain(200, 200), axes(200, 200), titled(200, 200), untitled(200, 200);
    ASSERT_EQ(S_OK, DrawInto(view.get(), plain.dc(), plain.Bounds()));
    ASSERT_EQ(S_OK, plot->put_ShowAxes(VARIANT_TRUE));
    ASSERT_EQ(S_OK, DrawInto(view.get(), axes.dc(), axes.Bounds()));
    zorvel::UniqueBstr title(SysAllocString(L"depth"));
    ASSERT_EQ(S_OK, plot->AxisTitle(2, title.get()));
    ASSERT_EQ(S_OK, DrawInto(view.get(), titled.dc(), titled.Bounds()));
    ASSERT_EQ(S_OK, plot->AxisTitle(2, nullptr));
    ASSERT_EQ(S_OK, DrawInto(view.get(), untitled.dc(), untitled.Bounds()));

    const zorvel::Renderer& renderer = control.surface->Renderer();
    EXPECT_EQ((std::vector<std::wstring>{L"1000", L"1001", L"1002", L"1003", L"1004"}), renderer.AxisNumbers(2));
    zorvel::AxesLayout layout;
    ASSERT_TRUE(renderer.LayOutAxesFor(200, 200, &layout));
    auto whiteNear = [](const Canvas& canvas, const zorvel::LabelSpot& spot, int reach) {
        size_t white = 0;
        const int cx = static_cast<int>(spot.x + spot.dx * 8.0f), cy = static_cast<int>(spot.y + spot.dy * 8.0f);
        for (int y = cy - reach; y <= cy + reach; ++y)
            for (int x = cx - reach; x <= cx + reach; ++x)
                if (x >= 0 && y >= 0 && x < 200 && y < 200) white += canvas.At(x, y) == 0x00FFFFFFu;
        return white;
    };
    // The lowest and the highest height's numbers: at the fitted box's bottom
    // and top, where the picture without axes has no white.
    for (int i : {0, 4}) {
        ASSERT_TRUE(layout.numbers[2][i].visible);
        EXPECT_GT(whiteNear(axes, layout.numbers[2][i], 6), 0u) << i;
        EXPECT_EQ(0u, whiteNear(plain, layout.numbers[2][i], 6)) << i;
    }
    EXPECT_GT(layout.numbers[2][0].y, layout.numbers[2][4].y + 20.0f);  // the fitted span is tall
    // The title beyond the numbers; removed, the picture is the one without it.
    size_t titleWhite = 0, back = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            titleWhite += titled.At(x, y) == 0x00FFFFFFu && axes.At(x, y) != 0x00FFFFFFu;
            back += untitled.At(x, y) != axes.At(x, y);
        }
    EXPECT_GT(titleWhite, 10u);
    EXPECT_EQ(0u, back);
}
