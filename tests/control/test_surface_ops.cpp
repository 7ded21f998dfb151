// The ISurface operations of a control that has never been drawn: status
// codes, what each call changes and what it leaves alone.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "control/surface.h"
#include "server/module.h"

using zorvel::ComPtr;

namespace {

class SurfaceOps : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, surface.put_void()));
        control = static_cast<CSurface*>(surface.get());
    }

    ComPtr<ISurface> surface;
    CSurface* control = nullptr;
};

TEST_F(SurfaceOps, NewControlHasItsDefaults) {
    LONG nx = -1, ny = -1;
    EXPECT_EQ(S_OK, surface->GetPointsPerXY(&nx, &ny));
    EXPECT_EQ(0, nx);
    EXPECT_EQ(0, ny);

    float lo = 0, hi = 0;
    EXPECT_EQ(S_OK, surface->GetXRange(&lo, &hi));
    EXPECT_EQ(-10.0f, lo);
    EXPECT_EQ(10.0f, hi);
    EXPECT_EQ(S_OK, surface->GetYRange(&lo, &hi));
    EXPECT_EQ(-10.0f, lo);
    EXPECT_EQ(10.0f, hi);

    LONG flag = -1;
    EXPECT_EQ(S_OK, surface->get_XYRotate(&flag));
    EXPECT_EQ(0, flag);
    EXPECT_EQ(S_OK, surface->get_ZRotate(&flag));
    EXPECT_EQ(0, flag);

    float radius = 0;
    EXPECT_EQ(S_OK, surface->get_Radius(&radius));
    EXPECT_EQ(50.0f, radius);
    EXPECT_EQ(nullptr, control->Renderer().Device());
    EXPECT_EQ(0u, control->Renderer().TimerId());
}

TEST_F(SurfaceOps, PointCountProductMustLieBetween4And30000) {
    EXPECT_EQ(S_OK, surface->SetPointPerXY(2, 2));
    EXPECT_EQ(2u, control->Grid().CountX());
    EXPECT_EQ(S_OK, surface->SetPointPerXY(100, 300));
    EXPECT_EQ(100u, control->Grid().CountX());
    EXPECT_EQ(300u, control->Grid().CountY());

    EXPECT_EQ(1, surface->SetPointPerXY(1, 3));
    EXPECT_EQ(1, surface->SetPointPerXY(101, 300));
    EXPECT_EQ(1, surface->SetPointPerXY(-2, 3));
    LONG nx = 0, ny = 0;
    surface->GetPointsPerXY(&nx, &ny);
    EXPECT_EQ(100, nx);
    EXPECT_EQ(300, ny);
}

TEST_F(SurfaceOps, OneColumnGridIsAccepted) {
    EXPECT_EQ(S_OK, surface->SetPointPerXY(1, 4));
    LONG nx = 0, ny = 0;
    surface->GetPointsPerXY(&nx, &ny);
    EXPECT_EQ(1, nx);
    EXPECT_EQ(4, ny);
    // A single point per row sits at the range's lower end.
    EXPECT_EQ(-10.0f, control->Grid().XValues()[0]);
}

TEST_F(SurfaceOps, WrappingProductIsTestedAfterTheWrap) {
    // 65536 * 65537 wraps to 65536: refused like any product above 30000.
    EXPECT_EQ(1, surface->SetPointPerXY(65536, 65537));
    // 65536 * 65536 wraps to 0: refused as below 4.
    EXPECT_EQ(1, surface->SetPointPerXY(65536, 65536));
    // -1 * -100 is 100 and passes the rule, but the counts cannot be allocated:
    // the call still succeeds and the grid is left without arrays, refusing points.
    EXPECT_EQ(S_OK, surface->SetPointPerXY(-1, -100));
    EXPECT_FALSE(control->Grid().HasArrays());
    EXPECT_EQ(1, surface->SetData(0, 0, 1.0f, 1.0f, 1.0f));
    // The next good size brings the grid back.
    EXPECT_EQ(S_OK, surface->SetPointPerXY(3, 3));
    EXPECT_TRUE(control->Grid().HasArrays());
    EXPECT_EQ(S_OK, surface->SetData(2, 2, 1.0f, 1.0f, 1.0f));
}

TEST_F(SurfaceOps, SetPointsPerXYIsTheSameOperation) {
    EXPECT_EQ(S_OK, surface->SetPointsPerXY(20, 50));
    LONG nx = 0, ny = 0;
    surface->GetPointsPerXY(&nx, &ny);
    EXPECT_EQ(20, nx);
    EXPECT_EQ(50, ny);
    EXPECT_EQ(1, surface->SetPointsPerXY(1, 3));
}

TEST_F(SurfaceOps, ResizingDiscardsTheData) {
    ASSERT_EQ(S_OK, surface->SetPointPerXY(20, 50));
    ASSERT_EQ(S_OK, surface->SetData(19, 49, 1.5f, -2.5f, 7.0f));
    EXPECT_EQ(7.0f, control->Grid().Heights()[999]);
    ASSERT_EQ(S_OK, surface->SetPointPerXY(20, 50));
    EXPECT_EQ(0.0f, control->Grid().Heights()[999]);
    EXPECT_EQ(10.0f, control->Grid().XValues()[19]);
}

TEST_F(SurfaceOps, RangesAreRefusedUnlessMaxIsAboveMin) {
    EXPECT_EQ(1, surface->SetXRange(5.0f, 5.0f));
    EXPECT_EQ(1, surface->SetXRange(4.0f, 3.0f));
    EXPECT_EQ(1, surface->SetYRange(0.0f, -1.0f));
    float lo = 0, hi = 0;
    surface->GetXRange(&lo, &hi);
    EXPECT_EQ(-10.0f, lo);
    EXPECT_EQ(10.0f, hi);

    EXPECT_EQ(S_OK, surface->SetXRange(-5.0f, 5.0f));
    EXPECT_EQ(S_OK, surface->SetYRange(0.0f, 100.0f));
    surface->GetXRange(&lo, &hi);
    EXPECT_EQ(-5.0f, lo);
    EXPECT_EQ(5.0f, hi);
    surface->GetYRange(&lo, &hi);
    EXPECT_EQ(0.0f, lo);
    EXPECT_EQ(100.0f, hi);
}

TEST_F(SurfaceOps, RangeBeforeSizingIsSpreadByTheLaterResize) {
    ASSERT_EQ(S_OK, surface->SetXRange(-5.0f, 5.0f));
    ASSERT_EQ(S_OK, surface->SetPointPerXY(11, 3));
    const float* xs = control->Grid().XValues();
    EXPECT_EQ(-5.0f, xs[0]);
    EXPECT_EQ(0.0f, xs[5]);
    EXPECT_EQ(5.0f, xs[10]);
}

TEST_F(SurfaceOps, RangeKeepsHeightsAndRespreadsItsAxis) {
    ASSERT_EQ(S_OK, surface->SetPointPerXY(3, 3));
    ASSERT_EQ(S_OK, surface->SetData(1, 1, 42.0f, 43.0f, 9.0f));
    EXPECT_EQ(42.0f, control->Grid().XValues()[1]);
    ASSERT_EQ(S_OK, surface->SetXRange(0.0f, 2.0f));
    EXPECT_EQ(1.0f, control->Grid().XValues()[1]);
    EXPECT_EQ(43.0f, control->Grid().YValues()[1]);
    EXPECT_EQ(9.0f, control->Grid().Heights()[4]);
}

TEST_F(SurfaceOps, NaNRangeBoundPassesTheTest) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(S_OK, surface->SetXRange(nan, 1.0f));
    float lo = 0, hi = 0;
    surface->GetXRange(&lo, &hi);
    EXPECT_TRUE(std::isnan(lo));
    EXPECT_EQ(1.0f, hi);
}

TEST_F(SurfaceOps, SetDataWritesInsideTheGridOnly) {
    EXPECT_EQ(1, surface->SetData(0, 0, 0.0f, 0.0f, 1.0f));  // never sized
    ASSERT_EQ(S_OK, surface->SetPointPerXY(20, 50));
    EXPECT_EQ(S_OK, surface->SetData(19, 49, 1.5f, -2.5f, 7.0f));
    const CSurfaceGrid* grid = &control->Grid();
    EXPECT_EQ(7.0f, grid->Heights()[19 + 49 * 20]);
    EXPECT_EQ(1.5f, grid->XValues()[19]);
    EXPECT_EQ(-2.5f, grid->YValues()[49]);

    EXPECT_EQ(1, surface->SetData(20, 0, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(1, surface->SetData(0, 50, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(1, surface->SetData(-1, 0, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(1, surface->SetData(0, -1, 0.0f, 0.0f, 1.0f));
}

TEST_F(SurfaceOps, RotationFlagsAreZeroOrOne) {
    EXPECT_EQ(S_OK, surface->put_XYRotate(7));
    LONG v = 0;
    surface->get_XYRotate(&v);
    EXPECT_EQ(1, v);
    EXPECT_EQ(S_OK, surface->put_XYRotate(0));
    surface->get_XYRotate(&v);
    EXPECT_EQ(0, v);
    EXPECT_EQ(S_OK, surface->put_ZRotate(-1));
    surface->get_ZRotate(&v);
    EXPECT_EQ(1, v);
}

TEST_F(SurfaceOps, RadiusIgnoresValuesNotAboveZeroAndInfinity) {
    float r = 0;
    for (float bad : {0.0f, -3.0f, -5.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(S_OK, surface->put_Radius(bad));
        surface->get_Radius(&r);
        EXPECT_EQ(50.0f, r);
    }
    EXPECT_NEAR(35.355339f, control->Renderer().Eye().x, 1e-5f);
}

TEST_F(SurfaceOps, RadiusMovesTheEyeWithoutADevice) {
    EXPECT_EQ(S_OK, surface->put_Radius(80.0f));
    float r = 0;
    surface->get_Radius(&r);
    EXPECT_EQ(80.0f, r);
    EXPECT_NEAR(56.568542f, control->Renderer().Eye().x, 1e-4f);
    EXPECT_NEAR(0.0f, control->Renderer().Eye().y, 1e-6f);
    EXPECT_NEAR(56.568542f, control->Renderer().Eye().z, 1e-4f);
}

TEST_F(SurfaceOps, EyeStartsOnTheSphere) {
    EXPECT_NEAR(35.355339f, control->Renderer().Eye().x, 1e-5f);
    EXPECT_EQ(0.0f, control->Renderer().Eye().y);
    EXPECT_NEAR(35.355339f, control->Renderer().Eye().z, 1e-5f);
}

TEST_F(SurfaceOps, TimerTicksTurnOnlyWhileARotationIsOn) {
    control->Renderer().OnTimer();
    EXPECT_EQ(0.0f, control->Renderer().Azimuth());
    EXPECT_EQ(45.0f, control->Renderer().Elevation());

    surface->put_XYRotate(1);
    control->Renderer().OnTimer();  // any timer id turns the camera
    EXPECT_EQ(-2.0f, control->Renderer().Azimuth());
    EXPECT_EQ(45.0f, control->Renderer().Elevation());
    EXPECT_NEAR(35.33380f, control->Renderer().Eye().x, 1e-4f);
    EXPECT_NEAR(-1.23388f, control->Renderer().Eye().y, 1e-4f);
    EXPECT_NEAR(35.35534f, control->Renderer().Eye().z, 1e-4f);

    surface->put_ZRotate(1);
    control->Renderer().OnTimer();
    EXPECT_EQ(-4.0f, control->Renderer().Azimuth());
    EXPECT_EQ(43.0f, control->Renderer().Elevation());
}

TEST_F(SurfaceOps, RefreshBeforeTheFirstDrawFails) {
    EXPECT_EQ(E_FAIL, surface->Refresh());
    EXPECT_EQ(nullptr, control->Renderer().Device());
}

TEST_F(SurfaceOps, OnlyISurfaceSupportsErrorInfo) {
    ComPtr<ISupportErrorInfo> info;
    ASSERT_EQ(S_OK, surface->QueryInterface(IID_ISupportErrorInfo, info.put_void()));
    EXPECT_EQ(S_OK, info->InterfaceSupportsErrorInfo(IID_ISurface));
    EXPECT_EQ(S_FALSE, info->InterfaceSupportsErrorInfo(IID_IDispatch));
}

TEST(SurfaceLifetime, EachControlHoldsOneModuleLock) {
    const LONG before = g_module.GetLockCount();
    ISurface* a = nullptr;
    ISurface* b = nullptr;
    ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, reinterpret_cast<void**>(&a)));
    ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, reinterpret_cast<void**>(&b)));
    EXPECT_EQ(before + 2, g_module.GetLockCount());
    EXPECT_EQ(0u, a->Release());
    EXPECT_EQ(before + 1, g_module.GetLockCount());
    EXPECT_EQ(0u, b->Release());
    EXPECT_EQ(before, g_module.GetLockCount());
}

TEST(SurfaceLifetime, CreateInstanceChecksItsArguments) {
    EXPECT_EQ(E_POINTER, CSurface::CreateInstance(nullptr, IID_ISurface, nullptr));
    void* p = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, CSurface::CreateInstance(nullptr, IID_IClassFactory, &p));
    EXPECT_EQ(nullptr, p);
}

TEST(SurfaceLifetime, InterfacesShareOneIdentity) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_IUnknown, unknown.put_void()));
    ComPtr<ISurface> surface;
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_ISurface, surface.put_void()));
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IDispatch, dispatch.put_void()));
    EXPECT_EQ(static_cast<IDispatch*>(surface.get()), dispatch.get());
    ComPtr<IUnknown> again;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, again.put_void()));
    EXPECT_EQ(unknown.get(), again.get());
    // The identity is the interface table's first entry itself.
    EXPECT_EQ(static_cast<IUnknown*>(surface.get()), unknown.get());
}

}  // namespace
