// ZorvelRender: runs a Lua script in a Zorvel control, lets the timer turn
// the camera a given number of ticks, and writes the last frame as a PNG.
//
//   ZorvelRender SCRIPT.lua TICKS OUTPUT.png [WIDTH HEIGHT]
//   ZorvelRender /writesample SCRIPT.lua   (writes the script form's sample)
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "hosts/render_script/render_job.h"
#include "hosts/script_form/sample_script.h"
#include "common/owners.h"

using namespace zorvel::host;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: ZorvelRender SCRIPT.lua TICKS OUTPUT.png [WIDTH HEIGHT]\n"
                 "       ZorvelRender /writesample SCRIPT.lua\n");
    return 2;
}

bool ParseCount(const wchar_t* text, long low, long high, long& value) {
    wchar_t* end = nullptr;
    value = std::wcstol(text, &end, 10);
    return end && end != text && *end == L'\0' && value >= low && value <= high;
}

int WriteSample(const wchar_t* path) {
    zorvel::UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), kSampleScript, static_cast<DWORD>(kSampleScriptLength),
                            &written, nullptr) || written != kSampleScriptLength) {
        std::fprintf(stderr, "ZorvelRender: cannot write %ls (error %lu)\n", path,
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && _wcsicmp(argv[1], L"/writesample") == 0) return WriteSample(argv[2]);
    if (argc != 4 && argc != 6) return Usage();

    RenderRequest request;
    long ticks = 0, width = 640, height = 480;
    if (!ParseCount(argv[2], 0, 1000000, ticks)) return Usage();
    if (argc == 6 && (!ParseCount(argv[4], 16, 4096, width) || !ParseCount(argv[5], 16, 4096, height)))
        return Usage();
    request.scriptPath = argv[1];
    request.ticks = static_cast<int>(ticks);
    request.outputPath = argv[3];
    request.width = static_cast<UINT>(width);
    request.height = static_cast<UINT>(height);

    if (FAILED(OleInitialize(nullptr))) return 1;
    RenderOutcome outcome;
    const HRESULT hr = RunRenderJob(GetModuleHandleW(nullptr), request, outcome);
    OleUninitialize();

    if (FAILED(hr)) {
        std::fprintf(stderr, "ZorvelRender: %s failed: 0x%08lX\n",
                     outcome.failedStep ? outcome.failedStep : "rendering",
                     static_cast<unsigned long>(hr));
        return 1;
    }
    std::printf("wrote %ls (%u x %u, %d ticks)\n", request.outputPath.c_str(), outcome.width,
                outcome.height, request.ticks);
    return 0;
}
