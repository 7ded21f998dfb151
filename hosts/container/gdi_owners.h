// Owners for the GDI objects the hosts make (fonts, brushes, icons).
#pragma once

#include <windows.h>

#include "common/owners.h"

namespace zorvel::host {

struct GdiObjectTraits {
    using type = HGDIOBJ;
    static HGDIOBJ invalid() { return nullptr; }
    static void close(HGDIOBJ h) { DeleteObject(h); }
};
using UniqueGdiObject = UniqueHandleT<GdiObjectTraits>;

struct MemoryDcTraits {
    using type = HDC;
    static HDC invalid() { return nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};
using UniqueMemoryDc = UniqueHandleT<MemoryDcTraits>;

struct IconTraits {
    using type = HICON;
    static HICON invalid() { return nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};
using UniqueIcon = UniqueHandleT<IconTraits>;

}  // namespace zorvel::host
