#include "wallpaper/WallpaperFixtures.h"

#include <algorithm>

#include "engine/InstanceCheck.h"
#include "platform/RegistryKey.h"
#include "support/TestPaths.h"
#include "wallpaper/SystemSaverSwap.h"

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

RunningPrograms::RunningPrograms() : folder_(MakeTempFolder(L"kelwall-instances")) {}

RunningPrograms::~RunningPrograms() {
  processes_.clear();
  RemoveTree(folder_);
}

bool RunningPrograms::Start(const std::wstring& name) {
  std::wstring path = folder_ + std::to_wstring(processes_.size()) + L"\\";
  CreateDirectoryW(path.c_str(), nullptr);
  path += name;
  if (!CopyFileW((ProgramFolder() + L"kel_sleeper.exe").c_str(), path.c_str(), FALSE)) return false;
  processes_.emplace_back(new ChildProcess());
  if (!processes_.back()->Start(path, L"60")) return false;
  DWORD id = processes_.back()->Id();
  return WaitUntil(10000, [id] {
    std::vector<DWORD> ids = EnumerateProcessIds();
    return std::find(ids.begin(), ids.end(), id) != ids.end();
  });
}

void MarkInstanceScanDone() {
  if (WasInstanceScanDone()) return;
  RunningPrograms programs;
  if (programs.Start(L"kelwall.exe")) IsAnotherInstanceRunning(nullptr);
}
