// The C++ example of the package README (packaging/README.package.md), as
// it stands there: create the control, fill it, Refresh, and take its
// picture both ways (IViewObject::Draw through OleDraw, and the clipboard's
// enhanced metafile through IDataObject::GetData).
#include <windows.h>
#include <ole2.h>

#include <cmath>
#include <cstdio>

#include "zorvel_h.h"

int main() {
    if (FAILED(OleInitialize(nullptr))) return 1;
    ISurface* surface = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_CSurface, nullptr, CLSCTX_INPROC_SERVER, IID_ISurface,
                                  reinterpret_cast<void**>(&surface));
    if (FAILED(hr)) {
        std::printf("CoCreateInstance failed: 0x%08lx (is Zorvel.dll registered?)\n", hr);
        return 1;
    }

    // 40 x 40 points of z = sin(x) * cos(y) over [-3, 3] x [-3, 3].
    const long n = 40;
    surface->SetPointsPerXY(n, n);
    surface->SetXRange(-3.0f, 3.0f);
    surface->SetYRange(-3.0f, 3.0f);
    for (long j = 0; j < n; ++j) {
        for (long i = 0; i < n; ++i) {
            float x = -3.0f + 6.0f * i / (n - 1), y = -3.0f + 6.0f * j / (n - 1);
            surface->SetData(i, j, x, y, std::sin(x) * std::cos(y));
        }
    }
    // The data is complete.  A shown control redraws; this one has no window
    // yet, so Refresh returns E_FAIL and keeps the data for its first picture.
    surface->Refresh();

    // The picture through IViewObject::Draw, into a 400 x 300 bitmap saved as surface.bmp.
    BITMAPINFOHEADER header = {sizeof header, 400, 300, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                      nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT rect = {0, 0, 400, 300};
    hr = OleDraw(surface, DVASPECT_CONTENT, dc, &rect);
    if (SUCCEEDED(hr)) {
        const DWORD size = 400 * 300 * 4;
        BITMAPFILEHEADER file = {0x4D42, sizeof file + sizeof header + size, 0, 0, sizeof file + sizeof header};
        FILE* out = std::fopen("surface.bmp", "wb");
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(bits, size, 1, out);
        std::fclose(out);
        std::printf("surface.bmp: 400 x 300\n");
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);

    // The same picture as the clipboard's enhanced metafile, saved as surface.emf.
    IDataObject* data = nullptr;
    if (SUCCEEDED(hr)) hr = surface->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data));
    if (SUCCEEDED(hr)) {
        FORMATETC format = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
        STGMEDIUM medium = {};
        hr = data->GetData(&format, &medium);
        if (SUCCEEDED(hr)) {
            DeleteEnhMetaFile(CopyEnhMetaFileW(medium.hEnhMetaFile, L"surface.emf"));
            ReleaseStgMedium(&medium);
            std::printf("surface.emf written\n");
        }
        data->Release();
    }

    if (FAILED(hr)) std::printf("failed: 0x%08lx\n", hr);
    surface->Release();
    OleUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
