// The script is parsed completely before anything is written: a syntax error
// leaves the registry as it was.
#include "server/registrar.h"

#include <cwchar>
#include <vector>

#include "common/owners.h"

namespace zorvel {
namespace {

constexpr int kMaxKeyDepth = 512;

struct Token {
    std::wstring text;
    bool quoted = false;
};

struct Node {
    enum class Kind { Key, Value };
    enum class Removal { Normal, NoRemove, ForceRemove };

    Kind kind = Kind::Key;
    Removal removal = Removal::Normal;
    std::wstring name;
    bool hasData = false;
    std::wstring data;
    std::vector<Node> children;  // in script order
};

struct Root {
    HKEY hkey = nullptr;
    std::vector<Node> children;
};

struct RootName {
    const wchar_t* name;
    HKEY hkey;
};

const RootName kRootNames[] = {
    {L"HKCR", HKEY_CLASSES_ROOT},     {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {L"HKCU", HKEY_CURRENT_USER},     {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKLM", HKEY_LOCAL_MACHINE},    {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKU", HKEY_USERS},             {L"HKEY_USERS", HKEY_USERS},
    {L"HKPD", HKEY_PERFORMANCE_DATA}, {L"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
    {L"HKDD", HKEY_DYN_DATA},         {L"HKEY_DYN_DATA", HKEY_DYN_DATA},
    {L"HKCC", HKEY_CURRENT_CONFIG},   {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsPunctuation(wchar_t c) {
    return c == L'{' || c == L'}' || c == L'=';
}

bool SameText(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (towupper(a[i]) != towupper(b[i])) return false;
    }
    return i == a.size() && !b[i];
}

HRESULT Tokenize(const std::wstring& script, std::vector<Token>* tokens) {
    size_t i = 0;
    while (i < script.size()) {
        const wchar_t c = script[i];
        if (IsSpace(c)) {
            ++i;
        } else if (IsPunctuation(c)) {
            tokens->push_back({std::wstring(1, c), false});
            ++i;
        } else if (c == L'\'') {
            Token token{L"", true};
            for (++i;; ++i) {
                if (i >= script.size()) return DISP_E_EXCEPTION;  // unterminated quote
                if (script[i] == L'\'') {
                    if (i + 1 < script.size() && script[i + 1] == L'\'') {
                        token.text += L'\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                token.text += script[i];
            }
            tokens->push_back(std::move(token));
        } else {
            Token token;
            while (i < script.size() && !IsSpace(script[i]) && !IsPunctuation(script[i]) &&
                   script[i] != L'\'') {
                token.text += script[i++];
            }
            tokens->push_back(std::move(token));
        }
    }
    return S_OK;
}

class Parser {
public:
    Parser(const std::vector<Token>& tokens, const Replacements& replacements)
        : m_tokens(tokens), m_replacements(replacements) {}

    HRESULT ParseScript(std::vector<Root>* roots) {
        while (!AtEnd()) {
            Root root;
            const Token& name = Next();
            if (name.quoted || !LookUpRoot(name.text, &root.hkey)) return DISP_E_EXCEPTION;
            if (!Accept(L"{")) return DISP_E_EXCEPTION;
            RETURN_IF_FAILED(ParseChildren(&root.children, /*allowValues=*/false, 1));
            roots->push_back(std::move(root));
        }
        return S_OK;
    }

private:
    bool AtEnd() const { return m_pos >= m_tokens.size(); }
    const Token& Next() { return m_tokens[m_pos++]; }

    bool Peek(const wchar_t* word) const {
        return !AtEnd() && !m_tokens[m_pos].quoted && SameText(m_tokens[m_pos].text, word);
    }

    bool Accept(const wchar_t* word) {
        if (!Peek(word)) return false;
        ++m_pos;
        return true;
    }

    static bool LookUpRoot(const std::wstring& name, HKEY* hkey) {
        for (const RootName& root : kRootNames) {
            if (SameText(name, root.name)) {
                *hkey = root.hkey;
                return true;
            }
        }
        return false;
    }

    // A name or a text: any token but punctuation, expanded.
    HRESULT ParseText(std::wstring* out) {
        if (AtEnd()) return DISP_E_EXCEPTION;
        const Token& token = Next();
        if (!token.quoted && (token.text.size() == 1 && IsPunctuation(token.text[0])))
            return DISP_E_EXCEPTION;
        return m_replacements.Expand(token.text, out);
    }

    // "= s 'text'"; only string data is written by this registrar.
    HRESULT ParseData(std::wstring* out) {
        if (!Accept(L"=")) return DISP_E_EXCEPTION;
        if (!Accept(L"s")) return DISP_E_EXCEPTION;
        return ParseText(out);
    }

    // Entries up to and including the closing brace.  The registry holds
    // keys 512 levels deep at most; a deeper script is malformed, and
    // refusing it keeps the parse from running out of stack.
    HRESULT ParseChildren(std::vector<Node>* children, bool allowValues, int depth) {
        if (depth > kMaxKeyDepth) return DISP_E_EXCEPTION;
        for (;;) {
            if (AtEnd()) return DISP_E_EXCEPTION;  // missing "}"
            if (Accept(L"}")) return S_OK;
            Node node;
            if (Accept(L"val")) {
                if (!allowValues) return DISP_E_EXCEPTION;
                node.kind = Node::Kind::Value;
                RETURN_IF_FAILED(ParseText(&node.name));
                RETURN_IF_FAILED(ParseData(&node.data));
                node.hasData = true;
            } else {
                if (Accept(L"NoRemove")) node.removal = Node::Removal::NoRemove;
                else if (Accept(L"ForceRemove")) node.removal = Node::Removal::ForceRemove;
                RETURN_IF_FAILED(ParseText(&node.name));
                if (node.name.empty()) return DISP_E_EXCEPTION;
                if (Peek(L"=")) {
                    RETURN_IF_FAILED(ParseData(&node.data));
                    node.hasData = true;
                }
                if (Accept(L"{")) RETURN_IF_FAILED(ParseChildren(&node.children, true, depth + 1));
            }
            children->push_back(std::move(node));
        }
    }

    const std::vector<Token>& m_tokens;
    const Replacements& m_replacements;
    size_t m_pos = 0;
};

std::wstring Join(const std::wstring& parent, const std::wstring& name) {
    return parent.empty() ? name : parent + L"\\" + name;
}

HRESULT Register(RegistryStore& registry, HKEY root, const std::wstring& parent, const Node& node) {
    if (node.kind == Node::Kind::Value)
        return HresultFromRegistry(registry.SetString(root, parent, node.name, node.data));

    const std::wstring path = Join(parent, node.name);
    if (node.removal == Node::Removal::ForceRemove) {
        const LONG error = registry.DeleteTree(root, path);
        if (error != ERROR_SUCCESS && !IsAbsent(error)) return HresultFromRegistry(error);
    }
    RETURN_IF_FAILED(HresultFromRegistry(registry.CreateKey(root, path)));
    if (node.hasData) RETURN_IF_FAILED(HresultFromRegistry(registry.SetString(root, path, L"", node.data)));
    for (const Node& child : node.children) RETURN_IF_FAILED(Register(registry, root, path, child));
    return S_OK;
}

HRESULT IgnoreAbsent(LONG error) {
    return IsAbsent(error) ? S_OK : HresultFromRegistry(error);
}

HRESULT Unregister(RegistryStore& registry, HKEY root, const std::wstring& parent, const Node& node) {
    if (node.kind == Node::Kind::Value) return IgnoreAbsent(registry.DeleteValue(root, parent, node.name));

    const std::wstring path = Join(parent, node.name);
    if (node.removal == Node::Removal::ForceRemove) return IgnoreAbsent(registry.DeleteTree(root, path));

    const LONG opened = registry.OpenKey(root, path);
    if (IsAbsent(opened)) return S_OK;  // nothing of ours below it
    RETURN_IF_FAILED(HresultFromRegistry(opened));
    for (const Node& child : node.children) RETURN_IF_FAILED(Unregister(registry, root, path, child));
    if (node.removal == Node::Removal::NoRemove) return S_OK;

    DWORD subkeys = 0;
    RETURN_IF_FAILED(IgnoreAbsent(registry.CountSubkeys(root, path, &subkeys)));
    if (subkeys != 0) return S_OK;  // someone else's keys keep it
    return IgnoreAbsent(registry.DeleteKey(root, path));
}

HRESULT Run(RegistryStore& registry, const std::vector<Root>& roots, bool bRegister) {
    for (const Root& root : roots) {
        for (const Node& node : root.children) {
            RETURN_IF_FAILED(bRegister ? Register(registry, root.hkey, L"", node)
                                       : Unregister(registry, root.hkey, L"", node));
        }
    }
    return S_OK;
}

}  // namespace

HRESULT RunRegistrarScript(RegistryStore& registry, const std::wstring& script,
                           const Replacements& replacements, bool bRegister) {
    std::vector<Token> tokens;
    RETURN_IF_FAILED(Tokenize(script, &tokens));
    std::vector<Root> roots;
    RETURN_IF_FAILED(Parser(tokens, replacements).ParseScript(&roots));

    const HRESULT hr = Run(registry, roots, bRegister);
    if (FAILED(hr) && bRegister) Run(registry, roots, false);  // take back the partial write
    return hr;
}

}  // namespace zorvel
