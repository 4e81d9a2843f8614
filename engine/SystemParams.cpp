#include "engine/SystemParams.h"

bool IsScreenSaverRunning() {
  BOOL running = FALSE;
  if (SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) return running != FALSE;
  HDESK desktop = OpenDesktopW(L"screen-saver", 0, FALSE, MAXIMUM_ALLOWED);
  if (desktop) {
    CloseDesktop(desktop);
    return true;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}

int GetSystemValue(UINT action) {
  int value = 0;
  GetSystemValueChecked(action, &value);
  return value;
}

bool GetSystemValueChecked(UINT action, int* value) {
  int read = 0;
  if (!SystemParametersInfoW(action, 4, &read, 0)) return false;
  *value = read;
  return true;
}

bool GetSystemFlagChecked(UINT action, bool* on) {
  BOOL read = FALSE;
  if (!SystemParametersInfoW(action, 0, &read, 0)) return false;
  *on = read != FALSE;
  return true;
}

bool SetSystemFlag(UINT action, bool on) {
  SetSystemFlagChecked(action, on);
  return true;
}

bool SetSystemFlagChecked(UINT action, bool on) {
  return SystemParametersInfoW(action, on ? 1 : 0, nullptr, SPIF_SENDCHANGE) != FALSE;
}

bool SetSystemValue(UINT action, int value) {
  return SystemParametersInfoW(action, static_cast<UINT>(value), nullptr, SPIF_SENDCHANGE) != FALSE;
}
