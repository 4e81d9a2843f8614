#include "engine/PictureTexture.h"

#include <d3dx9.h>

#include <algorithm>
#include <cstring>

#include "engine/PictureFit.h"

namespace {

int PowerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

}  // namespace

TextureSize TextureSizeFor(int width, int height, const D3DCAPS9& caps) {
  TextureSize size = {width, height};
  bool powersOfTwo =
      (caps.TextureCaps & D3DPTEXTURECAPS_POW2) && !(caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL);
  if (powersOfTwo) {
    size.width = PowerOfTwoAtLeast(width);
    size.height = PowerOfTwoAtLeast(height);
  }
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) size.width = size.height = std::max(size.width, size.height);
  if (caps.MaxTextureWidth > 0 && size.width > static_cast<int>(caps.MaxTextureWidth))
    size.width = static_cast<int>(caps.MaxTextureWidth);
  if (caps.MaxTextureHeight > 0 && size.height > static_cast<int>(caps.MaxTextureHeight))
    size.height = static_cast<int>(caps.MaxTextureHeight);
  return size;
}

bool CreatePictureTexture(IDirect3DDevice9* device, const DecodedPicture& picture, PictureTexture* out) {
  *out = PictureTexture();
  if (!device || picture.pixelWidth <= 0 || picture.pixelHeight <= 0) return false;
  D3DCAPS9 caps = {};
  device->GetDeviceCaps(&caps);
  TextureSize size = TextureSizeFor(picture.pixelWidth, picture.pixelHeight, caps);
  ComPtr<IDirect3DTexture9> texture;
  if (FAILED(device->CreateTexture(size.width, size.height, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture.Receive(),
                                   nullptr)))
    return false;
  const UINT pitch = static_cast<UINT>(picture.pixelWidth) * 4;
  if (size.width == picture.pixelWidth && size.height == picture.pixelHeight) {
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return false;
    for (int y = 0; y < picture.pixelHeight; ++y)
      std::memcpy(static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch,
                  &picture.pixels[static_cast<size_t>(y) * picture.pixelWidth], pitch);
    texture->UnlockRect(0);
  } else {
    // A device that wants other sizes gets the picture stretched to fill them.
    ComPtr<IDirect3DSurface9> surface;
    RECT source = {0, 0, picture.pixelWidth, picture.pixelHeight};
    if (FAILED(texture->GetSurfaceLevel(0, surface.Receive())) ||
        FAILED(D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, picture.pixels.data(), D3DFMT_X8R8G8B8, pitch,
                                         nullptr, &source, D3DX_FILTER_TRIANGLE, 0)))
      return false;
  }
  out->texture = texture;
  out->width = picture.width;
  out->height = picture.height;
  return true;
}

bool LoadPictureTextureWithD3DX(IDirect3DDevice9* device, const std::wstring& path, int areaWidth, int areaHeight,
                                PictureTexture* out) {
  *out = PictureTexture();
  D3DXIMAGE_INFO info = {};
  if (!device || FAILED(D3DXGetImageInfoFromFileW(path.c_str(), &info)) || info.Width == 0 || info.Height == 0)
    return false;
  int width = static_cast<int>(info.Width), height = static_cast<int>(info.Height);
  PictureRect fit = FitPicture(width, height, areaWidth, areaHeight);
  if (fit.width < width || fit.height < height) {
    width = fit.width;
    height = fit.height;
  }
  ComPtr<IDirect3DTexture9> texture;
  if (FAILED(D3DXCreateTextureFromFileExW(device, path.c_str(), width, height, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                                          D3DX_FILTER_TRIANGLE, D3DX_DEFAULT, 0, nullptr, nullptr, texture.Receive())))
    return false;
  out->texture = texture;
  out->width = static_cast<int>(info.Width);
  out->height = static_cast<int>(info.Height);
  return true;
}
