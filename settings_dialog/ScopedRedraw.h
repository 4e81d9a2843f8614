#pragma once
#include <windows.h>

// Holds a control's drawing off while it is filled (a tree view redraws its
// visible list on every insert otherwise), and repaints it once at the end.
class ScopedRedraw {
 public:
  explicit ScopedRedraw(HWND control) : control_(control) {
    if (control_) SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
  }
  ~ScopedRedraw() {
    if (!control_) return;
    SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(control_, nullptr, TRUE);
  }
  ScopedRedraw(const ScopedRedraw&) = delete;
  ScopedRedraw& operator=(const ScopedRedraw&) = delete;

 private:
  HWND control_;
};
