#pragma once
#include <windows.h>

class CTrayIcon;

// kelwall's hidden control window: it starts and stops the show's worker,
// answers the tray icon and carries the "Config" / "State" menu.
extern const wchar_t* const kControlWindowClass;  // "KelvaneAsApp"
extern const wchar_t* const kControlWindowTitle;  // "Kelvane Wallpaper Control"

LRESULT CALLBACK ControlWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The class and the window as the program makes them; false / null on
// failure (nothing is shown).
bool RegisterControlWindowClass(HINSTANCE instance);
HWND CreateControlWindow(HINSTANCE instance);

// The icon that the shell's "TaskbarCreated" message adds again; null when
// there is none.
void SetControlTrayIcon(CTrayIcon* icon);

// Opens the settings dialog modally, owned by the window. At most one is open:
// a further request while it is up only brings it to the front.
void OpenSettingsDialog(HWND owner);

// Test seam: what opens the dialog (DialogBoxParamW of template 2003 with
// ScreenSaverConfigureDialog); null restores it.
using SettingsDialogOpener = void (*)(HWND owner);
void SetSettingsDialogOpenerForTests(SettingsDialogOpener opener);
