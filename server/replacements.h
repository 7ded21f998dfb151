// Replacement variables of registry data: %NAME% stands for a value known
// only at registration time (the module path, the AppID, ...).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace zorvel {

class Replacements {
public:
    // Names are matched without regard to case; a later Add of the same name wins.
    void Add(std::wstring name, std::wstring value);

    // Copies text with every %NAME% replaced by its value and "%%" by "%".
    // E_FAIL for a "%" without a closing one, a name of 32 or more
    // characters, or a name that is not defined; out is then unchanged.
    HRESULT Expand(const std::wstring& text, std::wstring* out) const;

private:
    const std::wstring* Find(const std::wstring& name) const;

    std::vector<std::pair<std::wstring, std::wstring>> m_values;
};

}  // namespace zorvel
