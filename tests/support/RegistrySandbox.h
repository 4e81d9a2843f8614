#pragma once
#include <windows.h>

#include <string>

// Empties the settings key (and the in-memory settings) on entry and on exit,
// so each test starts from a known registry.
class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  void SetDword(const wchar_t* name, DWORD value);
  void SetText(const wchar_t* name, const std::wstring& value);
  // Raw value of any type and size.
  void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size);
  bool GetDword(const wchar_t* name, DWORD* value) const;
  bool HasValue(const wchar_t* name) const;
  static void Clear();
};
