#include "hosts/dialog/surface_calls.h"

#include "common/identifiers.h"
#include "common/owners.h"

namespace zorvel::host::dialog {

HRESULT SurfaceCalls::Call(DISPID dispid, WORD flags, const VARIANT* args, size_t count, VARIANT* result) {
    DispatchError error;
    const HRESULT hr = InvokeByDispid(m_control, dispid, flags, args, count, result, &error);
    // Success codes such as 1 (an argument refused) are not failures.
    if (FAILED(hr)) m_error = error;
    return hr;
}

HRESULT SurfaceCalls::SetPointsPerXY(LONG lpx, LONG lpy) {
    const VARIANT args[] = {ArgI4(lpx), ArgI4(lpy)};
    return Call(DISPID_SURFACE_SETPOINTSPERXY, DISPATCH_METHOD, args, 2);
}

HRESULT SurfaceCalls::GetPointsPerXY(LONG* ppX, LONG* ppY) {
    const VARIANT args[] = {ArgRefI4(ppX), ArgRefI4(ppY)};
    return Call(DISPID_SURFACE_GETPOINTSPERXY, DISPATCH_METHOD, args, 2);
}

HRESULT SurfaceCalls::SetXRange(float min_x, float max_x) {
    const VARIANT args[] = {ArgR4(min_x), ArgR4(max_x)};
    return Call(DISPID_SURFACE_SETXRANGE, DISPATCH_METHOD, args, 2);
}

HRESULT SurfaceCalls::SetYRange(float min_y, float max_y) {
    const VARIANT args[] = {ArgR4(min_y), ArgR4(max_y)};
    return Call(DISPID_SURFACE_SETYRANGE, DISPATCH_METHOD, args, 2);
}

HRESULT SurfaceCalls::SetData(LONG posx, LONG posy, float x, float y, float z) {
    const VARIANT args[] = {ArgI4(posx), ArgI4(posy), ArgR4(x), ArgR4(y), ArgR4(z)};
    return Call(DISPID_SURFACE_SETDATA, DISPATCH_METHOD, args, 5);
}

HRESULT SurfaceCalls::GetXRange(float* pflminX, float* pflmaxX) {
    const VARIANT args[] = {ArgRefR4(pflminX), ArgRefR4(pflmaxX)};
    return Call(DISPID_SURFACE_GETXRANGE, DISPATCH_METHOD, args, 2);
}

HRESULT SurfaceCalls::GetYRange(float* pflminY, float* pflmaxY) {
    const VARIANT args[] = {ArgRefR4(pflminY), ArgRefR4(pflmaxY)};
    return Call(DISPID_SURFACE_GETYRANGE, DISPATCH_METHOD, args, 2);
}

HRESULT SurfaceCalls::Refresh() {
    return Call(DISPID_SURFACE_REFRESH, DISPATCH_METHOD, nullptr, 0);
}

HRESULT SurfaceCalls::SetXYRotate(LONG value) {
    const VARIANT arg = ArgI4(value);
    return Call(DISPID_SURFACE_XYROTATE, DISPATCH_PROPERTYPUT, &arg, 1);
}

HRESULT SurfaceCalls::SetZRotate(LONG value) {
    const VARIANT arg = ArgI4(value);
    return Call(DISPID_SURFACE_ZROTATE, DISPATCH_PROPERTYPUT, &arg, 1);
}

HRESULT SurfaceCalls::GetRadius(float* value) {
    if (!value) return E_POINTER;
    UniqueVariant result;
    RETURN_IF_FAILED(Call(DISPID_SURFACE_RADIUS, DISPATCH_PROPERTYGET, nullptr, 0, result.put()));
    // The value is wanted as a float whatever type it came in.
    const HRESULT hr = VariantChangeType(result.get(), result.get(), 0, VT_R4);
    if (FAILED(hr)) {
        m_error = DispatchError{hr, {}, {}};
        return hr;
    }
    *value = result->fltVal;
    return S_OK;
}

HRESULT SurfaceCalls::SetRadius(float value) {
    const VARIANT arg = ArgR4(value);
    return Call(DISPID_SURFACE_RADIUS, DISPATCH_PROPERTYPUT, &arg, 1);
}

}  // namespace zorvel::host::dialog
