#pragma once
#include <windows.h>

// Whether the system's screen saver is running now.
bool IsScreenSaverRunning();

// System-parameter wrappers for the screen-saver and power settings. Changes
// are broadcast but never written to the user profile.
int GetSystemValue(UINT action);               // 0 when the call fails
bool GetSystemValueChecked(UINT action, int* value);  // false when the call fails
bool GetSystemFlagChecked(UINT action, bool* on);     // false when the call fails
bool SetSystemFlag(UINT action, bool on);      // always true
bool SetSystemFlagChecked(UINT action, bool on);  // true when the call succeeds
bool SetSystemValue(UINT action, int value);   // true when the call succeeds
