#pragma once
#include <string>

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

// Reads every value the key holds; a missing, mistyped or oversized value
// keeps the variable's current value.
void LoadSettings();

// Writes the five current indexes back, so the next show continues.
void WriteCurrentIndexes();

// Puts every variable back to its built-in default (tests, and a dialog that
// starts over).
void ResetSettingsToDefaults();
