#include "common/png_file.h"

#include <wincodec.h>

#include <new>

#include "common/owners.h"

namespace zorvel {

HRESULT WritePng(const wchar_t* path, const std::vector<uint32_t>& pixels, UINT width, UINT height) {
    if (!path) return E_POINTER;
    if (!width || !height || pixels.size() != static_cast<size_t>(width) * height) return E_INVALIDARG;

    // Rows of blue, green, red bytes, the one layout every PNG encoder takes.
    const UINT stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> rows;
    try {
        rows.resize(static_cast<size_t>(stride) * height);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (UINT y = 0; y < height; ++y) {
        BYTE* out = rows.data() + static_cast<size_t>(y) * stride;
        const uint32_t* in = pixels.data() + static_cast<size_t>(y) * width;
        for (UINT x = 0; x < width; ++x) {
            out[3 * x + 0] = static_cast<BYTE>(in[x]);
            out[3 * x + 1] = static_cast<BYTE>(in[x] >> 8);
            out[3 * x + 2] = static_cast<BYTE>(in[x] >> 16);
        }
    }

    ComPtr<IWICImagingFactory> factory;
    RETURN_IF_FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, factory.put_void()));
    ComPtr<IWICStream> stream;
    RETURN_IF_FAILED(factory->CreateStream(stream.put()));
    RETURN_IF_FAILED(stream->InitializeFromFilename(path, GENERIC_WRITE));
    ComPtr<IWICBitmapEncoder> encoder;
    RETURN_IF_FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()));
    RETURN_IF_FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache));
    ComPtr<IWICBitmapFrameEncode> frame;
    RETURN_IF_FAILED(encoder->CreateNewFrame(frame.put(), nullptr));
    RETURN_IF_FAILED(frame->Initialize(nullptr));
    RETURN_IF_FAILED(frame->SetSize(width, height));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    RETURN_IF_FAILED(frame->SetPixelFormat(&format));
    // An encoder may only offer something else; the bytes above would not fit it.
    if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    RETURN_IF_FAILED(frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data()));
    RETURN_IF_FAILED(frame->Commit());
    return encoder->Commit();
}

}  // namespace zorvel
