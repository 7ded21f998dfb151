// Prints what a new control looks like from the outside: the values a host
// reads back before it has set anything.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "control/surface.h"

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    int rc = 0;
    {
        zorvel::ComPtr<ISurface> surface;
        HRESULT hr = CSurface::CreateInstance(nullptr, IID_ISurface, surface.put_void());
        if (FAILED(hr)) {
            std::printf("creating the control failed: 0x%08lx\n", static_cast<unsigned long>(hr));
            rc = 1;
        } else {
            const CSurface* control = static_cast<CSurface*>(surface.get());
            LONG nx = 0, ny = 0, xy = 0, z = 0;
            float xmin = 0, xmax = 0, ymin = 0, ymax = 0, radius = 0;
            surface->GetPointsPerXY(&nx, &ny);
            surface->GetXRange(&xmin, &xmax);
            surface->GetYRange(&ymin, &ymax);
            surface->get_XYRotate(&xy);
            surface->get_ZRotate(&z);
            surface->get_Radius(&radius);
            const D3DXVECTOR3& eye = control->Renderer().Eye();
            std::printf("Zorvel control defaults\n");
            std::printf("  points per x, y : %ld x %ld (sized on first draw)\n", nx, ny);
            std::printf("  x range         : %g .. %g\n", xmin, xmax);
            std::printf("  y range         : %g .. %g\n", ymin, ymax);
            std::printf("  XYRotate, ZRotate: %ld, %ld\n", xy, z);
            std::printf("  Radius          : %g\n", radius);
            std::printf("  eye             : (%.6f, %.6f, %.6f)\n", eye.x, eye.y, eye.z);
            std::printf("  Direct3D 8      : %s\n", (control->Renderer().Direct3D() != nullptr) ? "available" : "not available");
            std::printf("  Refresh before the first draw: 0x%08lx\n",
                        static_cast<unsigned long>(surface->Refresh()));
        }
    }
    CoUninitialize();
    return rc;
}
