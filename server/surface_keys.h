// The registry entries of the CSurface control: ProgIDs and class key.
#pragma once

#include "server/key_tree.h"

namespace zorvel {

extern const KeyTree kSurfaceKeyTree;

// %FriendlyName% while the control's entries are processed.
extern const wchar_t kSurfaceFriendlyName[];

}  // namespace zorvel
