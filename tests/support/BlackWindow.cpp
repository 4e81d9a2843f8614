#include "support/BlackWindow.h"

#include <algorithm>

#include "support/ChildProcess.h"
#include "support/VlcFixture.h"
#include "support/XDisplay.h"

BlackWindow::BlackWindow() {
  static const wchar_t kClass[] = L"KelBlackTestWindow";
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  window_ = CreateWindowExW(WS_EX_TOPMOST, kClass, L"black", WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth, kHeight,
                            nullptr, nullptr, wc.hInstance, nullptr);
  hasXWindow_ = window_ && WaitForXWindow(window_);
}

BlackWindow::~BlackWindow() { DestroyWindow(window_); }

void BlackWindow::Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

std::vector<uint32_t> BlackWindow::Pixels() const {
  RECT area;
  GetWindowRect(window_, &area);
  return GrabScreenArea(area);
}

int BlackWindow::LitPixels(int top, int bottom) const {
  std::vector<uint32_t> pixels = Pixels();
  if (pixels.empty()) return -1;
  return static_cast<int>(std::count_if(pixels.begin() + top * kWidth, pixels.begin() + bottom * kWidth, IsLit));
}

bool IsLit(uint32_t p) { return ((p >> 16) & 0xFF) > 48 || ((p >> 8) & 0xFF) > 48 || (p & 0xFF) > 48; }
