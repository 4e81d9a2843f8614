#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/RunningPrograms.h"

// The system's screen-saver setting ("Control Panel\Desktop" "SCRNSAVE.EXE")
// as a test leaves it: saved on entry, put back on exit.
class ScreenSaverSettingSandbox {
 public:
  ScreenSaverSettingSandbox();
  ~ScreenSaverSettingSandbox();
  void SetText(const std::wstring& text, DWORD type = REG_SZ);
  void SetRaw(DWORD type, const void* data, DWORD size);
  void Remove();
  // False when the value is missing.
  bool Get(std::wstring* text, DWORD* type = nullptr) const;
  std::wstring Text() const;

 private:
  bool had_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
};

// Makes this process's instance check see one wallpaper running (the swap acts
// only after such a scan); once per process.
void MarkInstanceScanDone();

// Whether the shell still has the wallpaper's icon on the window: only a
// known icon can be modified.
bool IconIsThere(HWND window);
