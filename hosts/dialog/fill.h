// The fill procedure of the dialog's surface buttons and the test functions
// they fill the grid with.
#pragma once

#include <windows.h>

#include "hosts/dialog/surface_calls.h"

namespace zorvel::host::dialog {

// f(x, y), evaluated in double precision from the grid's float coordinates.
using SurfaceFunction = double (*)(float x, float y);

// Reads the point counts and ranges, writes f at every grid point with
// SetData (columns outer, rows inner) and calls Refresh.  Stops at the first
// failing call and returns its status.
HRESULT FillSurface(SurfaceCalls& calls, SurfaceFunction f);

// The test functions.
double WavyProduct(float x, float y);      // 10 sin(0.1 x y), "Set Data"
double SineProduct(float x, float y);      // 10 sin(x) sin(y)
double BesselProduct(float x, float y);    // 10 J0(x) J0(y)
double LinearBessel(float x, float y);     // x J0(y)
double Flash(float x, float y);            // a sin(a), a = 10 / (|(x, y)| + 1)
double RandomSpikes(float x, float y);     // a, with a spike of 255 / (30 a) where rand() & 0xFF is 255

}  // namespace zorvel::host::dialog
