#pragma once
#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ComPtr.h"

// A picture decoded for the screen.
struct DecodedPicture {
  int width = 0;  // the picture's own size, standing upright
  int height = 0;
  int pixelWidth = 0;  // the size of the pixels below
  int pixelHeight = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// Decodes picture files through the Windows Imaging Component, turned upright
// as a JPEG's EXIF orientation says, and at no more than the size they are
// drawn at in an area (a larger picture is averaged down to it; a smaller one
// keeps its own size, for the device to enlarge). So a 24-megapixel photo
// costs what the screen costs, whatever its size. Worker thread, in its COM
// apartment.
class CPictureDecoder {
 public:
  bool Decode(const std::wstring& path, int areaWidth, int areaHeight, DecodedPicture* picture);

 private:
  ComPtr<IWICImagingFactory> factory_;
};
