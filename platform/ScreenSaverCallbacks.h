#pragma once
#include <windows.h>

// The three callbacks the screen-saver library (platform/ScreenSaverLibrary.h)
// makes into the program. The program supplies them: the saver window's
// procedure in engine/, the configure dialog's two in settings_dialog/. The
// wallpaper program, which has no screen-saver library, runs the same dialog
// procedure for its own settings dialog.

LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog procedure of template 2003. A dialog procedure answers INT_PTR:
// on x64 a BOOL-returning declaration would cut its results.
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

BOOL WINAPI RegisterDialogClasses(HANDLE instance);
