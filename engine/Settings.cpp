#include "engine/Settings.h"

#include <windows.h>
#include <cwchar>

#include "engine/SettingsVariant.h"
#include "platform/Scoped.h"

const wchar_t* const kSettingsKey = L"Software\\Tamberlyn Zorarudidar\\Kelvane";

std::wstring KEL_TARGETDIR = L".";
std::wstring AdvertiserCatalog = L".";
bool ShowClock = false;
bool RenameDrops = false;
bool HighPriority = false;
bool PairImages = false;
bool ShowName = false;
bool MuteAudio = false;
bool BlankVideo = false;
bool ShowDate = false;
bool RandomMedia = false;
bool ResetCache = false;
int SliderVal_PictureTimeout = 0;
int CurrentMediaIndex = 0;
int CurrentVisualIndex = DefaultVisualIndex();
int CurrentPictureIndex = 0;
int CurrentAdvertisingIndex = 0;
int CurrentPowerIndex = 0;

namespace {

// Texts are limited to 1040 bytes, as the installer writes them.
constexpr DWORD kMaxTextBytes = 1040;

void ReadText(HKEY key, const wchar_t* name, std::wstring* value) {
  // Two spare characters beyond the limit keep an unterminated value in bounds.
  wchar_t buffer[kMaxTextBytes / sizeof(wchar_t) + 2] = {};
  DWORD type = 0;
  DWORD size = kMaxTextBytes;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) return;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return;
  *value = std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
}

bool ReadNumber(HKEY key, const wchar_t* name, DWORD* number) {
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_DWORD) return false;
  *number = value;
  return true;
}

void ReadBool(HKEY key, const wchar_t* name, bool* value) {
  DWORD number = 0;
  if (ReadNumber(key, name, &number)) *value = number != 0;
}

// The list and mode indexes: any negative number reads as -1.
void ReadIndex(HKEY key, const wchar_t* name, int* value) {
  DWORD number = 0;
  if (!ReadNumber(key, name, &number)) return;
  int signedNumber = static_cast<int>(number);
  *value = signedNumber < 0 ? -1 : signedNumber;
}

void WriteNumber(HKEY key, const wchar_t* name, int value) {
  DWORD number = static_cast<DWORD>(value);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
}

}  // namespace

void LoadSettings() {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return;
  ReadText(key, L"KEL_TARGETDIR", &KEL_TARGETDIR);
  ReadText(key, L"AdvertiserCatalog", &AdvertiserCatalog);
  ReadBool(key, L"ShowClock", &ShowClock);
  ReadBool(key, L"RenameDrops", &RenameDrops);
  ReadBool(key, L"HighPriority", &HighPriority);
  ReadBool(key, L"PairImages", &PairImages);
  ReadBool(key, L"ShowName", &ShowName);
  ReadBool(key, L"MuteAudio", &MuteAudio);
  ReadBool(key, L"BlankVideo", &BlankVideo);
  ReadBool(key, L"ShowDate", &ShowDate);
  ReadBool(key, L"RandomMedia", &RandomMedia);
  ReadBool(key, L"ResetCache", &ResetCache);
  DWORD timeout = 0;
  if (ReadNumber(key, L"SliderVal_PictureTimeout", &timeout)) SliderVal_PictureTimeout = static_cast<int>(timeout);
  ReadIndex(key, L"CurrentMediaIndex", &CurrentMediaIndex);
  ReadIndex(key, VisualIndexValueName(), &CurrentVisualIndex);
  ReadIndex(key, L"CurrentPictureIndex", &CurrentPictureIndex);
  ReadIndex(key, L"CurrentAdvertisingIndex", &CurrentAdvertisingIndex);
  ReadIndex(key, PowerIndexValueName(), &CurrentPowerIndex);
}

int PictureIntervalInUse() {
  return SliderVal_PictureTimeout < kMinimumPictureInterval ? kMinimumPictureInterval : SliderVal_PictureTimeout;
}

void WriteCurrentIndexes() {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS)
    return;
  WriteNumber(key, L"CurrentMediaIndex", CurrentMediaIndex);
  WriteNumber(key, VisualIndexValueName(), CurrentVisualIndex);
  WriteNumber(key, L"CurrentPictureIndex", CurrentPictureIndex);
  WriteNumber(key, L"CurrentAdvertisingIndex", CurrentAdvertisingIndex);
  WriteNumber(key, PowerIndexValueName(), CurrentPowerIndex);
}

void ResetSettingsToDefaults() {
  KEL_TARGETDIR = L".";
  AdvertiserCatalog = L".";
  ShowClock = RenameDrops = HighPriority = PairImages = ShowName = false;
  MuteAudio = BlankVideo = ShowDate = RandomMedia = ResetCache = false;
  SliderVal_PictureTimeout = 0;
  CurrentMediaIndex = 0;
  CurrentVisualIndex = DefaultVisualIndex();
  CurrentPictureIndex = 0;
  CurrentAdvertisingIndex = 0;
  CurrentPowerIndex = 0;
}
