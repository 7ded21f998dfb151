// The renderer program's one job: a control in a window of its own, a Lua
// script run in it, a number of timer ticks, and the last frame as a PNG.
#pragma once

#include <windows.h>

#include <string>

namespace zorvel::host {

struct RenderRequest {
    std::wstring scriptPath;
    int ticks = 0;
    std::wstring outputPath;
    UINT width = 640;
    UINT height = 480;
};

struct RenderOutcome {
    UINT width = 0;             // of the picture written
    UINT height = 0;
    const char* failedStep = nullptr;  // set when the job fails
};

HRESULT RunRenderJob(HINSTANCE instance, const RenderRequest& request, RenderOutcome& outcome);

// Reads a script file as the control's scripts are kept: text in the ANSI
// code page.
HRESULT ReadScriptFile(const std::wstring& path, std::wstring& text);

}  // namespace zorvel::host
