#pragma once
#include <windows.h>

// Where the two programs' settings dialogs differ (window thread). Each
// program links one body (DialogVariantKel.cpp, DialogVariantKelwall.cpp).

// Whether the dialog makes, and then owns, a logic object when none exists
// (only where no show runs beside it).
bool DialogMayCreateLogic();
// The last step of the dialog's controls set-up: which of the program's own
// controls are shown and enabled.
void SetUpDialogVariantControls(HWND dialog);
// After OK has saved the settings and the catalog.
void OnDialogSaved();
// "Mute Audio" clicked while the dialog is open.
void OnDialogMuteClicked(bool muted);
// Whether "Close" ends the program (after stopping playback and saving).
bool DialogCloseEndsProgram();
