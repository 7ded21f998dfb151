// A font as the hosts' designs give it: face, size in points, weight and
// character set.  It becomes a GDI font for windows and an OLE font for the
// control's ambient font.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "hosts/container/gdi_owners.h"

namespace zorvel::host {

struct DesignFont {
    const wchar_t* face;
    int centipoints;  // 975 for 9.75 pt
    LONG weight;      // FW_NORMAL, FW_BOLD
    BYTE charset;     // ANSI_CHARSET, RUSSIAN_CHARSET ...
};

LOGFONTW LogFontFromDesign(const DesignFont& design, int dpiY);
HFONT CreateDesignFont(const DesignFont& design, int dpiY);
// An OLE font object for the ambient font property.
HRESULT CreateOleDesignFont(const DesignFont& design, IFontDisp** font);

}  // namespace zorvel::host
