// Text drawn by GDI and handed to Direct3D as a texture: white letters whose
// coverage is the alpha, for labels drawn as screen-aligned quads that stay
// readable however the camera turns.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <string>

#include "common/owners.h"

namespace zorvel {

struct TextTexture {
    std::wstring text;
    ComPtr<IDirect3DTexture8> texture;
    UINT width = 0;  // of the text, in pixels
    UINT height = 0;
    UINT textureWidth = 0;  // the powers of two holding it
    UINT textureHeight = 0;
};

// Makes out hold text on device, unless it does already.
HRESULT MakeTextTexture(IDirect3DDevice8* device, const std::wstring& text, TextTexture* out);

// Blending for the quads below, and off again after them.
void BeginTextQuads(IDirect3DDevice8* device);
void EndTextQuads(IDirect3DDevice8* device);

// A textured quad with its top left corner at (x, y) in pixels, drawn in
// white with the text's coverage as alpha.
HRESULT DrawTextQuad(IDirect3DDevice8* device, const TextTexture& label, float x, float y);

}  // namespace zorvel
