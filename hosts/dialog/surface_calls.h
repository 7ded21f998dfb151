// The dialog's wrapper of the control: one call per ISurface operation it
// uses, each a dispatch call by DISPID with fixed argument types (four-byte
// integers as VT_I4, floats as VT_R4, results through VT_BYREF pointers).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "hosts/container/dispatch_call.h"

namespace zorvel::host::dialog {

class SurfaceCalls {
public:
    void Bind(IDispatch* control) { m_control = control; }

    HRESULT SetPointsPerXY(LONG lpx, LONG lpy);
    HRESULT GetPointsPerXY(LONG* ppX, LONG* ppY);
    HRESULT SetXRange(float min_x, float max_x);
    HRESULT SetYRange(float min_y, float max_y);
    HRESULT SetData(LONG posx, LONG posy, float x, float y, float z);
    HRESULT GetXRange(float* pflminX, float* pflmaxX);
    HRESULT GetYRange(float* pflminY, float* pflmaxY);
    HRESULT Refresh();
    HRESULT SetXYRotate(LONG value);
    HRESULT SetZRotate(LONG value);
    HRESULT GetRadius(float* value);
    HRESULT SetRadius(float value);

    // The details of the last call that failed.
    const DispatchError& LastError() const { return m_error; }

private:
    HRESULT Call(DISPID dispid, WORD flags, const VARIANT* args, size_t count, VARIANT* result = nullptr);

    IDispatch* m_control = nullptr;  // borrowed from the dialog's control host
    DispatchError m_error;
};

}  // namespace zorvel::host::dialog
