// What the renderer's files share about devices: the windowed presentation
// parameters, the guard of the caller's x87 precision, and reading a surface
// back as pixels.
#pragma once

#include <windows.h>
#include <d3d8.h>
#include <float.h>

#include <cstdint>
#include <vector>

namespace zorvel {

// Windowed, one back buffer (the size of the client area when width and
// height are 0) that keeps its contents after a present, 16-bit depth.
D3DPRESENT_PARAMETERS WindowedParameters(D3DFORMAT backBufferFormat, UINT width = 0, UINT height = 0);

// Device creation and reset drop the thread's x87 unit to single precision;
// the host's own arithmetic on this thread must not pay for our device.
class KeepFloatPrecision {
public:
    KeepFloatPrecision() : m_saved(_controlfp(0, 0) & _MCW_PC) {}
    ~KeepFloatPrecision() { _controlfp(m_saved, _MCW_PC); }
    KeepFloatPrecision(const KeepFloatPrecision&) = delete;
    KeepFloatPrecision& operator=(const KeepFloatPrecision&) = delete;

private:
    const unsigned int m_saved;
};

// A vertex buffer for count vertices of the strip, plain or coloured by height.
HRESULT CreateStripBuffer(IDirect3DDevice8* device, UINT count, bool coloured, D3DPOOL pool,
                          IDirect3DVertexBuffer8** buffer);

// The surface's pixels as 0x00RRGGBB, row after row.
HRESULT ReadSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface, std::vector<uint32_t>& pixels,
                    UINT& width, UINT& height);

}  // namespace zorvel
