// The screen saver's side of the program variant hooks.
#include "engine/ProgramVariant.h"

#include "engine/Settings.h"
#include "media/VlcPlayer.h"

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

void PrepareShowWindow(HWND) {}

void OnShowStopRequested() {}

void SaverStateFrameStep(bool&) {}

// The saver lets the system's screen saver and power saving alone while it
// plays.
void AddPlaybackOptionsTail(int) {
  CurrentPowerIndex = PowerIndexUsePower;
  GetVlcPlayer().AddOption("no-disable-screensaver");
}
