// A registry kept in memory for the registration tests: the same answers as
// the Win32 registry for what RegistryStore asks, a log of every change, and
// chosen failures.
#pragma once

#include <windows.h>

#include <cwctype>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "server/registry.h"

namespace zorvel_test {

class MemoryRegistry final : public zorvel::RegistryStore {
public:
    enum class Op { CreateKey, OpenKey, SetString, DeleteValue, DeleteTree, DeleteKey, CountSubkeys };

    // Makes every call of op on root\path answer error (case-insensitive path).
    void FailOn(Op op, HKEY root, const std::wstring& path, LONG error) {
        m_failures.push_back({op, Id(root, path), error});
    }

    // One line per change: "create KEY", "set KEY|NAME=DATA", "delete-value KEY|NAME",
    // "delete-tree KEY", "delete-key KEY".  HKCR paths carry no root prefix.
    const std::vector<std::wstring>& Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }

    bool HasKey(HKEY root, const std::wstring& path) const { return m_keys.count(Id(root, path)) != 0; }

    // False when the key or the value is absent.
    bool GetString(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring* data) const {
        auto key = m_keys.find(Id(root, path));
        if (key == m_keys.end()) return false;
        auto value = key->second.values.find(Lower(name));
        if (value == key->second.values.end()) return false;
        *data = value->second.second;
        return true;
    }

    size_t ValueCount(HKEY root, const std::wstring& path) const {
        auto key = m_keys.find(Id(root, path));
        return key == m_keys.end() ? 0 : key->second.values.size();
    }

    // Names of the direct subkeys, in sorted order.
    std::vector<std::wstring> Subkeys(HKEY root, const std::wstring& path) const {
        std::vector<std::wstring> names;
        const std::wstring prefix = Id(root, path) + L"\\";
        for (const auto& key : m_keys) {
            if (key.first.compare(0, prefix.size(), prefix) != 0) continue;
            const std::wstring rest = key.second.path.substr(path.size() + 1);
            if (rest.find(L'\\') == std::wstring::npos) names.push_back(rest);
        }
        return names;
    }

    size_t KeyCount() const { return m_keys.size(); }

    LONG CreateKey(HKEY root, const std::wstring& path) override {
        if (LONG error = Failure(Op::CreateKey, root, path)) return error;
        if (path.empty()) return ERROR_BADKEY;
        size_t end = 0;
        do {
            end = path.find(L'\\', end + 1);
            const std::wstring part = path.substr(0, end);
            if (!HasKey(root, part)) m_keys[Id(root, part)] = Key{part, {}};
        } while (end != std::wstring::npos);
        m_log.push_back(L"create " + Show(root, path));
        return ERROR_SUCCESS;
    }

    LONG OpenKey(HKEY root, const std::wstring& path) override {
        if (LONG error = Failure(Op::OpenKey, root, path)) return error;
        return HasKey(root, path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }

    LONG SetString(HKEY root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& data) override {
        if (LONG error = Failure(Op::SetString, root, path)) return error;
        auto key = m_keys.find(Id(root, path));
        if (key == m_keys.end()) return ERROR_FILE_NOT_FOUND;
        key->second.values[Lower(name)] = {name, data};
        m_log.push_back(L"set " + Show(root, path) + L"|" + name + L"=" + data);
        return ERROR_SUCCESS;
    }

    LONG DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) override {
        if (LONG error = Failure(Op::DeleteValue, root, path)) return error;
        auto key = m_keys.find(Id(root, path));
        if (key == m_keys.end()) return ERROR_FILE_NOT_FOUND;
        if (key->second.values.erase(Lower(name)) == 0) return ERROR_FILE_NOT_FOUND;
        m_log.push_back(L"delete-value " + Show(root, path) + L"|" + name);
        return ERROR_SUCCESS;
    }

    LONG DeleteTree(HKEY root, const std::wstring& path) override {
        if (LONG error = Failure(Op::DeleteTree, root, path)) return error;
        const std::wstring id = Id(root, path);
        if (!m_keys.count(id)) return ERROR_FILE_NOT_FOUND;
        for (auto key = m_keys.begin(); key != m_keys.end();) {
            const bool below = key->first == id || key->first.compare(0, id.size() + 1, id + L"\\") == 0;
            key = below ? m_keys.erase(key) : std::next(key);
        }
        m_log.push_back(L"delete-tree " + Show(root, path));
        return ERROR_SUCCESS;
    }

    LONG DeleteKey(HKEY root, const std::wstring& path) override {
        if (LONG error = Failure(Op::DeleteKey, root, path)) return error;
        if (!HasKey(root, path)) return ERROR_FILE_NOT_FOUND;
        if (!Subkeys(root, path).empty()) return ERROR_ACCESS_DENIED;
        m_keys.erase(Id(root, path));
        m_log.push_back(L"delete-key " + Show(root, path));
        return ERROR_SUCCESS;
    }

    LONG CountSubkeys(HKEY root, const std::wstring& path, DWORD* count) override {
        *count = 0;
        if (LONG error = Failure(Op::CountSubkeys, root, path)) return error;
        if (!HasKey(root, path)) return ERROR_FILE_NOT_FOUND;
        *count = static_cast<DWORD>(Subkeys(root, path).size());
        return ERROR_SUCCESS;
    }

private:
    struct Key {
        std::wstring path;  // as first created
        std::map<std::wstring, std::pair<std::wstring, std::wstring>> values;  // lower name -> (name, data)
    };
    struct Failure_ {
        Op op;
        std::wstring id;
        LONG error;
    };

    static std::wstring Lower(std::wstring text) {
        for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
        return text;
    }

    static std::wstring RootName(HKEY root) {
        if (root == HKEY_CLASSES_ROOT) return L"";
        if (root == HKEY_CURRENT_USER) return L"HKCU:";
        if (root == HKEY_LOCAL_MACHINE) return L"HKLM:";
        if (root == HKEY_USERS) return L"HKU:";
        if (root == HKEY_CURRENT_CONFIG) return L"HKCC:";
        return L"other:";
    }

    static std::wstring Id(HKEY root, const std::wstring& path) { return Lower(RootName(root) + path); }
    static std::wstring Show(HKEY root, const std::wstring& path) { return RootName(root) + path; }

    LONG Failure(Op op, HKEY root, const std::wstring& path) const {
        const std::wstring id = Id(root, path);
        for (const Failure_& failure : m_failures) {
            if (failure.op == op && failure.id == id) return failure.error;
        }
        return ERROR_SUCCESS;
    }

    std::map<std::wstring, Key> m_keys;  // by lower-case id
    std::vector<Failure_> m_failures;
    std::vector<std::wstring> m_log;
};

}  // namespace zorvel_test
