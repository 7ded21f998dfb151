// The temporary file through which a script text is run: made with the
// prefix "lua" in the temporary directory, written, and removed again at the
// latest when its owner goes.
#pragma once

#include <windows.h>

#include <string>

#include "common/owners.h"

namespace zorvel::script {

class TempScriptFile {
public:
    TempScriptFile() = default;
    ~TempScriptFile() { Remove(); }
    TempScriptFile(const TempScriptFile&) = delete;
    TempScriptFile& operator=(const TempScriptFile&) = delete;

    // Has the system make a new empty file and copies its name to `name`.
    HRESULT Create(std::string& name) noexcept;
    // Writes exactly `text` through `file`, which holds the open file only
    // while it is written.  Anything short of the whole text is a failure.
    HRESULT Write(const std::string& text, UniqueFile& file) noexcept;

    const char* Name() const { return m_name.c_str(); }
    // For when someone else has removed the file already.
    void Forget() noexcept { m_name.clear(); }
    void Remove() noexcept;

private:
    std::string m_name;
};

}  // namespace zorvel::script
