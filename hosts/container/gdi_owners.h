// Owners for the GDI objects the hosts make (fonts, brushes, bitmaps, memory
// device contexts, icons).
#pragma once

#include <windows.h>

#include "common/owners.h"

namespace zorvel::host {

using UniqueGdiObject = UniqueReleased<HGDIOBJ, DeleteObject>;
using UniqueMemoryDc = UniqueReleased<HDC, DeleteDC>;
using UniqueIcon = UniqueReleased<HICON, DestroyIcon>;

}  // namespace zorvel::host
