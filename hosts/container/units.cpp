#include "hosts/container/units.h"

namespace zorvel::host {

ScreenDpi SystemDpi() {
    ScreenDpi dpi;
    if (HDC screen = GetDC(nullptr)) {
        dpi.x = GetDeviceCaps(screen, LOGPIXELSX);
        dpi.y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

RECT TwipsRectToPixels(int left, int top, int width, int height, const ScreenDpi& dpi) {
    RECT rc;
    rc.left = TwipsToPixels(left, dpi.x);
    rc.top = TwipsToPixels(top, dpi.y);
    // Edges are converted, not sizes, so that neighbours meet as designed.
    rc.right = TwipsToPixels(left + width, dpi.x);
    rc.bottom = TwipsToPixels(top + height, dpi.y);
    return rc;
}

}  // namespace zorvel::host
