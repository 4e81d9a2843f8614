// The wallpaper program's side of the program variant hooks.
#include "engine/ProgramVariant.h"

#include "engine/Logic.h"
#include "engine/ScrSvrThread.h"
#include "engine/ShowRequests.h"
#include "engine/Settings.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "platform/Trace.h"
#include "resources/ResourceIds.h"
#include "wallpaper/WallpaperWindow.h"

#include <initializer_list>

bool IsWallpaperProgram() { return true; }

int DefaultVisualIndex() { return 3; }  // Random

const wchar_t* VisualIndexValueName() { return L"WP_CurrentVisualIndex"; }
const wchar_t* PowerIndexValueName() { return L"WP_CurrentPowerIndex"; }

// The wallpaper counts itself once: any second process of either program
// blocks it.
bool IsAnotherInstanceByRule(int matches, bool) { return matches > 1; }

// The wallpaper's dialog plays items of its own while the show runs.
bool DialogCanPlayDuringShow() { return true; }

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

// The control window's "State" menu is not offered in the wallpaper; its
// command still works when sent.
void PrepareShowWindow(HWND window) {
  // No redraw: the window is never shown, and a redraw would be a message
  // sent to the window thread from this one.
  if (HMENU menu = GetMenu(window)) RemoveMenu(menu, 1, MF_BYPOSITION);
}

// The control window is hidden: the pictures go behind the desktop icons
// when the shell has a place for them there.
HWND ShowVideoWindow(HWND showWindow) {
  HWND wallpaper = GetWallpaperWindow();
  return wallpaper && IsWindow(wallpaper) ? wallpaper : showWindow;
}

// A wallpaper that closes because another one runs leaves that one's picture
// alone.
void OnShowStopRequested() {
  if (WasScrSvrSecondInstanceFound()) return;
  Trace(L"stop: loading picture");
  KEL_Logic::ShowLoadingPicture();
  Trace(L"stop: loading picture up");
}

// Every item but the loading picture plays as the wallpaper, with the
// system's screen saver held off while it plays.
// libvlc 3 reads "video-wallpaper" from the library instance, so the player
// wrapper also hands it to the instance it plays these items on.
void AddPlaybackOptionsTail(int mode) {
  if (mode == VisualModeLoadingPicture) return;
  CurrentPowerIndex = PowerIndexNoPower;
  CVlcPlayer& vlc = GetVlcPlayer();
  vlc.AddOption("video-wallpaper");
  vlc.AddOption("disable-screensaver");
}
