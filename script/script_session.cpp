// Running a script file, or a script text through a temporary file, in the
// current state, and handing back what it printed.
#include "script/script_session.h"

#include <string>
#include <utility>

#include "script/capture.h"
#include "script/script_state.h"
#include "script/temp_script_file.h"
#include "script/text.h"

namespace {

struct ChunkJob {
    const char* path;
    bool removeAfterLoad;
    bool removed;
};

// Runs inside lua_cpcall: even a memory error of the loader stays in Lua, so
// it never jumps over the C++ frames of a nested run.
int LoadAndCall(lua_State* L) {
    ChunkJob* job = static_cast<ChunkJob*>(lua_touserdata(L, 1));
    const int status = luaL_loadfile(L, job->path);
    // The loader has read the whole file and closed it; nothing needs it now.
    if (job->removeAfterLoad) job->removed = DeleteFileA(job->path) != FALSE;
    if (status == 0) lua_pcall(L, 0, LUA_MULTRET, 0);
    return 0;
}

// Loads and calls the file in the current state; true when it removed the file.
bool RunChunkFile(const char* path, bool removeAfterLoad) noexcept {
    lua_State* L = zorvel::script::CurrentState();
    if (!L) return false;
    zorvel::script::ScopedRun run(L);
    const int top = lua_gettop(L);
    ChunkJob job{path, removeAfterLoad, false};
    lua_cpcall(L, LoadAndCall, &job);
    lua_settop(L, top);  // a failed call leaves its error message behind
    return job.removed;
}

}  // namespace

namespace zorvel::script {

HRESULT ScriptSession::Attach(ISurface2* owner) noexcept {
    UniqueLuaState state = NewScriptState();
    if (!state) return E_OUTOFMEMORY;
    lua_State* L = state.get();
    RETURN_IF_FAILED(AddControlState(owner, std::move(state)));
    m_owner = owner;
    m_state = L;
    return S_OK;
}

void ScriptSession::Detach() noexcept {
    if (!m_owner) return;
    m_state = nullptr;
    RemoveControlState(std::exchange(m_owner, nullptr));
}

HRESULT ScriptSession::RunFile(BSTR filename, BSTR* Result) noexcept {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    ClearCapture();
    // No name is an empty script: Lua would read standard input instead.
    if (filename) {
        std::string path;
        RETURN_IF_FAILED(AnsiFromBstr(filename, path));
        RunChunkFile(path.c_str(), false);
    }
    return CaptureToBstr(Result);
}

HRESULT ScriptSession::RunText(BSTR script, BSTR* Result) noexcept {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    std::string text;
    RETURN_IF_FAILED(AnsiFromBstr(script, text));
    TempScriptFile file;
    HRESULT hr = file.Create(m_tempFileName);
    if (SUCCEEDED(hr)) hr = file.Write(text, m_tempFile);
    if (hr == E_OUTOFMEMORY) return hr;
    ClearCapture();
    // Without the whole text in a file nothing runs and the Result is empty.
    if (SUCCEEDED(hr) && RunChunkFile(file.Name(), true)) file.Forget();
    return CaptureToBstr(Result);
}

}  // namespace zorvel::script
