#include "bench/BenchWindow.h"

HWND CreateBenchWindow(const wchar_t* className, const wchar_t* title) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassW(&wc);
  return CreateWindowExW(0, className, title, WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}
