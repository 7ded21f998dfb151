#include "hosts/container/design_font.h"

#include <olectl.h>

#include <cwchar>

#include "hosts/container/units.h"

namespace zorvel::host {

LOGFONTW LogFontFromDesign(const DesignFont& design, int dpiY) {
    LOGFONTW lf = {};
    lf.lfHeight = FontHeightFromCentipoints(design.centipoints, dpiY);
    lf.lfWeight = design.weight;
    lf.lfCharSet = design.charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(lf.lfFaceName, design.face, LF_FACESIZE - 1);
    return lf;
}

HFONT CreateDesignFont(const DesignFont& design, int dpiY) {
    const LOGFONTW lf = LogFontFromDesign(design, dpiY);
    return CreateFontIndirectW(&lf);
}

HRESULT CreateOleDesignFont(const DesignFont& design, IFontDisp** font) {
    if (!font) return E_POINTER;
    *font = nullptr;
    FONTDESC desc = {};
    desc.cbSizeofstruct = sizeof(desc);
    desc.lpstrName = const_cast<LPOLESTR>(design.face);
    // A CY holds the size in points scaled by 10000.
    desc.cySize.int64 = static_cast<LONGLONG>(design.centipoints) * 100;
    desc.sWeight = static_cast<SHORT>(design.weight);
    desc.sCharset = design.charset;
    return OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(font));
}

}  // namespace zorvel::host
