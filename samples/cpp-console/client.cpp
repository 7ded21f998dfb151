// client.cpp: the Zorvel control from a C++ console program, early bound
// through ISurface.
//
// Creates the control from its CLSID, sets a 41 x 41 grid over -10..10 in x
// and y, fills its heights with SetData, reads values back, turns the camera
// on and runs a Lua script whose printed output comes back as a BSTR.  No
// window is needed for any of this.
//
// Build on Windows with the package's include/ folder, then run it once
// Zorvel.dll of the program's bitness is registered (regsvr32 Zorvel.dll):
//
//   cl /EHsc /std:c++17 /I include client.cpp include\zorvel_i.c ole32.lib oleaut32.lib
//   g++ -std=c++17 -I include client.cpp include/zorvel_i.c -static -lole32 -loleaut32 -o client.exe
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cmath>
#include <cstdio>

#include "zorvel_h.h"

namespace {

// The control's methods return S_OK when they did what was asked, S_FALSE
// when they refused their arguments (FAILED() does not see that) and an
// error HRESULT when they failed.
bool Done(HRESULT hr, const char* call) {
    if (hr == S_OK) return true;
    std::printf("%s returned 0x%08lX\n", call, static_cast<unsigned long>(hr));
    return false;
}

bool FillGrid(ISurface* surface) {
    constexpr long kPoints = 41;
    if (!Done(surface->SetPointsPerXY(kPoints, kPoints), "SetPointsPerXY") ||
        !Done(surface->SetXRange(-10.0f, 10.0f), "SetXRange") ||
        !Done(surface->SetYRange(-10.0f, 10.0f), "SetYRange"))
        return false;
    for (long j = 0; j < kPoints; ++j) {
        const float y = -10.0f + j * 20.0f / (kPoints - 1);
        for (long i = 0; i < kPoints; ++i) {
            const float x = -10.0f + i * 20.0f / (kPoints - 1);
            const float z = 4.0f * std::sin(x / 2) * std::cos(y / 2);
            if (!Done(surface->SetData(i, j, x, y, z), "SetData")) return false;
        }
    }
    // Refresh after filling, or the control's first draw starts from an empty
    // grid.  A control in no window has no device to draw with yet: Refresh
    // then returns E_FAIL, but the data is kept for the first draw.
    const HRESULT hr = surface->Refresh();
    return hr == E_FAIL || Done(hr, "Refresh");
}

bool ReadBack(ISurface* surface) {
    long nx = 0, ny = 0;
    float low = 0.0f, high = 0.0f;
    if (!Done(surface->GetPointsPerXY(&nx, &ny), "GetPointsPerXY") ||
        !Done(surface->GetXRange(&low, &high), "GetXRange"))
        return false;
    std::printf("grid: %ld x %ld points, x from %g to %g\n", nx, ny, low, high);

    // A grid needs 4 to 30000 points: this call is refused and changes nothing.
    const HRESULT hr = surface->SetPointsPerXY(1, 3);
    if (FAILED(hr) || !Done(surface->GetPointsPerXY(&nx, &ny), "GetPointsPerXY")) return false;
    std::printf("SetPointsPerXY(1, 3) returned %s, the grid is still %ld x %ld\n",
                hr == S_FALSE ? "S_FALSE (refused)" : "S_OK", nx, ny);
    return true;
}

bool Camera(ISurface* surface) {
    // XYRotate is on (1) or off (0); any other number means on.
    float radius = 0.0f;
    long rotating = 0;
    if (!Done(surface->put_Radius(40.0f), "put_Radius") ||
        !Done(surface->put_XYRotate(1), "put_XYRotate") ||
        !Done(surface->get_Radius(&radius), "get_Radius") ||
        !Done(surface->get_XYRotate(&rotating), "get_XYRotate"))
        return false;
    std::printf("camera: radius %g, rotating %ld\n", radius, rotating);
    return true;
}

// RunScript returns what the script printed: print joins its arguments
// without a separator and ends each line with CR LF.  (The control also
// writes each printed line to the standard output, arguments separated by
// tabs, so a console program shows them twice.)
bool RunScript(ISurface* surface) {
    BSTR script = SysAllocString(L"local nx, ny = GetPointsPerXY()\n"
                                 L"print('the script sees ', nx, ' x ', ny, ' points')\n"
                                 L"SetRadius(GetRadius() / 2)\n");
    if (!script) return false;
    BSTR printed = nullptr;
    const HRESULT hr = surface->RunScript(script, &printed);
    SysFreeString(script);
    if (!Done(hr, "RunScript")) return false;
    int length = static_cast<int>(SysStringLen(printed));
    if (length >= 2 && printed[length - 2] == L'\r') length -= 2;  // the last CR LF
    std::printf("the script printed: %.*ls\n", length, printed);
    SysFreeString(printed);

    float radius = 0.0f;
    if (!Done(surface->get_Radius(&radius), "get_Radius")) return false;
    std::printf("camera: radius %g\n", radius);
    return true;
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    ISurface* surface = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER, IID_ISurface,
                                  reinterpret_cast<void**>(&surface));
    bool ok = false;
    if (SUCCEEDED(hr)) {
        ok = FillGrid(surface) && ReadBack(surface) && Camera(surface) && RunScript(surface);
        surface->Release();
    } else {
        std::printf("cannot create the control (0x%08lX): is Zorvel.dll registered?\n",
                    static_cast<unsigned long>(hr));
    }
    CoUninitialize();
    return ok ? 0 : 1;
}
