#include "embed/picture.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace zorvel {
namespace {

// Twice a screen's width: enough for print at the sizes controls are placed.
constexpr LONG kLargestSide = 2048;

}  // namespace

HRESULT MakeDib(Renderer& renderer, LONG width, LONG height, DibPicture* picture) {
    if (width <= 0 || height <= 0) return E_INVALIDARG;
    const LONG longest = width > height ? width : height;
    if (longest > kLargestSide) {
        width = MulDiv(width, kLargestSide, longest);
        height = MulDiv(height, kLargestSide, longest);
        if (width == 0) width = 1;
        if (height == 0) height = 1;
    }
    std::vector<uint32_t> pixels;
    RETURN_IF_FAILED(renderer.RenderPicture(static_cast<UINT>(width), static_cast<UINT>(height), pixels));
    try {
        picture->rows.resize(pixels.size());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const size_t stride = static_cast<size_t>(width);
    for (LONG y = 0; y < height; ++y)
        std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(y * stride), stride,
                    picture->rows.begin() + static_cast<ptrdiff_t>((height - 1 - y) * stride));
    BITMAPINFOHEADER& header = picture->header;
    header = BITMAPINFOHEADER{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(pixels.size() * sizeof(uint32_t));
    return S_OK;
}

HRESULT PutDib(HDC dc, const RECT& dest, const DibPicture& picture) {
    BITMAPINFO info = {};
    info.bmiHeader = picture.header;
    const int lines = StretchDIBits(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, 0,
                                    0, picture.header.biWidth, picture.header.biHeight, picture.rows.data(),
                                    &info, DIB_RGB_COLORS, SRCCOPY);
    return lines == 0 || lines == static_cast<int>(GDI_ERROR) ? E_FAIL : S_OK;
}

SIZE PixelSize(HDC dc, const RECT& dest, const RECTL* windowBounds) {
    if (GetObjectType(dc) == OBJ_METADC) {
        const RECT r = windowBounds ? RECT{windowBounds->left, windowBounds->top, windowBounds->right,
                                           windowBounds->bottom}
                                    : dest;
        return SIZE{std::labs(r.right - r.left), std::labs(r.bottom - r.top)};
    }
    POINT corners[2] = {{dest.left, dest.top}, {dest.right, dest.bottom}};
    LPtoDP(dc, corners, 2);
    return SIZE{std::labs(corners[1].x - corners[0].x), std::labs(corners[1].y - corners[0].y)};
}

}  // namespace zorvel
