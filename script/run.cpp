// RunScriptFromFile and RunScript: run a script file, or a script text
// through a temporary file, in the current state and hand back what it
// printed.  Errors of the script are dropped; the caller sees S_OK and the
// output printed up to the failure.
#include <string>

#include "control/surface.h"
#include "script/capture.h"
#include "script/lua_api.h"
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
    lua_State* L = g_pLuaState;
    if (!L) return false;
    zorvel::script::ScopedRun run(L);
    const int top = lua_gettop(L);
    ChunkJob job{path, removeAfterLoad, false};
    lua_cpcall(L, LoadAndCall, &job);
    lua_settop(L, top);  // a failed call leaves its error message behind
    return job.removed;
}

}  // namespace

STDMETHODIMP CSurface::RunScriptFromFile(BSTR filename, BSTR* Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    // A script may release the caller's last reference: stay alive until the
    // run is over.
    zorvel::ComPtr<ISurface> self(this);
    zorvel::script::ClearCapture();
    // No name is an empty script: Lua would read standard input instead.
    if (filename) {
        std::string path;
        RETURN_IF_FAILED(zorvel::script::AnsiFromBstr(filename, path));
        RunChunkFile(path.c_str(), false);
    }
    return zorvel::script::CaptureToBstr(Result);
}

STDMETHODIMP CSurface::RunScript(BSTR script, BSTR* Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    zorvel::ComPtr<ISurface> self(this);
    std::string text;
    RETURN_IF_FAILED(zorvel::script::AnsiFromBstr(script, text));
    // Nested runs replace m_strTempFileName; this run keeps its own file.
    zorvel::script::TempScriptFile file;
    HRESULT hr = file.Create(m_strTempFileName);
    if (SUCCEEDED(hr)) hr = file.Write(text, m_hTempFile);
    if (hr == E_OUTOFMEMORY) return hr;
    zorvel::script::ClearCapture();
    // Without the whole text in a file nothing runs and the Result is empty.
    if (SUCCEEDED(hr) && RunChunkFile(file.Name(), true)) file.Forget();
    return zorvel::script::CaptureToBstr(Result);
}
