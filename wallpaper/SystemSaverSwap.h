#pragma once
#include <windows.h>

#include <string>

// While the wallpaper runs, a system screen-saver setting that names kel is
// replaced by the system's blank saver; the value it replaced is written back
// when the wallpaper stops. The run-loop hooks ReplaceSystemScreenSaver and
// RestoreSystemScreenSaver (engine/ProgramVariant.h) are the two entry points.
//
// The replaced value is also recorded under the program's own key before the
// blank saver is written, so a run that never reached its restore (killed,
// crashed, power lost) is repaired by the next start.

// Where the setting lives (current user) and the blank saver written there.
extern const wchar_t* const kDesktopKey;
extern const wchar_t* const kScreenSaverValue;
extern const wchar_t* const kBlankScreenSaver;
// The record of the replaced value, in the settings key.
extern const wchar_t* const kReplacedSaverRecord;

// True after the blank saver was written and until the replaced value is
// back. Safe from any thread.
bool IsSaverSwapped();

// The setting as either routine last read it.
std::wstring GetLastScreenSaverSetting();

// The file name of a setting: the text after its last backslash.
std::wstring ScreenSaverFileName(const std::wstring& setting);

// Forgets the swap of an earlier show in this process (tests run several).
void ResetSaverSwapForTests();
