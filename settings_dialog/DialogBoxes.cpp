#include "settings_dialog/DialogBoxes.h"

#include <commdlg.h>

#include <vector>

#include "settings_dialog/DialogSeams.h"

bool ChooseFile(std::wstring& path, HWND owner) {
  std::vector<wchar_t> name(520, L'\0');
  OPENFILENAMEW info = {};
  info.lStructSize = sizeof(info);
  info.hwndOwner = owner;
  info.lpstrFilter = L"All Files (*.*)\0*.*\0";
  info.nFilterIndex = 1;
  info.lpstrFile = name.data();
  info.nMaxFile = static_cast<DWORD>(name.size());
  info.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  info.lpstrDefExt = nullptr;
  if (!GetDialogSeams().getOpenFileName(&info)) return false;
  name.back() = L'\0';
  path = name.data();
  return true;
}

void ShowLastError(const std::wstring& operation) {
  DWORD error = GetLastError();
  wchar_t* message = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = operation + L" failed with error " + std::to_wstring(static_cast<int>(error)) + L": " +
                      (message ? message : L"");
  if (message) LocalFree(message);
  GetDialogSeams().messageBox(nullptr, text.c_str(), L"Error", MB_OK);
}
