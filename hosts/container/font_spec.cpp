#include "hosts/container/font_spec.h"

#include <olectl.h>

#include <cwchar>

#include "hosts/container/units.h"

namespace zorvel::host {

LOGFONTW LogFontFromSpec(const FontSpec& spec, int dpiY) {
    LOGFONTW lf = {};
    lf.lfHeight = FontHeightFromCentipoints(spec.centipoints, dpiY);
    lf.lfWeight = spec.weight;
    lf.lfCharSet = spec.charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(lf.lfFaceName, spec.face, LF_FACESIZE - 1);
    return lf;
}

HFONT CreateFontFromSpec(const FontSpec& spec, int dpiY) {
    const LOGFONTW lf = LogFontFromSpec(spec, dpiY);
    return CreateFontIndirectW(&lf);
}

HRESULT CreateOleFontFromSpec(const FontSpec& spec, IFontDisp** font) {
    if (!font) return E_POINTER;
    *font = nullptr;
    FONTDESC desc = {};
    desc.cbSizeofstruct = sizeof(desc);
    desc.lpstrName = const_cast<LPOLESTR>(spec.face);
    // A CY holds the size in points scaled by 10000.
    desc.cySize.int64 = static_cast<LONGLONG>(spec.centipoints) * 100;
    desc.sWeight = static_cast<SHORT>(spec.weight);
    desc.sCharset = spec.charset;
    return OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(font));
}

}  // namespace zorvel::host
