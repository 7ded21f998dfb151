#include "hosts/dialog/fill.h"

#include <cmath>
#include <cstdlib>

#include "hosts/dialog/double_precision.h"
#include "common/owners.h"

// The C runtime's Bessel function of the first kind, order 0; the headers
// hide it in strict standard mode.
extern "C" double __cdecl _j0(double x);

namespace zorvel::host::dialog {
namespace {

double J0(double x) {
    return _j0(x);
}

double Hill(float x, float y) {
    const double dx = x, dy = y;
    return 10.0 / (std::sqrt(dx * dx + dy * dy) + 1.0);
}

}  // namespace

HRESULT FillSurface(SurfaceCalls& calls, SurfaceFunction f) {
    LONG nx = 0, ny = 0;
    float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    RETURN_IF_FAILED(calls.GetPointsPerXY(&nx, &ny));
    RETURN_IF_FAILED(calls.GetXRange(&xmin, &xmax));
    RETURN_IF_FAILED(calls.GetYRange(&ymin, &ymax));

    DoublePrecisionScope precision;
    // One column or row makes the step infinite; the coordinates are then not
    // numbers, which the control stores as they come.
    const float dx = static_cast<float>((static_cast<double>(xmax) - xmin) / (nx - 1));
    const float dy = static_cast<float>((static_cast<double>(ymax) - ymin) / (ny - 1));
    for (LONG i = 0; i < nx; ++i) {
        for (LONG j = 0; j < ny; ++j) {
            const float x = static_cast<float>(static_cast<double>(i) * dx + xmin);
            const float y = static_cast<float>(static_cast<double>(j) * dy + ymin);
            const float z = static_cast<float>(f(x, y));
            RETURN_IF_FAILED(calls.SetData(i, j, x, y, z));
        }
    }
    return calls.Refresh();
}

double WavyProduct(float x, float y) {
    // The factor is the float nearest to 0.1, as the dialog has always used.
    return 10.0 * std::sin(static_cast<double>(0.1f) * x * y);
}

double SineProduct(float x, float y) {
    return 10.0 * std::sin(static_cast<double>(x)) * std::sin(static_cast<double>(y));
}

double BesselProduct(float x, float y) {
    return 10.0 * J0(x) * J0(y);
}

double LinearBessel(float x, float y) {
    return static_cast<double>(x) * J0(y);
}

double Flash(float x, float y) {
    const double a = Hill(x, y);
    return a * std::sin(a);
}

double RandomSpikes(float x, float y) {
    const double a = Hill(x, y);
    const int r = std::rand() & 0xFF;
    return r == 255 ? a + 255.0 / (30.0 * a) : a;
}

}  // namespace zorvel::host::dialog
