// A class's registry entries as a table of rows under HKEY_CLASSES_ROOT,
// written top to bottom and removed bottom to top.
#pragma once

#include <windows.h>

#include <cstddef>

#include "server/registry.h"
#include "server/replacements.h"

namespace zorvel {

enum class KeyMark {
    Normal,    // opened or created; deleted on unregistration
    Kept,      // opened or created; never deleted (shared with other classes)
    Replaced,  // deleted with everything below it, then created anew
};

// One row writes one value (or none, when valueName is null) into one key.
// The mark counts on the first row that names a key.  Key names and data may
// hold replacement variables.
struct KeyTreeRow {
    const wchar_t* key;
    KeyMark mark;
    const wchar_t* valueName;  // L"" for the default value
    const wchar_t* data;
};

struct KeyTree {
    const KeyTreeRow* rows;
    size_t count;
};

// Rows in order; the first failure ends the pass and is returned.
HRESULT RegisterKeyTree(RegistryStore& registry, const KeyTree& tree, const Replacements& replacements);

// Deletes every key the tree names, except Kept ones, with everything below
// it, children before parents.  Keys that are already gone are not an error.
HRESULT UnregisterKeyTree(RegistryStore& registry, const KeyTree& tree, const Replacements& replacements);

}  // namespace zorvel
