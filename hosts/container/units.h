// Conversions between the units the hosts' designs use (twips, HIMETRIC,
// points) and the pixels of the screen, at the system's DPI.
#pragma once

#include <windows.h>

namespace zorvel::host {

constexpr int kTwipsPerInch = 1440;
constexpr int kHimetricPerInch = 2540;

// The screen's pixels per inch, horizontally and vertically.
struct ScreenDpi {
    int x = 96;
    int y = 96;
};

ScreenDpi SystemDpi();

inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, kTwipsPerInch); }
inline int PixelsToHimetric(int pixels, int dpi) { return MulDiv(pixels, kHimetricPerInch, dpi); }
inline int HimetricToPixels(int himetric, int dpi) { return MulDiv(himetric, dpi, kHimetricPerInch); }

// A rectangle given as left, top, width, height in twips, in pixels.
RECT TwipsRectToPixels(int left, int top, int width, int height, const ScreenDpi& dpi);

// The LOGFONT height of a font of the given size in hundredths of a point
// (975 for 9.75 pt): negative, so that it names the character height.
inline LONG FontHeightFromCentipoints(int centipoints, int dpiY) {
    return -MulDiv(centipoints, dpiY, 7200);
}

}  // namespace zorvel::host
