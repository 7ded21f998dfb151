// Reading frames back from a device: the control's last frame, and the
// pictures drawn off-screen.  The control draws into a child window, where
// neither the front buffer nor a screen grab shows the picture; the back
// buffer, kept by the copy swap effect, does.
#include "render/renderer.h"

#include <new>

#include "render/device_setup.h"

namespace zorvel {
namespace {

using PixelReader = uint32_t (*)(const BYTE* p);

uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }

uint32_t ReadX8R8G8B8(const BYTE* p) {
    return *reinterpret_cast<const uint32_t*>(p) & 0x00FFFFFFu;
}
uint32_t ReadR8G8B8(const BYTE* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16);
}
uint32_t ReadR5G6B5(const BYTE* p) {
    const uint32_t v = *reinterpret_cast<const uint16_t*>(p);
    return (Expand5((v >> 11) & 0x1F) << 16) | (Expand6((v >> 5) & 0x3F) << 8) | Expand5(v & 0x1F);
}
uint32_t ReadX1R5G5B5(const BYTE* p) {
    const uint32_t v = *reinterpret_cast<const uint16_t*>(p);
    return (Expand5((v >> 10) & 0x1F) << 16) | (Expand5((v >> 5) & 0x1F) << 8) | Expand5(v & 0x1F);
}

struct FormatEntry {
    D3DFORMAT format;
    UINT bytesPerPixel;
    PixelReader read;
};

// The formats a windowed back buffer takes from the display mode.
const FormatEntry kFormats[] = {
    {D3DFMT_X8R8G8B8, 4, ReadX8R8G8B8},
    {D3DFMT_A8R8G8B8, 4, ReadX8R8G8B8},
    {D3DFMT_R8G8B8, 3, ReadR8G8B8},
    {D3DFMT_R5G6B5, 2, ReadR5G6B5},
    {D3DFMT_X1R5G5B5, 2, ReadX1R5G5B5},
    {D3DFMT_A1R5G5B5, 2, ReadX1R5G5B5},
};

const FormatEntry* FindFormat(D3DFORMAT format) {
    for (const FormatEntry& entry : kFormats)
        if (entry.format == format) return &entry;
    return nullptr;
}

}  // namespace

HRESULT Renderer::ReadBackFrame(std::vector<uint32_t>& pixels, UINT& width, UINT& height) {
    pixels.clear();
    width = 0;
    height = 0;
    if (!m_pDevice) return E_FAIL;
    ComPtr<IDirect3DSurface8> backBuffer;
    RETURN_IF_FAILED(m_pDevice->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put()));
    return ReadSurface(m_pDevice.get(), backBuffer.get(), pixels, width, height);
}

HRESULT ReadSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface, std::vector<uint32_t>& pixels,
                    UINT& width, UINT& height) {
    D3DSURFACE_DESC desc = {};
    RETURN_IF_FAILED(surface->GetDesc(&desc));
    const FormatEntry* format = FindFormat(desc.Format);
    if (!format) return E_NOTIMPL;

    // Neither a back buffer nor a render target can be locked; a
    // system-memory copy can.
    ComPtr<IDirect3DSurface8> copy;
    RETURN_IF_FAILED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, copy.put()));
    RETURN_IF_FAILED(device->CopyRects(surface, nullptr, 0, copy.get(), nullptr));

    std::vector<uint32_t> out;
    try {
        out.resize(static_cast<size_t>(desc.Width) * desc.Height);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    D3DLOCKED_RECT locked = {};
    RETURN_IF_FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    uint32_t* dest = out.data();
    for (UINT y = 0; y < desc.Height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x) *dest++ = format->read(row + x * format->bytesPerPixel);
    }
    copy->UnlockRect();

    pixels.swap(out);
    width = desc.Width;
    height = desc.Height;
    return S_OK;
}

}  // namespace zorvel
