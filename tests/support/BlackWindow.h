#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// A black top-most window of its own at a known place on the screen, shown
// and made into an X11 window by Wine, for libvlc to draw into; what it shows
// is read back from the screen.
class BlackWindow {
 public:
  static constexpr int kLeft = 40;
  static constexpr int kTop = 40;
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 240;

  BlackWindow();
  ~BlackWindow();
  BlackWindow(const BlackWindow&) = delete;
  BlackWindow& operator=(const BlackWindow&) = delete;

  HWND Handle() const { return window_; }
  // Whether Wine made the window's X11 window, which libvlc draws into.
  bool HasXWindow() const { return hasXWindow_; }
  static void Pump();
  // The window's pixels on screen, 0x00RRGGBB, row by row; empty when no
  // screenshot could be taken.
  std::vector<uint32_t> Pixels() const;
  // How many of them (or of the rows from top to bottom) are clearly not
  // black; -1 without a screenshot.
  int LitPixels(int top = 0, int bottom = kHeight) const;

 private:
  HWND window_ = nullptr;
  bool hasXWindow_ = false;
};

// Clearly not black: a channel above 48.
bool IsLit(uint32_t rgb);
