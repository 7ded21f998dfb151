// RegistryStore over the Win32 registry functions.
#include "server/registry.h"

#include "common/owners.h"

namespace zorvel {
namespace {

const wchar_t* ValueName(const std::wstring& name) {
    return name.empty() ? nullptr : name.c_str();
}

class SystemRegistryStore final : public RegistryStore {
public:
    LONG CreateKey(HKEY root, const std::wstring& path) override {
        UniqueHkey key;
        return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                               nullptr, key.put(), nullptr);
    }

    LONG OpenKey(HKEY root, const std::wstring& path) override {
        UniqueHkey key;
        return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put());
    }

    LONG SetString(HKEY root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& data) override {
        UniqueHkey key;
        LONG error = RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put());
        if (error != ERROR_SUCCESS) return error;
        const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key.get(), ValueName(name), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    }

    LONG DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) override {
        UniqueHkey key;
        LONG error = RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put());
        if (error != ERROR_SUCCESS) return error;
        return RegDeleteValueW(key.get(), ValueName(name));
    }

    LONG DeleteTree(HKEY root, const std::wstring& path) override {
        return RegDeleteTreeW(root, path.c_str());
    }

    LONG DeleteKey(HKEY root, const std::wstring& path) override {
        return RegDeleteKeyW(root, path.c_str());
    }

    LONG CountSubkeys(HKEY root, const std::wstring& path, DWORD* count) override {
        *count = 0;
        UniqueHkey key;
        LONG error = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put());
        if (error != ERROR_SUCCESS) return error;
        return RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, count, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr);
    }
};

}  // namespace

RegistryStore& SystemRegistry() {
    static SystemRegistryStore store;
    return store;
}

}  // namespace zorvel
