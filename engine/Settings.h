#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// The user's settings: one process-wide variable per value of the key
// "Software\Tamberlyn Zorarudidar\Kelvane" (current user), named like the
// value, holding its built-in default until LoadSettings reads the key.

extern const wchar_t* const kSettingsKey;

extern std::wstring KEL_TARGETDIR;      // install folder; data paths are appended to it
extern std::wstring AdvertiserCatalog;  // file name under "kelconfig\AdMedia\"
extern bool ShowClock;
extern bool RenameDrops;
extern bool HighPriority;
extern bool PairImages;
extern bool ShowName;
extern bool MuteAudio;
extern bool BlankVideo;
extern bool ShowDate;
extern bool RandomMedia;
extern bool ResetCache;
extern int SliderVal_PictureTimeout;  // seconds, as stored; see PictureIntervalInUse
extern int CurrentMediaIndex;
extern int CurrentVisualIndex;  // VisualMode 0-8
extern int CurrentPictureIndex;
extern int CurrentAdvertisingIndex;
extern int CurrentPowerIndex;  // PowerIndex 0-2

// The shortest picture interval, the slider's minimum. Anything shorter,
// including the 0 a fresh install starts with, would change the picture on
// almost every frame.
constexpr int kMinimumPictureInterval = 5;

// The picture interval the show keeps to, in seconds: the stored one, but
// never less than kMinimumPictureInterval.
int PictureIntervalInUse();

enum PowerIndex { PowerIndexNoPower = 0, PowerIndexScreenSaver = 1, PowerIndexUsePower = 2 };

// How a setting is kept in the registry and read back.
enum class SettingType {
  Text,    // REG_SZ of at most 1040 bytes; the installer's, never written here
  Flag,    // REG_DWORD 0 or 1; any non-zero number reads as true
  Number,  // REG_DWORD, taken as stored
  Index,   // REG_DWORD, any negative number reads as -1; the show writes these back as it goes
};

// One setting: its registry value, how it is kept, its variable (the one of
// text, flag and number that its type names) and its built-in default.
struct SettingInfo {
  const wchar_t* name;
  SettingType type;
  std::wstring* text;
  bool* flag;
  int* number;
  const wchar_t* defaultText;
  int defaultNumber;  // a flag's is 0 or 1
  // Its place in the dialog's save, which writes every setting but the texts.
  int savePlace;
};

// Every setting, in the order LoadSettings reads them. Loading, the
// defaults, the show's index writer and the dialog's save all walk it, so a
// setting added here is read, defaulted and saved.
struct SettingsTable {
  const SettingInfo* first;
  size_t count;
  const SettingInfo* begin() const { return first; }
  const SettingInfo* end() const { return first + count; }
};
SettingsTable GetSettingsTable();

// What the dialog's OK writes, in the order it writes it.
std::vector<const SettingInfo*> DialogSaveOrder();

// The one writer of a number: a flag as 0 or 1, a number or an index as it
// stands, as a REG_DWORD of 4 bytes. A text is not written
// (ERROR_INVALID_DATATYPE).
LONG WriteSettingDword(HKEY key, const SettingInfo& setting);

// Reads every value the key holds; a missing, mistyped or oversized value
// keeps the variable's current value.
void LoadSettings();

// Writes the five current indexes back, so the next show continues.
void WriteCurrentIndexes();

// Puts every variable back to its built-in default (tests, and a dialog that
// starts over).
void ResetSettingsToDefaults();
