#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// What the whole screen shows, read back through the screen's device context
// (under Wine: the X root window, other programs' windows included).
class ScreenCapture {
 public:
  // Takes the picture now; Width() is 0 when the screen could not be read.
  ScreenCapture();

  int Width() const { return width_; }
  int Height() const { return height_; }
  // 0x00RRGGBB at a point of the screen.
  uint32_t At(int x, int y) const;
  // How many of the points of a grid over the area pass the test, out of how
  // many (a step of `step` pixels both ways).
  int Count(RECT area, int step, bool (*test)(uint32_t rgb), int* total) const;
  // Saves the picture as a 24-bit BMP, to be looked at when a check fails.
  bool SaveBmp(const std::wstring& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;  // top row first
};
