// Building dispatch calls for the Invoke tests: arguments in parameter order,
// turned into the reversed rgvarg array IDispatch::Invoke takes.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <vector>

namespace zorvel_test {

class Args {
public:
    Args() = default;
    Args(const Args&) = delete;
    Args& operator=(const Args&) = delete;
    ~Args() {
        for (VARIANT& v : m_params) VariantClear(&v);
    }

    Args& I4(LONG value) { return Add(VT_I4, [&](VARIANT& v) { v.lVal = value; }); }
    Args& I2(SHORT value) { return Add(VT_I2, [&](VARIANT& v) { v.iVal = value; }); }
    Args& R4(float value) { return Add(VT_R4, [&](VARIANT& v) { v.fltVal = value; }); }
    Args& R8(double value) { return Add(VT_R8, [&](VARIANT& v) { v.dblVal = value; }); }
    Args& Str(const wchar_t* text) { return Add(VT_BSTR, [&](VARIANT& v) { v.bstrVal = SysAllocString(text); }); }
    Args& Null() { return Add(VT_NULL, [](VARIANT&) {}); }
    // A reference of the given type (VT_BYREF is added).
    Args& Ref(VARTYPE type, void* target) {
        return Add(static_cast<VARTYPE>(VT_BYREF | type), [&](VARIANT& v) { v.byref = target; });
    }

    UINT Count() const { return static_cast<UINT>(m_params.size()); }

    // Positional arguments: the last parameter comes first.
    DISPPARAMS Positional() {
        m_reversed.assign(m_params.rbegin(), m_params.rend());
        return DISPPARAMS{m_reversed.empty() ? nullptr : m_reversed.data(), nullptr, Count(), 0};
    }

    // The arguments exactly as added, named by the given DISPIDs in order.
    DISPPARAMS Named(std::vector<DISPID> names) {
        m_reversed = m_params;
        m_names = std::move(names);
        return DISPPARAMS{m_reversed.data(), m_names.data(), Count(), static_cast<UINT>(m_names.size())};
    }

private:
    template <typename Fill>
    Args& Add(VARTYPE type, Fill fill) {
        VARIANT v;
        VariantInit(&v);
        v.vt = type;
        fill(v);
        m_params.push_back(v);
        return *this;
    }

    std::vector<VARIANT> m_params;    // owned, in parameter order
    std::vector<VARIANT> m_reversed;  // shallow copies handed to Invoke
    std::vector<DISPID> m_names;
};

}  // namespace zorvel_test
