// save_picture.cpp: a picture of the Zorvel control in a .bmp file, taken
// without a window.
//
// Creates the control from its CLSID, fills a 41 x 41 grid, calls Refresh,
// then has the control draw itself with OleDraw (IViewObject::Draw) into a
// 32-bit DIB section selected into a memory device context, and writes the
// bits as a plain .bmp file.  The control draws a lit, bluish surface on
// black, as its window would show it before the camera turns.
//
//   save_picture [FILE.bmp [WIDTH HEIGHT]]      (surface.bmp, 400 x 300)
//
// Build on Windows with the package's include/ folder, then run it once
// Zorvel.dll of the program's bitness is registered (regsvr32 Zorvel.dll):
//
//   cl /EHsc /std:c++17 /I include save_picture.cpp include\zorvel_i.c ole32.lib oleaut32.lib gdi32.lib
//   g++ -std=c++17 -I include save_picture.cpp include/zorvel_i.c -static -lole32 -loleaut32 -lgdi32 -o save_picture.exe
#include <windows.h>
#include <ole2.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "zorvel_h.h"

namespace {

// Anything but S_OK is a refusal (S_FALSE) or a failure.
bool Done(HRESULT hr, const char* call) {
    if (hr == S_OK) return true;
    std::printf("%s returned 0x%08lX\n", call, static_cast<unsigned long>(hr));
    return false;
}

bool FillGrid(ISurface* surface) {
    constexpr long kPoints = 41;
    if (!Done(surface->SetPointsPerXY(kPoints, kPoints), "SetPointsPerXY") ||
        !Done(surface->SetXRange(-10.0f, 10.0f), "SetXRange") ||
        !Done(surface->SetYRange(-10.0f, 10.0f), "SetYRange"))
        return false;
    for (long j = 0; j < kPoints; ++j) {
        const float y = -10.0f + j * 20.0f / (kPoints - 1);
        for (long i = 0; i < kPoints; ++i) {
            const float x = -10.0f + i * 20.0f / (kPoints - 1);
            const float z = 4.0f * std::sin(x / 2) * std::cos(y / 2);
            if (!Done(surface->SetData(i, j, x, y, z), "SetData")) return false;
        }
    }
    // Without Refresh the picture would show the empty grid of a first draw.
    // A control in no window returns E_FAIL here, and keeps the data.
    const HRESULT hr = surface->Refresh();
    return hr == E_FAIL || Done(hr, "Refresh");
}

// A .bmp file: the file header, the bitmap's header, then its bits, bottom
// row first.  Returns the file's size, or 0 when it could not be written.
long WriteBmp(const char* path, const BITMAPINFOHEADER& header, const void* bits) {
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return 0;
    const bool written = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                         std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                         std::fwrite(bits, header.biSizeImage, 1, out) == 1;
    return std::fclose(out) == 0 && written ? static_cast<long>(file.bfSize) : 0;
}

bool SavePicture(IUnknown* control, const char* path, LONG width, LONG height) {
    BITMAPINFO info = {};
    BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // positive: bottom row first, as a .bmp keeps it
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    bool saved = false;
    if (bitmap && dc) {
        const HGDIOBJ previous = SelectObject(dc, bitmap);
        const RECT bounds = {0, 0, width, height};
        const HRESULT hr = OleDraw(control, DVASPECT_CONTENT, dc, &bounds);
        GdiFlush();  // the bits are complete before they are read
        SelectObject(dc, previous);
        if (Done(hr, "OleDraw")) {
            const long size = WriteBmp(path, header, bits);
            if (size) std::printf("wrote %s: %ld x %ld pixels, %ld bytes\n", path, width, height, size);
            else std::printf("cannot write %s\n", path);
            saved = size != 0;
        }
    } else {
        std::printf("cannot make a %ld x %ld bitmap\n", width, height);
    }
    if (dc) DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "surface.bmp";
    const LONG width = argc > 3 ? std::atol(argv[2]) : 400;
    const LONG height = argc > 3 ? std::atol(argv[3]) : 300;
    if (argc == 3 || argc > 4 || width < 1 || height < 1 || width > 4096 || height > 4096) {
        std::printf("usage: save_picture [FILE.bmp [WIDTH HEIGHT]]\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    ISurface* surface = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_ISurface, reinterpret_cast<void**>(&surface));
    bool ok = false;
    if (SUCCEEDED(hr)) {
        ok = FillGrid(surface) && SavePicture(surface, path, width, height);
        surface->Release();
    } else {
        std::printf("cannot create the control (0x%08lX): is Zorvel.dll registered?\n",
                    static_cast<unsigned long>(hr));
    }
    CoUninitialize();
    return ok ? 0 : 1;
}
