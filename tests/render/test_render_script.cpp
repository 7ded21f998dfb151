// Scripts run on a control that has already been drawn: the device must not
// change how the script's numbers reach the grid.
#include <gtest/gtest.h>

#include <float.h>

#include <cmath>
#include <string>

#include "hosts/script_form/sample_script.h"
#include "render_support.h"

namespace {

using render_test::ControlHost;

TEST(RenderScript, SampleScriptFillsTheGridAfterTheFirstPaint) {
    ControlHost host;
    host.Paint();
    ASSERT_NE(nullptr, host.Control().Renderer().Device());

    zorvel::UniqueBstr script(SysAllocString(L""));
    {
        const int chars = MultiByteToWideChar(CP_THREAD_ACP, 0, kSampleScript, -1, nullptr, 0);
        std::wstring wide(static_cast<size_t>(chars), L'\0');
        MultiByteToWideChar(CP_THREAD_ACP, 0, kSampleScript, -1, wide.data(), chars);
        script.reset(SysAllocString(wide.c_str()));
    }
    zorvel::UniqueBstr result;
    ASSERT_EQ(S_OK, host.Surface()->RunScript(script.get(), result.put()));

    const CSurfaceGrid* grid = &host.Control().Grid();
    ASSERT_EQ(173u, grid->CountX());
    ASSERT_EQ(173u, grid->CountY());
    // Every point is written, not just the ones a rounding quirk happens to reach.
    size_t nonZero = 0;
    for (uint32_t i = 0; i < 173u * 173u; ++i) nonZero += grid->Heights()[i] != 0.0f;
    EXPECT_GT(nonZero, 173u * 173u - 2 * 173u);
    const double step = 20.0 / 172.0;
    const double x = -10.0 + 5 * step, y = -10.0 + 7 * step;
    EXPECT_NEAR(10.0 * std::sin(x) * std::sin(y), grid->Heights()[5 + 7 * 173], 1e-4);

    LONG rotating = 0;
    host.Surface()->get_XYRotate(&rotating);
    EXPECT_EQ(1, rotating);
}

TEST(RenderScript, DeviceCreationLeavesTheThreadsPrecisionAlone) {
    const unsigned int before = _controlfp(0, 0) & _MCW_PC;
    ControlHost host;
    host.Paint();
    ASSERT_NE(nullptr, host.Control().Renderer().Device());
    EXPECT_EQ(before, _controlfp(0, 0) & _MCW_PC);
}

}  // namespace
