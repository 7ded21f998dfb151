// The control's picture as a device-independent bitmap: rows of 32-bit
// pixels, bottom row first, which every kind of device context takes (an
// old-style metafile only with the image size filled in).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "render/renderer.h"

namespace zorvel {

struct DibPicture {
    BITMAPINFOHEADER header = {};
    std::vector<uint32_t> rows;
};

// The scene at width x height pixels.  Sides above what a picture needs are
// scaled down, keeping the shape; the bitmap is then stretched on output.
HRESULT MakeDib(Renderer& renderer, LONG width, LONG height, DibPicture* picture);

// Stretched over dest, in the context's logical units.
HRESULT PutDib(HDC dc, const RECT& dest, const DibPicture& picture);

// The size in pixels that dest covers in dc.  A metafile has no pixels: its
// logical units are taken for them (an old-style one's from its window
// rectangle, windowBounds, when the caller gives it).
SIZE PixelSize(HDC dc, const RECT& dest, const RECTL* windowBounds);

}  // namespace zorvel
