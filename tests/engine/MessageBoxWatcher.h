#pragma once
#include <windows.h>

#include <string>

// Finds a message box by its caption (in any process of the session), reads
// its text and closes it with its OK button.
struct FoundMessageBox {
  bool found = false;
  std::wstring text;
  bool topmost = false;  // shown in the topmost band, above a full-screen show
};
FoundMessageBox CloseMessageBox(const wchar_t* caption, DWORD timeoutMilliseconds);
