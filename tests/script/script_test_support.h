// Shared helpers of the script host tests: making controls, running script
// texts, reading results, and watching the temporary directory and stdout.
#pragma once

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "control/surface.h"
#include "script/lua_api.h"
#include "script/script_state.h"

namespace script_test {

inline zorvel::ComPtr<ISurface> NewControl() {
    ISurface* raw = nullptr;
    const HRESULT hr = CSurface::CreateInstance(nullptr, IID_ISurface, reinterpret_cast<void**>(&raw));
    EXPECT_EQ(S_OK, hr);
    zorvel::ComPtr<ISurface> control;
    control.attach(raw);
    return control;
}

inline CSurface* Impl(const zorvel::ComPtr<ISurface>& control) {
    return static_cast<CSurface*>(control.get());
}

inline std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

inline std::string Narrow(const wchar_t* text, size_t length) {
    if (length == 0) return std::string();
    const int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), &narrow[0], n, nullptr, nullptr);
    return narrow;
}

// What a run handed back.
struct RunResult {
    HRESULT hr = E_UNEXPECTED;
    bool isNull = true;
    std::string text;
};

inline RunResult TakeResult(HRESULT hr, BSTR result) {
    RunResult run;
    run.hr = hr;
    run.isNull = result == nullptr;
    if (result) run.text = Narrow(result, SysStringLen(result));
    SysFreeString(result);
    return run;
}

inline RunResult RunText(ISurface* control, const std::string& script) {
    const std::wstring wide = Wide(script);
    BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    BSTR result = nullptr;
    const HRESULT hr = control->RunScript(text, &result);
    SysFreeString(text);
    return TakeResult(hr, result);
}

inline RunResult RunFile(ISurface* control, const std::string& path) {
    const std::wstring wide = Wide(path);
    BSTR name = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    BSTR result = nullptr;
    const HRESULT hr = control->RunScriptFromFile(name, &result);
    SysFreeString(name);
    return TakeResult(hr, result);
}

// Runs a script and returns its printed output, expecting the run to succeed.
inline std::string Output(ISurface* control, const std::string& script) {
    RunResult run = RunText(control, script);
    EXPECT_EQ(S_OK, run.hr) << script;
    EXPECT_FALSE(run.isNull) << script;
    return run.text;
}

// Lua's own rendering of a number (tostring uses "%.14g").
inline std::string LuaNumber(double value) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%.14g", value);
    return buffer;
}

inline std::string TempDirectory() {
    char directory[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof directory, directory);
    return std::string(directory, n);
}

// Files in the temporary directory that a script run could have left there.
inline int CountTempScriptFiles() {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((TempDirectory() + "lua*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

inline std::string WriteTestFile(const std::string& name, const std::string& contents) {
    const std::string path = TempDirectory() + name;
    FILE* file = fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, file);
    if (file) {
        fwrite(contents.data(), 1, contents.size(), file);
        fclose(file);
    }
    return path;
}

inline std::string ReadTestFile(const std::string& path) {
    std::string contents;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return contents;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
    fclose(file);
    return contents;
}

// Points one of the CRT's standard descriptors at a file for a while, in
// binary mode, so that the bytes written through the CRT can be read back.
class RedirectedDescriptor {
public:
    RedirectedDescriptor(int fd, const std::string& path, const char* mode) : m_fd(fd) {
        fflush(stdout);
        m_saved = _dup(fd);
        FILE* file = fopen(path.c_str(), mode);
        EXPECT_NE(nullptr, file);
        if (file) {
            _dup2(_fileno(file), fd);
            fclose(file);
        }
        m_oldMode = _setmode(fd, _O_BINARY);
    }
    ~RedirectedDescriptor() { Restore(); }
    void Restore() {
        if (m_saved < 0) return;
        fflush(stdout);
        _dup2(m_saved, m_fd);
        _close(m_saved);
        _setmode(m_fd, m_oldMode);
        m_saved = -1;
    }

private:
    int m_fd;
    int m_saved = -1;
    int m_oldMode = _O_TEXT;
};

// Installs a C function of a test as a global of a script state.
inline void RegisterTestFunction(lua_State* L, const char* name, lua_CFunction function) {
    struct Job {
        const char* name;
        lua_CFunction function;
    } job{name, function};
    const int status = lua_cpcall(
        L,
        [](lua_State* S) -> int {
            Job* j = static_cast<Job*>(lua_touserdata(S, 1));
            lua_pushcclosure(S, j->function, 0);
            lua_setfield(S, LUA_GLOBALSINDEX, j->name);
            return 0;
        },
        &job);
    ASSERT_EQ(0, status);
}

}  // namespace script_test
