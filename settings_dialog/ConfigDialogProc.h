#pragma once
#include <windows.h>

// The dialog procedure of template 2003 in both programs goes by the
// screen-saver library's callback name, ScreenSaverConfigureDialog.
#include "platform/ScreenSaverCallbacks.h"

class CConfigDialog;

// Registers the common controls the template uses (tree views, trackbar,
// tooltips); must run before the template is created.
bool InitDialogControls();

// Runs the settings dialog modally: 1 after OK, 0 after Cancel, -1 when it
// could not be made.
INT_PTR RunSettingsDialog(HWND owner);

// The open dialog's object; null when none is open.
CConfigDialog* GetCurrentConfigDialog();
