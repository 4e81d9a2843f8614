#include "wallpaper/WallpaperFixtures.h"

#include <algorithm>

#include "engine/InstanceCheck.h"
#include "platform/Scoped.h"
#include "support/TestPaths.h"
#include "wallpaper/SystemSaverSwap.h"
#include "wallpaper/TrayIcon.h"

namespace {

bool ReadRaw(DWORD* type, std::vector<BYTE>* data) {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return false;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, kScreenSaverValue, nullptr, type, nullptr, &bytes) != ERROR_SUCCESS) return false;
  data->assign(bytes, 0);
  return RegQueryValueExW(key, kScreenSaverValue, nullptr, type, data->data(), &bytes) == ERROR_SUCCESS;
}

}  // namespace

ScreenSaverSettingSandbox::ScreenSaverSettingSandbox() { had_ = ReadRaw(&type_, &data_); }

ScreenSaverSettingSandbox::~ScreenSaverSettingSandbox() {
  if (had_)
    SetRaw(type_, data_.data(), static_cast<DWORD>(data_.size()));
  else
    Remove();
}

void ScreenSaverSettingSandbox::SetText(const std::wstring& text, DWORD type) {
  SetRaw(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void ScreenSaverSettingSandbox::SetRaw(DWORD type, const void* data, DWORD size) {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) ==
      ERROR_SUCCESS)
    RegSetValueExW(key, kScreenSaverValue, 0, type, static_cast<const BYTE*>(data), size);
}

void ScreenSaverSettingSandbox::Remove() {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS)
    RegDeleteValueW(key, kScreenSaverValue);
}

bool ScreenSaverSettingSandbox::Get(std::wstring* text, DWORD* type) const {
  DWORD readType = 0;
  std::vector<BYTE> data;
  if (!ReadRaw(&readType, &data)) return false;
  if (type) *type = readType;
  text->assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  while (!text->empty() && text->back() == L'\0') text->pop_back();
  return true;
}

std::wstring ScreenSaverSettingSandbox::Text() const {
  std::wstring text;
  return Get(&text) ? text : L"<missing>";
}

void MarkInstanceScanDone() {
  if (WasInstanceScanDone()) return;
  RunningPrograms programs;
  if (programs.Start(L"kelwall.exe")) IsAnotherInstanceRunning(nullptr);
}

bool IconIsThere(HWND window) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = CTrayIcon::kIconId;
  data.uFlags = NIF_TIP;
  wcscpy(data.szTip, L"KEL Wallpaper");
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}
