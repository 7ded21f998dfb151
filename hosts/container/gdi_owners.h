// Owners for what the hosts make with GDI: its objects and memory device
// contexts (common/owners.h) and icons.
#pragma once

#include <windows.h>

#include "common/owners.h"

namespace zorvel::host {

using UniqueIcon = UniqueReleased<HICON, DestroyIcon>;

}  // namespace zorvel::host
