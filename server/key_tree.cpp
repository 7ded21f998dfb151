#include "server/key_tree.h"

#include <string>
#include <vector>

#include "common/owners.h"

namespace zorvel {
namespace {

struct ExpandedKey {
    std::wstring path;
    KeyMark mark;
};

// The distinct keys of the tree in the order they are first named; the
// table names a parent before its children.
HRESULT CollectKeys(const KeyTree& tree, const Replacements& replacements, std::vector<ExpandedKey>* keys) {
    for (size_t i = 0; i < tree.count; ++i) {
        std::wstring path;
        RETURN_IF_FAILED(replacements.Expand(tree.rows[i].key, &path));
        bool seen = false;
        for (const ExpandedKey& key : *keys) seen = seen || key.path == path;
        if (!seen) keys->push_back({std::move(path), tree.rows[i].mark});
    }
    return S_OK;
}

}  // namespace

HRESULT RegisterKeyTree(RegistryStore& registry, const KeyTree& tree, const Replacements& replacements) {
    std::vector<std::wstring> created;
    for (size_t i = 0; i < tree.count; ++i) {
        const KeyTreeRow& row = tree.rows[i];
        std::wstring path;
        RETURN_IF_FAILED(replacements.Expand(row.key, &path));

        bool firstMention = true;
        for (const std::wstring& done : created) firstMention = firstMention && done != path;
        if (firstMention) {
            if (row.mark == KeyMark::Replaced) {
                const LONG error = registry.DeleteTree(HKEY_CLASSES_ROOT, path);
                if (error != ERROR_SUCCESS && !IsAbsent(error)) return HresultFromRegistry(error);
            }
            RETURN_IF_FAILED(HresultFromRegistry(registry.CreateKey(HKEY_CLASSES_ROOT, path)));
            created.push_back(path);
        }

        if (!row.valueName) continue;
        std::wstring data;
        RETURN_IF_FAILED(replacements.Expand(row.data, &data));
        RETURN_IF_FAILED(HresultFromRegistry(registry.SetString(HKEY_CLASSES_ROOT, path, row.valueName, data)));
    }
    return S_OK;
}

HRESULT UnregisterKeyTree(RegistryStore& registry, const KeyTree& tree, const Replacements& replacements) {
    std::vector<ExpandedKey> keys;
    RETURN_IF_FAILED(CollectKeys(tree, replacements, &keys));
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        if (key->mark == KeyMark::Kept) continue;
        const LONG error = registry.DeleteTree(HKEY_CLASSES_ROOT, key->path);
        if (error != ERROR_SUCCESS && !IsAbsent(error)) return HresultFromRegistry(error);
    }
    return S_OK;
}

}  // namespace zorvel
