// Random scripts through RunScript (see script_generator.h), run through any
// of one to four live controls that come and go between runs, with text
// conversions failing now and then.
//
// Every run must return S_OK (E_OUTOFMEMORY only when a conversion was made
// to fail) and a Result; a script that neither broke its environment nor
// stopped early must reach its last line and find every bound function
// answering as documented; the state must be left with an empty stack; no
// temporary file may stay; the current control and state must be the newest
// live pair; and the control must still answer a plain script correctly.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "control/surface.h"
#include "fuzz_support.h"
#include "script/lua_api.h"
#include "script/script_state.h"
#include "script/text.h"
#include "script_generator.h"

namespace {

using fuzz_test::GeneratedScript;
using fuzz_test::Random;
using fuzz_test::ScriptGenerator;
using zorvel::ComPtr;

std::string TempDirectory()
{
    char directory[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof directory, directory);
    return std::string(directory, n);
}

// Files a script run could leave in the temporary directory.
int CountTempScriptFiles()
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((TempDirectory() + "lua*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

std::string WriteScriptFile()
{
    const std::string path = TempDirectory() + "zorvel-fuzz-from-file.lua";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fputs("print('from-file')", file);
        std::fclose(file);
    }
    return path;
}

struct RunResult {
    HRESULT hr = E_UNEXPECTED;
    bool isNull = true;
    std::string text;
};

RunResult RunText(ISurface* control, const std::string& script, bool throughDispatch)
{
    RunResult run;
    const int n = MultiByteToWideChar(CP_ACP, 0, script.data(), static_cast<int>(script.size()), nullptr, 0);
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    MultiByteToWideChar(CP_ACP, 0, script.data(), static_cast<int>(script.size()), text, n);
    BSTR result = nullptr;
    if (throughDispatch) {
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = text;
        DISPPARAMS params = {&arg, nullptr, 1, 0};
        VARIANT out;
        VariantInit(&out);
        run.hr = control->Invoke(13, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &out, nullptr,
                                 nullptr);
        if (out.vt == VT_BSTR) {
            result = out.bstrVal;
            out.vt = VT_EMPTY;
        }
        VariantClear(&out);
    } else {
        run.hr = control->RunScript(text, &result);
    }
    SysFreeString(text);
    run.isNull = result == nullptr;
    if (result) {
        const UINT length = SysStringLen(result);
        const int bytes = WideCharToMultiByte(CP_ACP, 0, result, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        run.text.resize(static_cast<size_t>(bytes));
        if (bytes > 0)
            WideCharToMultiByte(CP_ACP, 0, result, static_cast<int>(length), &run.text[0], bytes, nullptr, nullptr);
    }
    SysFreeString(result);
    return run;
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

ComPtr<ISurface> NewControl()
{
    ComPtr<ISurface> control;
    EXPECT_EQ(S_OK, CSurface::CreateInstance(nullptr, IID_ISurface, control.put_void()));
    return control;
}

// The newest live control and its state are the current pair.
void ExpectCurrentPair(const std::vector<ComPtr<ISurface>>& controls)
{
    ASSERT_EQ(controls.size(), zorvel::script::OpenStateCount());
    if (controls.empty()) {
        ASSERT_EQ(nullptr, zorvel::script::CurrentSurface());
        ASSERT_EQ(nullptr, zorvel::script::CurrentState());
        return;
    }
    CSurface* newest = static_cast<CSurface*>(controls.back().get());
    ASSERT_EQ(newest, zorvel::script::CurrentSurface());
    ASSERT_EQ(newest->Scripts().State(), zorvel::script::CurrentState());
}

std::string LuaNumber(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14g", value);
    return buffer;
}

struct Tally {
    uint64_t runs = 0;
    uint64_t completed = 0;
    uint64_t damaged = 0;
    uint64_t injected = 0;
    uint64_t outOfMemory = 0;
    uint64_t controlsMade = 1;
    uint64_t controlsReleased = 0;

    std::string Text() const
    {
        return "completed=" + std::to_string(completed) + " damaging=" + std::to_string(damaged) +
               " conversion-failures=" + std::to_string(injected) + " e_outofmemory=" +
               std::to_string(outOfMemory) + " controls-made=" + std::to_string(controlsMade) +
               " controls-released=" + std::to_string(controlsReleased);
    }
};

TEST(ScriptFuzz, RandomScriptsThroughRunScript)
{
    const uint64_t cases = fuzz_test::CaseCount(1500);
    const uint64_t seed = fuzz_test::Seed();
    Random random(seed);
    ScriptGenerator generator(random, WriteScriptFile());
    const int tempFilesBefore = CountTempScriptFiles();
    Tally tally;
    {
        std::vector<ComPtr<ISurface>> controls;
        controls.push_back(NewControl());
        fuzz_test::HangWatch watch("runscript");
        for (uint64_t i = 0; i < cases; ++i) {
            watch.Case(i);
            SCOPED_TRACE(testing::Message() << "case " << i << " of seed " << seed);
            // Controls come and go; the newest live one is current.
            if (controls.size() < 4 && random.Percent(3)) {
                controls.push_back(NewControl());
                ++tally.controlsMade;
            }
            if (controls.size() > 1 && random.Percent(3)) {
                controls.erase(controls.begin() + random.Below(static_cast<uint32_t>(controls.size())));
                ++tally.controlsReleased;
            }
            ExpectCurrentPair(controls);
            if (HasFatalFailure())
                return;

            const GeneratedScript script = generator.Make();
            ISurface* via = controls[random.Below(static_cast<uint32_t>(controls.size()))].get();
            const bool inject = random.Percent(4);
            if (inject)
                zorvel::script::FailConversionForTesting(static_cast<int>(random.Below(6)));
            if (fuzz_test::Verbose())
                std::fprintf(stderr, "case %llu:\n%s\n", static_cast<unsigned long long>(i), script.text.c_str());
            const bool throughDispatch = random.Percent(20);
            RunResult run;
            {
                fuzz_test::QuietStdout quiet;
                run = RunText(via, script.text, throughDispatch);
            }
            zorvel::script::FailConversionForTesting(-1);
            ++tally.runs;

            SCOPED_TRACE(script.text);
            // E_OUTOFMEMORY: a failed conversion, or a capture too large for a BSTR.
            if (run.hr == E_OUTOFMEMORY) {
                ++tally.outOfMemory;
            } else {
                ASSERT_EQ(S_OK, run.hr);
                ASSERT_FALSE(run.isNull);
            }
            const bool checkable = !inject && !script.damages && run.hr == S_OK;
            if (checkable) {
                ASSERT_EQ(std::string::npos, run.text.find("BAD-")) << run.text.substr(0, 2000);
                if (!script.mayEndEarly) {
                    ASSERT_TRUE(EndsWith(run.text, "END-MARKER\r\n")) << run.text.substr(0, 2000);
                }
            }
            if (EndsWith(run.text, "END-MARKER\r\n"))
                ++tally.completed;
            tally.injected += inject ? 1 : 0;

            // Nothing left on the stack, no file left behind.
            ASSERT_EQ(0, lua_gettop(zorvel::script::CurrentState()));
            ASSERT_EQ(tempFilesBefore, CountTempScriptFiles());

            if (script.damages) {
                // The newest control's state is broken: let that control go.
                ++tally.damaged;
                controls.pop_back();
                ++tally.controlsReleased;
                if (controls.empty()) {
                    controls.push_back(NewControl());
                    ++tally.controlsMade;
                }
            } else if (i % 16 == 0) {
                // The control still answers a plain script with its radius.
                float radius = 0;
                ASSERT_EQ(S_OK, controls.back()->get_Radius(&radius));
                const RunResult plain = RunText(controls.front().get(), "print(GetRadius())", false);
                ASSERT_EQ(S_OK, plain.hr);
                ASSERT_EQ(LuaNumber(radius) + "\r\n", plain.text);
            }
            ExpectCurrentPair(controls);
            if (HasFatalFailure())
                return;
        }
        tally.controlsReleased += controls.size();
    }
    // Every state closed with its control.
    EXPECT_EQ(0u, zorvel::script::OpenStateCount());
    EXPECT_EQ(nullptr, zorvel::script::CurrentSurface());
    EXPECT_EQ(tempFilesBefore, CountTempScriptFiles());
    fuzz_test::Report("runscript", cases, seed, tally.Text());
}

}  // namespace
