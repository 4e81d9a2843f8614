#include "engine/Settings.h"

#include <algorithm>
#include <cwchar>

#include "engine/SettingsVariant.h"
#include "platform/Scoped.h"

const wchar_t* const kSettingsKey = L"Software\\Tamberlyn Zorarudidar\\Kelvane";

// Their built-in defaults come from the table, before anything reads them
// (see the end of this file).
std::wstring KEL_TARGETDIR;
std::wstring AdvertiserCatalog;
bool ShowClock;
bool RenameDrops;
bool HighPriority;
bool PairImages;
bool ShowName;
bool MuteAudio;
bool BlankVideo;
bool ShowDate;
bool RandomMedia;
bool ResetCache;
int SliderVal_PictureTimeout;
int CurrentMediaIndex;
int CurrentVisualIndex;
int CurrentPictureIndex;
int CurrentAdvertisingIndex;
int CurrentPowerIndex;

namespace {

SettingInfo TextSetting(const wchar_t* name, std::wstring* variable, const wchar_t* byDefault) {
  return {name, SettingType::Text, variable, nullptr, nullptr, byDefault, 0, 0};
}

SettingInfo FlagSetting(const wchar_t* name, bool* variable, bool byDefault, int savePlace) {
  return {name, SettingType::Flag, nullptr, variable, nullptr, nullptr, byDefault ? 1 : 0, savePlace};
}

SettingInfo NumberSetting(SettingType type, const wchar_t* name, int* variable, int byDefault, int savePlace) {
  return {name, type, nullptr, nullptr, variable, nullptr, byDefault, savePlace};
}

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

void ReadSetting(HKEY key, const SettingInfo& setting) {
  if (setting.type == SettingType::Text) {
    ReadText(key, setting.name, setting.text);
    return;
  }
  DWORD number = 0;
  if (!ReadNumber(key, setting.name, &number)) return;
  int signedNumber = static_cast<int>(number);
  switch (setting.type) {
    case SettingType::Flag:
      *setting.flag = number != 0;
      break;
    case SettingType::Number:
      *setting.number = signedNumber;
      break;
    case SettingType::Index:
      *setting.number = signedNumber < 0 ? -1 : signedNumber;
      break;
    case SettingType::Text:
      break;
  }
}

}  // namespace

SettingsTable GetSettingsTable() {
  // The last number of each row is its place in the dialog's save: the
  // flags, the visualisation mode, the other indexes, the picture interval.
  static const SettingInfo table[] = {
      TextSetting(L"KEL_TARGETDIR", &KEL_TARGETDIR, L"."),
      TextSetting(L"AdvertiserCatalog", &AdvertiserCatalog, L"."),
      FlagSetting(L"ShowClock", &ShowClock, false, 1),
      FlagSetting(L"RenameDrops", &RenameDrops, false, 2),
      FlagSetting(L"HighPriority", &HighPriority, false, 3),
      FlagSetting(L"PairImages", &PairImages, false, 4),
      FlagSetting(L"ShowName", &ShowName, false, 5),
      FlagSetting(L"MuteAudio", &MuteAudio, false, 6),
      FlagSetting(L"BlankVideo", &BlankVideo, false, 7),
      FlagSetting(L"ShowDate", &ShowDate, false, 8),
      FlagSetting(L"RandomMedia", &RandomMedia, false, 9),
      FlagSetting(L"ResetCache", &ResetCache, false, 10),
      NumberSetting(SettingType::Number, L"SliderVal_PictureTimeout", &SliderVal_PictureTimeout, 0, 16),
      NumberSetting(SettingType::Index, L"CurrentMediaIndex", &CurrentMediaIndex, 0, 12),
      NumberSetting(SettingType::Index, VisualIndexValueName(), &CurrentVisualIndex, DefaultVisualIndex(), 11),
      NumberSetting(SettingType::Index, L"CurrentPictureIndex", &CurrentPictureIndex, 0, 13),
      NumberSetting(SettingType::Index, L"CurrentAdvertisingIndex", &CurrentAdvertisingIndex, 0, 14),
      NumberSetting(SettingType::Index, PowerIndexValueName(), &CurrentPowerIndex, 0, 15),
  };
  return {table, sizeof(table) / sizeof(table[0])};
}

std::vector<const SettingInfo*> DialogSaveOrder() {
  std::vector<const SettingInfo*> order;
  for (const SettingInfo& setting : GetSettingsTable())
    if (setting.type != SettingType::Text) order.push_back(&setting);
  std::stable_sort(order.begin(), order.end(),
                   [](const SettingInfo* a, const SettingInfo* b) { return a->savePlace < b->savePlace; });
  return order;
}

LONG WriteSettingDword(HKEY key, const SettingInfo& setting) {
  DWORD number = 0;
  switch (setting.type) {
    case SettingType::Flag:
      number = *setting.flag ? 1 : 0;
      break;
    case SettingType::Number:
    case SettingType::Index:
      number = static_cast<DWORD>(*setting.number);
      break;
    case SettingType::Text:
      return ERROR_INVALID_DATATYPE;
  }
  return RegSetValueExW(key, setting.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
}

void LoadSettings() {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return;
  for (const SettingInfo& setting : GetSettingsTable()) ReadSetting(key, setting);
}

int PictureIntervalInUse() {
  return SliderVal_PictureTimeout < kMinimumPictureInterval ? kMinimumPictureInterval : SliderVal_PictureTimeout;
}

// The indexes, in table order: media, visualisation, picture, advert, power.
void WriteCurrentIndexes() {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS)
    return;
  for (const SettingInfo& setting : GetSettingsTable())
    if (setting.type == SettingType::Index) WriteSettingDword(key, setting);
}

void ResetSettingsToDefaults() {
  for (const SettingInfo& setting : GetSettingsTable()) {
    switch (setting.type) {
      case SettingType::Text:
        *setting.text = setting.defaultText;
        break;
      case SettingType::Flag:
        *setting.flag = setting.defaultNumber != 0;
        break;
      case SettingType::Number:
      case SettingType::Index:
        *setting.number = setting.defaultNumber;
        break;
    }
  }
}

namespace {

// After the variables above, in the same file: set at start-up, before
// anything reads them.
struct BuiltInDefaults {
  BuiltInDefaults() { ResetSettingsToDefaults(); }
} g_builtInDefaults;

}  // namespace
