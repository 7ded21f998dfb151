// Writes a picture as a PNG file through the platform's imaging component:
// the PNG program's output and the control's SaveImage.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace zorvel {

// pixels: 0x00RRGGBB, row after row, top row first.
HRESULT WritePng(const wchar_t* path, const std::vector<uint32_t>& pixels, UINT width, UINT height);

}  // namespace zorvel
