// Conversions between BSTRs and ANSI text in the thread's code page.
#include "script/text.h"

#include <climits>
#include <new>

namespace zorvel::script {
namespace {

int g_nFailConversion = -1;

bool InjectedFailure() noexcept {
    if (g_nFailConversion < 0) return false;
    return g_nFailConversion-- == 0;
}

HRESULT LastErrorOr(HRESULT fallback) noexcept {
    const DWORD error = GetLastError();
    return error != 0 ? HRESULT_FROM_WIN32(error) : fallback;
}

}  // namespace

HRESULT AnsiFromBstr(BSTR text, std::string& out) noexcept {
    if (InjectedFailure()) return E_OUTOFMEMORY;
    out.clear();
    if (!text || !text[0]) return S_OK;
    // With a length of -1 the conversion stops at the first null character.
    const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return LastErrorOr(E_FAIL);
    try {
        out.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, &out[0], size, nullptr, nullptr) != size) {
        out.clear();
        return LastErrorOr(E_FAIL);
    }
    out.resize(static_cast<size_t>(size) - 1);  // the terminator came along
    return S_OK;
}

HRESULT BstrFromAnsi(const char* text, size_t length, BSTR* out) noexcept {
    *out = nullptr;
    if (InjectedFailure()) return E_OUTOFMEMORY;
    if (length == 0) {
        *out = SysAllocStringLen(nullptr, 0);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    if (length > static_cast<size_t>(INT_MAX)) return E_OUTOFMEMORY;
    const int count = static_cast<int>(length);
    const int wide = MultiByteToWideChar(CP_THREAD_ACP, 0, text, count, nullptr, 0);
    if (wide <= 0) return LastErrorOr(E_FAIL);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    if (!result) return E_OUTOFMEMORY;
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, count, result, wide) != wide) {
        const HRESULT hr = LastErrorOr(E_FAIL);
        SysFreeString(result);
        return hr;
    }
    *out = result;
    return S_OK;
}

void FailConversionForTesting(int nth) noexcept {
    g_nFailConversion = nth < 0 ? -1 : nth;
}

bool PendingConversionFailure() noexcept {
    return g_nFailConversion >= 0;
}

}  // namespace zorvel::script
