// What print writes: the capture handed back as the Result, and standard
// output, which must get exactly what Lua's own print writes.
#include "script_test_support.h"

using script_test::NewControl;
using script_test::Output;
using script_test::RunText;

namespace {

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_control = NewControl();
        ASSERT_TRUE(m_control);
    }
    ISurface* control() { return m_control.get(); }

    // The run's Result, and the bytes it wrote to standard output.
    std::pair<std::string, std::string> RunWatchingStdout(const std::string& script) {
        const std::string path = script_test::TempDirectory() + "zorvel_stdout.txt";
        script_test::RedirectedDescriptor redirected(_fileno(stdout), path, "wb");
        const std::string result = Output(control(), script);
        redirected.Restore();
        const std::string written = script_test::ReadTestFile(path);
        DeleteFileA(path.c_str());
        return {result, written};
    }

    zorvel::ComPtr<ISurface> m_control;
};

TEST_F(CaptureTest, ArgumentsAreJoinedWithNothingAndEndInCrLf) {
    const auto [result, written] = RunWatchingStdout("print('hello', 'world')");
    EXPECT_EQ("helloworld\r\n", result);
    EXPECT_EQ("hello\tworld\n", written);
}

TEST_F(CaptureTest, EveryPrintIsOneLine) {
    const auto [result, written] = RunWatchingStdout("print('one') print('two') print() print(nil, true, 12, 1.5)");
    EXPECT_EQ("one\r\ntwo\r\n\r\nniltrue121.5\r\n", result);
    EXPECT_EQ("one\ntwo\n\nnil\ttrue\t12\t1.5\n", written);
}

TEST_F(CaptureTest, TextStopsAtAZeroByte) {
    const auto [result, written] = RunWatchingStdout("print('ab\\0cd', 'ef')");
    EXPECT_EQ("abef\r\n", result);
    EXPECT_EQ("ab\tef\n", written);
}

TEST_F(CaptureTest, IoWriteIsNotCaptured) {
    const auto [result, written] = RunWatchingStdout("io.write('raw') print('x')");
    EXPECT_EQ("x\r\n", result);
    EXPECT_EQ("rawx\n", written);
}

TEST_F(CaptureTest, TextsComeFromTheGlobalTostring) {
    EXPECT_EQ("<a><b>\r\n", Output(control(), "local old = tostring"
                                              " tostring = function(v) return '<' .. old(v) .. '>' end"
                                              " print('a', 'b') tostring = old"));
    // As with Lua's own print, a number from tostring stands for its text.
    EXPECT_EQ("5\r\n", Output(control(), "local old = tostring tostring = function() return 5 end"
                                         " print('x') tostring = old"));
}

TEST_F(CaptureTest, TostringReturningANonStringRaisesAfterTheEarlierTexts) {
    EXPECT_EQ("afalse'tostring' must return a string to 'print'\r\n",
              Output(control(), "local bad = setmetatable({}, {__tostring = function() return {} end})"
                                " print(pcall(print, 'a', bad, 'c'))"));
    // Unprotected, the error ends the run: the earlier text stays, no CR LF follows.
    const auto [result, written] = RunWatchingStdout(
        "print('kept') print('a', setmetatable({}, {__tostring = function() return nil end}), 'c') print('never')");
    EXPECT_EQ("kept\r\na", result);
    EXPECT_EQ("kept\na", written);
}

TEST_F(CaptureTest, EmptyAndNullScriptsGiveAnEmptyResult) {
    script_test::RunResult run = RunText(control(), "");
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_FALSE(run.isNull);
    EXPECT_EQ("", run.text);

    BSTR result = nullptr;
    EXPECT_EQ(S_OK, control()->RunScript(nullptr, &result));
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(0u, SysStringLen(result));
    SysFreeString(result);
}

TEST_F(CaptureTest, SyntaxErrorRunsNothing) {
    script_test::RunResult run = RunText(control(), "print('x') SetRadius(3) print(");
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_FALSE(run.isNull);
    EXPECT_EQ("", run.text);
    float radius = 0;
    ASSERT_EQ(S_OK, control()->get_Radius(&radius));
    EXPECT_EQ(50.0f, radius);
}

TEST_F(CaptureTest, RunTimeErrorKeepsWhatCameBefore) {
    ASSERT_EQ(S_OK, control()->SetPointsPerXY(2, 2));
    script_test::RunResult run =
        RunText(control(), "SetRadius(3) SetData(1, 1, 0, 0, 4) print('one') error('boom') print('two') SetRadius(9)");
    EXPECT_EQ(S_OK, run.hr);
    EXPECT_EQ("one\r\n", run.text);
    float radius = 0;
    ASSERT_EQ(S_OK, control()->get_Radius(&radius));
    EXPECT_EQ(3.0f, radius);
    EXPECT_EQ(4.0f, script_test::Impl(m_control)->Grid().Heights()[3]);
}

TEST_F(CaptureTest, FirstLineStartingWithHashIsSkipped) {
    EXPECT_EQ("yes\r\n", Output(control(), "# print('no')\r\nprint('yes')\r\n"));
    EXPECT_EQ("2\r\n", Output(control(), "#!/usr/bin/lua\nprint(debug.getinfo(1, 'l').currentline)"));
}

TEST_F(CaptureTest, EachRunStartsWithAnEmptyCapture) {
    EXPECT_EQ("first\r\n", Output(control(), "print('first')"));
    EXPECT_EQ("second\r\n", Output(control(), "print('second')"));
    EXPECT_EQ("", Output(control(), "local x = 1"));
}

TEST_F(CaptureTest, GlobalsLiveFromOneRunToTheNext) {
    EXPECT_EQ("", Output(control(), "counter = 41 function Twice(v) return v * 2 end"));
    EXPECT_EQ("42\r\n84\r\n", Output(control(), "counter = counter + 1 print(counter) print(Twice(counter))"));
}

TEST_F(CaptureTest, CharactersOutsideTheCodePageBecomeItsDefaultCharacter) {
    const wchar_t text[] = L"print('\u4e2d')";
    BOOL usedDefault = FALSE;
    char probe[8];
    WideCharToMultiByte(CP_THREAD_ACP, 0, L"\u4e2d", 1, probe, sizeof probe, nullptr, &usedDefault);
    if (!usedDefault) GTEST_SKIP() << "the thread's code page has this character";
    CPINFO info = {};
    ASSERT_TRUE(GetCPInfo(CP_THREAD_ACP, &info));
    BSTR script = SysAllocString(text);
    BSTR result = nullptr;
    EXPECT_EQ(S_OK, control()->RunScript(script, &result));
    SysFreeString(script);
    script_test::RunResult run = script_test::TakeResult(S_OK, result);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.DefaultChar)) + "\r\n", run.text);
}

}  // namespace
