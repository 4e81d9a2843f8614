#include "support/ScreenCapture.h"

#include "support/TestPaths.h"

ScreenCapture::ScreenCapture() {
  HDC screen = GetDC(nullptr);
  if (!screen) return;
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT)) {
      GdiFlush();
      const uint32_t* from = static_cast<const uint32_t*>(bits);
      pixels_.assign(from, from + static_cast<size_t>(width) * height);
      for (uint32_t& p : pixels_) p &= 0xFFFFFF;
      width_ = width;
      height_ = height;
    }
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

uint32_t ScreenCapture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

int ScreenCapture::Count(RECT area, int step, bool (*test)(uint32_t rgb), int* total) const {
  int passed = 0, seen = 0;
  for (int y = area.top; y < area.bottom; y += step)
    for (int x = area.left; x < area.right; x += step) {
      ++seen;
      if (test(At(x, y))) ++passed;
    }
  if (total) *total = seen;
  return passed;
}

bool ScreenCapture::SaveBmp(const std::wstring& path) const {
  if (width_ <= 0) return false;
  const int rowBytes = (width_ * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width_;
  header.biHeight = height_;  // bottom row first, as BMP files keep it
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(rowBytes) * height_;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
  std::string row(static_cast<size_t>(rowBytes), '\0');
  for (int y = height_ - 1; y >= 0; --y) {
    for (int x = 0; x < width_; ++x) {
      uint32_t p = At(x, y);
      row[x * 3] = static_cast<char>(p & 0xFF);
      row[x * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
    }
    bytes += row;
  }
  return WriteFileBytes(path, bytes);
}
