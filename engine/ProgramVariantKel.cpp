// The screen saver's side of the program variant hooks.
#include "engine/ProgramVariant.h"

#include <initializer_list>

#include "engine/Settings.h"
#include "media/VlcPlayer.h"
#include "resources/ResourceIds.h"

bool IsWallpaperProgram() { return false; }

int DefaultVisualIndex() { return 1; }  // Local Image

const wchar_t* VisualIndexValueName() { return L"CurrentVisualIndex"; }
const wchar_t* PowerIndexValueName() { return L"CurrentPowerIndex"; }

// One or two saver processes are allowed (the preview and the real show can
// overlap); a third, or the wallpaper program running, blocks the show.
bool IsAnotherInstanceByRule(int matches, bool wallpaperFound) { return wallpaperFound || matches > 2; }

void ReplaceSystemScreenSaver() {}
void RestoreSystemScreenSaver() {}

bool DialogCanPlayDuringShow() { return false; }

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

void PrepareShowWindow(HWND) {}

HWND ShowVideoWindow(HWND showWindow) { return showWindow; }

void OnShowStopRequested() {}

void SaverStateFrameStep(bool&) {}

// The saver lets the system's screen saver and power saving alone while it
// plays.
void AddPlaybackOptionsTail(int) {
  CurrentPowerIndex = PowerIndexUsePower;
  GetVlcPlayer().AddOption("no-disable-screensaver");
}
