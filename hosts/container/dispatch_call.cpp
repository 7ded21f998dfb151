#include "hosts/container/dispatch_call.h"

#include <cwchar>

#include "common/owners.h"

namespace zorvel::host {
namespace {

// More than any member of the hosts' controls takes.
constexpr size_t kMaxArguments = 16;

// EXCEPINFO owns its BSTRs; this frees them whatever happens.
class ExcepInfoOwner {
public:
    ExcepInfoOwner() { ZeroMemory(&m_info, sizeof(m_info)); }
    ~ExcepInfoOwner() {
        SysFreeString(m_info.bstrSource);
        SysFreeString(m_info.bstrDescription);
        SysFreeString(m_info.bstrHelpFile);
    }
    ExcepInfoOwner(const ExcepInfoOwner&) = delete;
    ExcepInfoOwner& operator=(const ExcepInfoOwner&) = delete;
    EXCEPINFO* get() { return &m_info; }

private:
    EXCEPINFO m_info;
};

std::wstring FromBstr(BSTR s) {
    return s ? std::wstring(s, SysStringLen(s)) : std::wstring();
}

}  // namespace

namespace {

// A variant of the given type whose value the caller fills in.
VARIANT Typed(VARTYPE type) {
    VARIANT v;
    VariantInit(&v);
    v.vt = type;
    return v;
}

}  // namespace

VARIANT ArgI4(LONG value) { VARIANT v = Typed(VT_I4); v.lVal = value; return v; }
VARIANT ArgR4(float value) { VARIANT v = Typed(VT_R4); v.fltVal = value; return v; }
VARIANT ArgBstr(BSTR value) { VARIANT v = Typed(VT_BSTR); v.bstrVal = value; return v; }
VARIANT ArgRefI4(LONG* value) { VARIANT v = Typed(VT_BYREF | VT_I4); v.plVal = value; return v; }
VARIANT ArgRefR4(float* value) { VARIANT v = Typed(VT_BYREF | VT_R4); v.pfltVal = value; return v; }

HRESULT InvokeByDispid(IDispatch* object, DISPID dispid, WORD wFlags, const VARIANT* args,
                       size_t count, VARIANT* result, DispatchError* error) {
    if (error) *error = DispatchError();
    if (!object || (count && !args)) return E_POINTER;

    // IDispatch takes the arguments last first.
    VARIANT reversed[kMaxArguments];
    if (count > kMaxArguments) return E_INVALIDARG;
    for (size_t i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params = {};
    params.rgvarg = count ? reversed : nullptr;
    params.cArgs = static_cast<UINT>(count);
    if (wFlags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }

    ExcepInfoOwner excep;
    UINT argError = 0;
    HRESULT hr = object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, result,
                                excep.get(), &argError);
    if (SUCCEEDED(hr)) return hr;

    EXCEPINFO* info = excep.get();
    if (hr == DISP_E_EXCEPTION) {
        if (info->pfnDeferredFillIn) info->pfnDeferredFillIn(info);
        // The object's own code is the real status of the call.
        if (info->scode) hr = info->scode;
        else if (info->wCode) hr = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_DISPATCH, info->wCode);
    }
    if (error) {
        error->hr = hr;
        error->source = FromBstr(info->bstrSource);
        error->description = FromBstr(info->bstrDescription);
    }
    return hr;
}

std::wstring DescribeDispatchError(const DispatchError& error) {
    std::wstring text = error.description;
    if (text.empty()) {
        wchar_t* message = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(error.hr), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
        if (length && message) text.assign(message, length);
        if (message) LocalFree(message);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
            text.pop_back();
    }
    if (text.empty()) text = L"The call failed.";
    wchar_t code[32];
    swprintf(code, 32, L"\n\nError 0x%08lX", static_cast<unsigned long>(error.hr));
    return text + code;
}

void ReportDispatchError(HWND owner, const wchar_t* caption, const DispatchError& error) {
    const std::wstring text = DescribeDispatchError(error);
    MessageBoxW(owner, text.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace zorvel::host
