#pragma once
#include <windows.h>

class CConfigDialog;

// The dialog procedure of template 2003, in both programs (the screen-saver
// library's callback name). A dialog procedure answers INT_PTR: on x64 a
// BOOL-returning declaration would cut its results.
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the common controls the template uses (tree views, trackbar,
// tooltips); must run before the template is created.
bool InitDialogControls();

// Runs the settings dialog modally: 1 after OK, 0 after Cancel, -1 when it
// could not be made.
INT_PTR RunSettingsDialog(HWND owner);

// The open dialog's object; null when none is open.
CConfigDialog* GetCurrentConfigDialog();
