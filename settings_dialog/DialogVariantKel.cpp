// The screen saver's side of the settings dialog's hooks.
#include "settings_dialog/DialogVariant.h"

#include <initializer_list>

#include "resources/ResourceIds.h"

// No show runs beside the screen saver's dialog: it keeps a logic object of
// its own, shows no playback or power controls, and saves only on OK.
bool DialogMayCreateLogic() { return true; }

void SetUpDialogVariantControls(HWND dialog) {
  for (int id : {IDC_POWER_NONE, IDC_POWER_SCREEN_SAVER, IDC_POWER_USE}) {
    HWND control = GetDlgItem(dialog, id);
    EnableWindow(control, FALSE);
    ShowWindow(control, SW_HIDE);
  }
  EnableWindow(GetDlgItem(dialog, IDC_IDLE_OPTIONS), FALSE);
}

void OnDialogSaved() {}

void OnDialogMuteClicked(bool) {}

bool DialogCloseEndsProgram() { return false; }
