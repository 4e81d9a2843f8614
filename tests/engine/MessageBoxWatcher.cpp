#include "MessageBoxWatcher.h"

#include "support/ChildProcess.h"

namespace {

BOOL CALLBACK CollectText(HWND child, LPARAM param) {
  wchar_t className[64] = {};
  GetClassNameW(child, className, 64);
  if (_wcsicmp(className, L"Static") == 0) {
    wchar_t text[512] = {};
    GetWindowTextW(child, text, 512);
    if (text[0]) *reinterpret_cast<std::wstring*>(param) += text;
  }
  return TRUE;
}

}  // namespace

FoundMessageBox CloseMessageBox(const wchar_t* caption, DWORD timeoutMilliseconds) {
  FoundMessageBox result;
  HWND box = nullptr;
  // Visible means set up: the box takes its z-order while it initialises.
  if (!WaitUntil(timeoutMilliseconds,
                 [&] { return (box = FindWindowW(L"#32770", caption)) != nullptr && IsWindowVisible(box); }))
    return result;
  result.found = true;
  result.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&result.text));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return result;
}
