#include "server/replacements.h"

#include <cwchar>

namespace zorvel {
namespace {

// Longest name the registrar accepts between two "%".
constexpr size_t kMaxNameLength = 31;

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (towupper(a[i]) != towupper(b[i])) return false;
    }
    return true;
}

}  // namespace

void Replacements::Add(std::wstring name, std::wstring value) {
    for (auto& entry : m_values) {
        if (SameName(entry.first, name)) {
            entry.second = std::move(value);
            return;
        }
    }
    m_values.emplace_back(std::move(name), std::move(value));
}

const std::wstring* Replacements::Find(const std::wstring& name) const {
    for (const auto& entry : m_values) {
        if (SameName(entry.first, name)) return &entry.second;
    }
    return nullptr;
}

HRESULT Replacements::Expand(const std::wstring& text, std::wstring* out) const {
    std::wstring result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != L'%') {
            result += text[i++];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == L'%') {
            result += L'%';
            i += 2;
            continue;
        }
        const size_t close = text.find(L'%', i + 1);
        if (close == std::wstring::npos) return E_FAIL;
        const size_t length = close - i - 1;
        if (length > kMaxNameLength) return E_FAIL;
        const std::wstring* value = Find(text.substr(i + 1, length));
        if (!value) return E_FAIL;
        result += *value;
        i = close + 1;
    }
    *out = std::move(result);
    return S_OK;
}

}  // namespace zorvel
