// RunScript and RunScriptFromFile: files, nesting, the temporary files and
// the failures that must not run anything or leave anything behind.
#include "script_test_support.h"

#include "script/text.h"

using script_test::NewControl;
using script_test::Output;
using script_test::RunFile;
using script_test::RunText;

namespace {

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_control = NewControl();
        ASSERT_TRUE(m_control);
    }
    void TearDown() override { zorvel::script::FailConversionForTesting(-1); }
    ISurface* control() { return m_control.get(); }
    float Radius() {
        float radius = 0;
        EXPECT_EQ(S_OK, control()->get_Radius(&radius));
        return radius;
    }

    zorvel::ComPtr<ISurface> m_control;
};

TEST_F(RunTest, FileRunsLikeText) {
    const std::string path = script_test::WriteTestFile("zorvel_run_test.lua", "SetRadius(12)\r\nprint('from file', 1)\r\n");
    script_test::RunResult run = RunFile(control(), path);
    DeleteFileA(path.c_str());
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_EQ("from file1\r\n", run.text);
    EXPECT_EQ(12.0f, Radius());
}

TEST_F(RunTest, MissingFileGivesAnEmptyResult) {
    EXPECT_EQ("x\r\n", Output(control(), "print('x')"));
    script_test::RunResult run = RunFile(control(), script_test::TempDirectory() + "zorvel_no_such_file.lua");
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_FALSE(run.isNull);
    EXPECT_EQ("", run.text);
}

TEST_F(RunTest, TextRunsFromAFreshLuaFileInTheTemporaryDirectory) {
    const std::string source = Output(control(), "print(debug.getinfo(1, 'S').source)");
    const std::string prefix = "@" + script_test::TempDirectory() + "lua";
    ASSERT_GE(source.size(), prefix.size());
    EXPECT_EQ(0, _strnicmp(prefix.c_str(), source.c_str(), prefix.size())) << source;
    EXPECT_EQ(".tmp\r\n", source.substr(source.size() - 6)) << source;
    EXPECT_NE(source, Output(control(), "print(debug.getinfo(1, 'S').source)"));
}

TEST_F(RunTest, NestedRunReplacesWhatTheOuterScriptPrintedBefore) {
    EXPECT_EQ("hi\r\ntrue\r\nafter\r\n",
              Output(control(), "print('before') local r = RunScript(\"print('hi')\")"
                                " print(r == 'hi\\r\\n') print('after')"));
}

TEST_F(RunTest, NestedFileRunReturnsItsOutput) {
    const std::string path = script_test::WriteTestFile("zorvel_nested.lua", "print('inner', 2)");
    std::string script = "local r = RunScriptFromFile([[" + path + "]]) print(#r, r == 'inner2\\r\\n')";
    EXPECT_EQ("inner2\r\n8true\r\n", Output(control(), script));
    DeleteFileA(path.c_str());
}

TEST_F(RunTest, NestedRunSharesTheState) {
    EXPECT_EQ("", Output(control(), "shared = 1"));
    EXPECT_EQ("3\r\n", Output(control(), "RunScript('shared = shared + 1') shared = shared + 1 print(shared)"));
    // Errors of the nested run are dropped there; the outer run goes on.
    EXPECT_EQ("a\r\nstring\r\n", Output(control(), "local r = RunScript(\"print('a') error('x')\") print(type(r))"));
}

TEST_F(RunTest, UnboundedNestingStopsAtLuasOwnLimit) {
    const int before = script_test::CountTempScriptFiles();
    EXPECT_EQ("done\r\n", Output(control(), "depth = 0 function Deeper() depth = depth + 1 RunScript('Deeper()') end"
                                            " Deeper() print('done')"));
    EXPECT_EQ("true\r\n", Output(control(), "print(depth > 10)"));
    EXPECT_EQ(before, script_test::CountTempScriptFiles());
}

TEST_F(RunTest, ThousandRunsLeaveNoTemporaryFile) {
    const int before = script_test::CountTempScriptFiles();
    const char* const scripts[] = {
        "n = (n or 0) + 1 print(n)",
        "print(",              // syntax error
        "print('a') error('b')",  // run-time error
        "",
    };
    int printed = 0;
    for (int i = 0; i < 1000; ++i) {
        script_test::RunResult run = RunText(control(), scripts[i % 4]);
        ASSERT_EQ(S_OK, run.hr);
        if (i % 4 == 0) {
            ++printed;
            ASSERT_EQ(std::to_string(printed) + "\r\n", run.text);
        }
    }
    EXPECT_EQ(before, script_test::CountTempScriptFiles());
}

TEST_F(RunTest, NullResultPointerRunsNothing) {
    const int before = script_test::CountTempScriptFiles();
    BSTR script = SysAllocString(L"SetRadius(5)");
    EXPECT_EQ(E_POINTER, control()->RunScript(script, nullptr));
    SysFreeString(script);
    const std::string path = script_test::WriteTestFile("zorvel_null_result.lua", "SetRadius(6)");
    const std::wstring wide = script_test::Wide(path);
    BSTR name = SysAllocString(wide.c_str());
    EXPECT_EQ(E_POINTER, control()->RunScriptFromFile(name, nullptr));
    SysFreeString(name);
    DeleteFileA(path.c_str());
    EXPECT_EQ(50.0f, Radius());
    EXPECT_EQ(before, script_test::CountTempScriptFiles());
}

TEST_F(RunTest, NullFileNameIsAnEmptyScriptAndNeverReadsStdin) {
    EXPECT_EQ("x\r\n", Output(control(), "print('x')"));
    const std::string path = script_test::WriteTestFile("zorvel_stdin.lua", "SetRadius(11) print('from stdin')\n");
    BSTR result = nullptr;
    HRESULT hr;
    {
        script_test::RedirectedDescriptor input(_fileno(stdin), path, "rb");
        hr = control()->RunScriptFromFile(nullptr, &result);
    }
    DeleteFileA(path.c_str());
    EXPECT_EQ(S_OK, hr);
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(0u, SysStringLen(result));
    SysFreeString(result);
    EXPECT_EQ(50.0f, Radius());
}

// Points the temporary directory somewhere that does not exist.
class MissingTempDirectory {
public:
    MissingTempDirectory() {
        Save("TMP", m_tmp, m_hadTmp);
        Save("TEMP", m_temp, m_hadTemp);
        SetEnvironmentVariableA("TMP", "C:\\zorvel-no-such-directory");
        SetEnvironmentVariableA("TEMP", "C:\\zorvel-no-such-directory");
    }
    ~MissingTempDirectory() {
        SetEnvironmentVariableA("TMP", m_hadTmp ? m_tmp.c_str() : nullptr);
        SetEnvironmentVariableA("TEMP", m_hadTemp ? m_temp.c_str() : nullptr);
    }

private:
    static void Save(const char* name, std::string& value, bool& had) {
        char buffer[1024];
        const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
        had = n > 0 && n < sizeof buffer;
        if (had) value.assign(buffer, n);
    }
    std::string m_tmp, m_temp;
    bool m_hadTmp = false, m_hadTemp = false;
};

TEST_F(RunTest, NoTemporaryFileMeansNothingRuns) {
    EXPECT_EQ("x\r\n", Output(control(), "print('x')"));
    script_test::RunResult run;
    {
        MissingTempDirectory missing;
        run = RunText(control(), "SetRadius(5) print('ran')");
    }
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_FALSE(run.isNull);
    EXPECT_EQ("", run.text);
    EXPECT_EQ(50.0f, Radius());
    EXPECT_EQ("ran\r\n", Output(control(), "print('ran')"));
}

// Makes every text conversion of a run fail in turn: each one is either the
// method's E_OUTOFMEMORY with no Result, or nil for the script, never an
// exception through Lua.
TEST_F(RunTest, OutOfMemoryInEveryConversionIsReportedNotThrown) {
    const std::string script = "local r = RunScript(\"print('hi')\") print(type(r))";
    int methodFailures = 0;
    int nilResults = 0;
    int step = 0;
    for (;; ++step) {
        ASSERT_LT(step, 100);
        zorvel::script::FailConversionForTesting(step);
        script_test::RunResult run = RunText(control(), script);
        const bool failureHappened = !zorvel::script::PendingConversionFailure();
        zorvel::script::FailConversionForTesting(-1);
        if (!failureHappened) {
            EXPECT_EQ(S_OK, run.hr);
            EXPECT_EQ("hi\r\nstring\r\n", run.text);
            break;
        }
        if (run.hr == E_OUTOFMEMORY) {
            EXPECT_TRUE(run.isNull) << "step " << step;
            ++methodFailures;
        } else {
            EXPECT_EQ(S_OK, run.hr) << "step " << step;
            EXPECT_EQ("nil\r\n", run.text.substr(run.text.size() >= 5 ? run.text.size() - 5 : 0)) << "step " << step;
            ++nilResults;
        }
    }
    EXPECT_GT(methodFailures, 0);
    EXPECT_GT(nilResults, 0);
    // The state is still sound afterwards.
    EXPECT_EQ("ok\r\n", Output(control(), "print('ok')"));
}

TEST_F(RunTest, OutOfMemoryOnTheFileNameRunsNothing) {
    const std::string path = script_test::WriteTestFile("zorvel_oom_name.lua", "SetRadius(7)");
    zorvel::script::FailConversionForTesting(0);
    script_test::RunResult run = RunFile(control(), path);
    zorvel::script::FailConversionForTesting(-1);
    DeleteFileA(path.c_str());
    EXPECT_EQ(E_OUTOFMEMORY, run.hr);
    EXPECT_TRUE(run.isNull);
    EXPECT_EQ(50.0f, Radius());
}

}  // namespace

TEST_F(RunTest, UnreadableFilesGiveAnEmptyResultAndChangeNothing) {
    // A directory, and a file another program holds without sharing.
    const std::string locked = script_test::WriteTestFile("zorvel_locked.lua", "SetRadius(77) print('no')");
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    for (const std::string& path : {script_test::TempDirectory(), locked}) {
        EXPECT_EQ("x\r\n", Output(control(), "print('x')"));
        script_test::RunResult run = RunFile(control(), path);
        EXPECT_EQ(S_OK, run.hr) << path;
        EXPECT_FALSE(run.isNull) << path;
        EXPECT_EQ("", run.text) << path;
    }
    CloseHandle(holder);
    DeleteFileA(locked.c_str());
    EXPECT_NE(77.0f, Radius());
}
