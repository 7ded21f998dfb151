// Faults and limits the script fuzzer ran into, one test each.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <string>

#include "control/surface.h"
#include "fuzz_support.h"
#include "script/capture.h"
#include "script/script_state.h"

namespace {

using zorvel::ComPtr;

// Private committed bytes of the process (the page-file figure).
SIZE_T CommittedBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

class ScriptRegressions : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, control.put_void()));
    }

    HRESULT Run(const wchar_t* script, std::wstring* output = nullptr)
    {
        BSTR text = SysAllocString(script);
        BSTR result = nullptr;
        HRESULT hr;
        {
            fuzz_test::QuietStdout quiet;
            hr = control->RunScript(text, &result);
        }
        if (output && result)
            output->assign(result, SysStringLen(result));
        SysFreeString(text);
        SysFreeString(result);
        return hr;
    }

    ComPtr<ISurface> control;
};

// A print whose tostring runs a script that prints: every level of nesting
// doubles what the shared capture holds, until memory runs out.  The run
// must end with E_OUTOFMEMORY (or its output), and the control must go on
// working.
TEST_F(ScriptRegressions, OutputDoublingThroughNestedRunsEndsInOutOfMemory)
{
    const HRESULT hr = Run(L"saved = tostring tostring = function(v) return RunScript('print(1)') end print(1)");
    EXPECT_TRUE(hr == E_OUTOFMEMORY || hr == S_OK) << std::hex << hr;
    std::wstring output;
    EXPECT_EQ(S_OK, Run(L"tostring = saved print(GetRadius())", &output));
    EXPECT_EQ(L"50\r\n", output);
}

// The output capture is emptied at the start of every run.  After a run that
// printed 64 MB and a run that prints one line, the 64 MB must be given back:
// a capture that keeps its largest size holds that memory for the life of
// the process (a runaway script, up to the whole address space).  Lua keeps
// a concatenation buffer as large as the largest string it built, so the
// baseline is taken after building one as large without printing it.
TEST_F(ScriptRegressions, CaptureGivesBackTheMemoryOfALargeRun)
{
    ASSERT_EQ(S_OK, Run(L"local s = string.rep('x', 64 * 1024 * 1024)"));
    ASSERT_EQ(S_OK, Run(L"collectgarbage() collectgarbage() print(1)"));
    const SIZE_T before = CommittedBytes();
    ASSERT_EQ(S_OK, Run(L"print(string.rep('x', 64 * 1024 * 1024))"));
    std::wstring output;
    ASSERT_EQ(S_OK, Run(L"collectgarbage() collectgarbage() print(1)", &output));
    ASSERT_EQ(L"1\r\n", output);
    const SIZE_T after = CommittedBytes();
    EXPECT_LT(after, before + 16 * 1024 * 1024) << "committed bytes before " << before << ", after " << after;
    // Whatever an earlier run left committed, the capture itself holds no more than its line.
    EXPECT_LT(zorvel::script::ThisThread()->output.capacity(), 64 * 1024u)
        << "the capture holds " << zorvel::script::ThisThread()->output.capacity() << " bytes for " << zorvel::script::ThisThread()->output.size();
}

}  // namespace
