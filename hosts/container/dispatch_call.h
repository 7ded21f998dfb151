// Late-bound calls by DISPID, the way the hosts reach their control: the
// arguments are given in the order of the parameter list and travel as the
// VARIANT types the caller chose.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <string>

namespace zorvel::host {

// What a failed call left: its status and, when the object said more through
// EXCEPINFO, its source and description.
struct DispatchError {
    HRESULT hr = S_OK;
    std::wstring source;
    std::wstring description;
};

// Argument makers.  A BSTR argument is borrowed: the caller keeps owning it.
VARIANT ArgI4(LONG value);
VARIANT ArgR4(float value);
VARIANT ArgBstr(BSTR value);
VARIANT ArgRefI4(LONG* value);
VARIANT ArgRefR4(float* value);

// Calls member dispid with wFlags (DISPATCH_METHOD, DISPATCH_PROPERTYGET or
// DISPATCH_PROPERTYPUT; a put passes its single argument as the named
// DISPID_PROPERTYPUT).  result may be null.  Returns the call's status; on a
// failure error (when given) receives the status and the exception details.
HRESULT InvokeByDispid(IDispatch* object, DISPID dispid, WORD wFlags, const VARIANT* args,
                       size_t count, VARIANT* result, DispatchError* error);

// The text a user sees for a failed call: the object's description when it
// gave one, else the system's message for the status, with the status in hex.
std::wstring DescribeDispatchError(const DispatchError& error);

// Shows that text in a message box owned by owner.
void ReportDispatchError(HWND owner, const wchar_t* caption, const DispatchError& error);

}  // namespace zorvel::host
