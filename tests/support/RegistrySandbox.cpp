#include "support/RegistrySandbox.h"

#include "engine/Settings.h"
#include "platform/Scoped.h"

RegistrySandbox::RegistrySandbox() { Clear(); }
RegistrySandbox::~RegistrySandbox() { Clear(); }

void RegistrySandbox::Clear() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  ResetSettingsToDefaults();
}

void RegistrySandbox::SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) ==
      ERROR_SUCCESS)
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
}

void RegistrySandbox::SetDword(const wchar_t* name, DWORD value) { SetRaw(name, REG_DWORD, &value, sizeof(value)); }

void RegistrySandbox::SetText(const wchar_t* name, const std::wstring& value) {
  SetRaw(name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool RegistrySandbox::GetDword(const wchar_t* name, DWORD* value) const {
  DWORD size = sizeof(DWORD);
  DWORD type = 0;
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return false;
  return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
         type == REG_DWORD;
}

bool RegistrySandbox::HasValue(const wchar_t* name) const {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return false;
  return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
