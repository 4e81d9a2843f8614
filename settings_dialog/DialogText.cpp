#include "settings_dialog/DialogText.h"

#include <vector>

#include "settings_dialog/ConfigDialog.h"

std::wstring GetDialogItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return std::wstring();
  int length = GetWindowTextLengthW(control);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  int got = GetWindowTextW(control, buffer.data(), length + 1);
  return std::wstring(buffer.data(), got > 0 ? got : 0);
}

std::wstring LoadDialogString(UINT id) {
  // A length of 0 asks for a read-only pointer into the resource itself.
  const wchar_t* text = nullptr;
  int length = LoadStringW(GetDialogModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return std::wstring();
  return std::wstring(text, length);
}
