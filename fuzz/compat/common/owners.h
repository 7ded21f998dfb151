// Natively the registrar needs only the one-line error path of the owners
// header; the owners themselves are COM and Win32 types.
#pragma once

#include <windows.h>

#define RETURN_IF_FAILED(expr)                 \
    do {                                       \
        HRESULT hr_once_ = (expr);             \
        if (FAILED(hr_once_)) return hr_once_; \
    } while (0)
