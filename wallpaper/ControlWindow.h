#pragma once
#include <windows.h>

class CTrayIcon;
class CWallpaperWindow;

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

// The window behind the desktop icons that "TaskbarCreated" puts into the
// new shell; null when there is none.
void SetControlWallpaperWindow(CWallpaperWindow* window);

// A shell that is starting may make its desktop, or answer, a little late
// (after kelwall started with it, after it announced its taskbar): while it
// has no place for the wallpaper, it is looked for again this often, this
// many times.
constexpr UINT kShellRetryMs = 1000;
constexpr int kShellRetries = 10;

// Opens the settings dialog modally, owned by the window. At most one is open:
// a further request while it is up only brings it to the front.
void OpenSettingsDialog(HWND owner);

// Test seam: what opens the dialog (DialogBoxParamW of template 2003 with
// ScreenSaverConfigureDialog); null restores it.
using SettingsDialogOpener = void (*)(HWND owner);
void SetSettingsDialogOpenerForTests(SettingsDialogOpener opener);
