#pragma once
#include <windows.h>

#include <string>

// Finds a message box by its caption (in any process of the session), reads
// its text and closes it with its OK button.
struct FoundMessageBox {
  bool found = false;
  std::wstring text;
};
FoundMessageBox CloseMessageBox(const wchar_t* caption, DWORD timeoutMilliseconds);
