// The wallpaper program's side of the program variant hooks.
#include "engine/ProgramVariant.h"

#include "engine/Logic.h"
#include "engine/ScrSvrThread.h"
#include "engine/Settings.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "platform/Trace.h"

bool IsWallpaperProgram() { return true; }

int DefaultVisualIndex() { return 3; }  // Random

const wchar_t* VisualIndexValueName() { return L"WP_CurrentVisualIndex"; }
const wchar_t* PowerIndexValueName() { return L"WP_CurrentPowerIndex"; }

// The wallpaper counts itself once: any second process of either program
// blocks it.
bool IsAnotherInstanceByRule(int matches, bool) { return matches > 1; }

// The wallpaper's dialog plays items of its own while the show runs.
bool DialogCanPlayDuringShow() { return true; }

// The control window's "State" menu is not offered in the wallpaper; its
// command still works when sent.
void PrepareShowWindow(HWND window) {
  // No redraw: the window is never shown, and a redraw would be a message
  // sent to the window thread from this one.
  if (HMENU menu = GetMenu(window)) RemoveMenu(menu, 1, MF_BYPOSITION);
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
// TODO(instance options): libvlc 3 reads "video-wallpaper" from the player and
// the library instance, not the media; the player wrapper passes it on there.
void AddPlaybackOptionsTail(int mode) {
  if (mode == VisualModeLoadingPicture) return;
  CurrentPowerIndex = PowerIndexNoPower;
  CVlcPlayer& vlc = GetVlcPlayer();
  vlc.AddOption("video-wallpaper");
  vlc.AddOption("disable-screensaver");
}
