// A control's side of scripting: its Lua state in the registry of states,
// and the two ways a script is run (a file, or a text through a temporary
// file), each handing back what the script printed.  The control is reached
// only through ISurface.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "common/identifiers.h"
#include "common/owners.h"
#include "script/lua_api.h"

namespace zorvel::script {

class ScriptSession {
public:
    ScriptSession() = default;
    ~ScriptSession() { Detach(); }
    ScriptSession(const ScriptSession&) = delete;
    ScriptSession& operator=(const ScriptSession&) = delete;

    // Makes the owner's state and makes owner and state the current pair.
    HRESULT Attach(ISurface2* owner) noexcept;
    // Hands the current pair on and closes the state (once no run in it is
    // still unwinding).
    void Detach() noexcept;

    // Errors of the script are dropped: the caller sees S_OK and the output
    // printed up to the failure.
    HRESULT RunFile(BSTR filename, BSTR* result) noexcept;
    HRESULT RunText(BSTR script, BSTR* result) noexcept;

    lua_State* State() const { return m_state; }

private:
    ISurface2* m_owner = nullptr;
    lua_State* m_state = nullptr;
    // The newest run's temporary file; nested runs replace the name, each run
    // keeps its own file.
    UniqueFile m_tempFile;
    std::string m_tempFileName;
};

}  // namespace zorvel::script
