#pragma once
#include <d3d9.h>

#include <string>

#include "engine/PictureDecoder.h"
#include "platform/ComPtr.h"

// A picture as the device draws it: one texture of one level, and the
// picture's own size (standing upright), from which it is fitted to the window.
struct PictureTexture {
  ComPtr<IDirect3DTexture9> texture;
  int width = 0;
  int height = 0;
  explicit operator bool() const { return static_cast<bool>(texture); }
};

// The texture size a device takes for pixels of this size: their own where
// it can, else the next powers of two (square where it must be), at most its
// largest texture. The picture is stretched over the whole texture.
struct TextureSize {
  int width = 0;
  int height = 0;
};
TextureSize TextureSizeFor(int width, int height, const D3DCAPS9& caps);

// The decoded pixels as a texture in the managed pool, which survives a
// device reset.
bool CreatePictureTexture(IDirect3DDevice9* device, const DecodedPicture& picture, PictureTexture* out);

// D3DX's own loader, for files that the Imaging Component cannot read (TGA
// on Windows): also at the size the picture is drawn at in the area, with one
// level. It knows nothing of orientation.
bool LoadPictureTextureWithD3DX(IDirect3DDevice9* device, const std::wstring& path, int areaWidth, int areaHeight,
                                PictureTexture* out);
