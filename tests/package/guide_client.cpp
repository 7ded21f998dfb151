// The C++ example of docs/using-zorvel.md, as it stands there: early-bound
// through the generated header, with plain COM calls.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>

#include "zorvel_h.h"

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    ISurface* surface = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER, IID_ISurface,
                                  reinterpret_cast<void**>(&surface));
    if (SUCCEEDED(hr)) {
        surface->SetPointsPerXY(2, 2);
        surface->SetXRange(0.0f, 1.0f);
        surface->SetYRange(0.0f, 1.0f);
        surface->SetData(1, 1, 1.0f, 1.0f, 1.0f);
        long nx = 0, ny = 0;
        surface->GetPointsPerXY(&nx, &ny);
        BSTR script = SysAllocString(L"print('radius ' .. 3)");
        BSTR result = nullptr;
        hr = surface->RunScript(script, &result);
        if (SUCCEEDED(hr)) std::printf("grid %ld x %ld, script said: %ls\n", nx, ny, result);
        SysFreeString(result);
        SysFreeString(script);
        surface->Release();
    }
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
