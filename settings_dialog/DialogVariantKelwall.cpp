// The wallpaper program's side of the settings dialog's hooks.
#include "settings_dialog/DialogVariant.h"

#include <initializer_list>

#include "engine/Settings.h"
#include "engine/ShowFlags.h"
#include "engine/ShowRequests.h"
#include "resources/ResourceIds.h"

// The show's logic always exists beside the wallpaper's dialog.
bool DialogMayCreateLogic() { return false; }

// The dialog controls the running wallpaper: Close and the playback buttons
// are offered; what a wallpaper cannot use (pictures drawn in its hidden
// window, Goom, the picture interval, paired pictures, power choices) is not.
void SetUpDialogVariantControls(HWND dialog) {
  auto enable = [dialog](int id, BOOL on) { EnableWindow(GetDlgItem(dialog, id), on); };
  enable(IDC_WALLPAPER_LABEL, TRUE);
  enable(IDC_CLOSE_WALLPAPER, TRUE);
  for (int id : {IDC_VISUAL_LOCAL_IMAGE, IDC_VISUAL_GOOM, IDC_INTERVAL_SLIDER, IDC_INTERVAL_VALUE, IDC_INTERVAL_LABEL,
                 IDC_PAIR_IMAGES})
    enable(id, FALSE);
  for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP}) {
    enable(id, TRUE);
    ShowWindow(GetDlgItem(dialog, id), SW_SHOW);
  }
  for (int id : {IDC_POWER_NONE, IDC_POWER_SCREEN_SAVER, IDC_POWER_USE}) {
    enable(id, FALSE);
    ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
  }
  enable(IDC_IDLE_OPTIONS, TRUE);
}

// A catalog edited in the dialog takes effect at the show's next selection.
void OnDialogSaved() { SetCatalogReloadRequested(true); }

void OnDialogMuteClicked(bool muted) {
  MuteAudio = muted;
  ApplyMute(muted);
}

bool DialogCloseEndsProgram() { return true; }
