// The screen saver's side of the program variant hooks.
#include "engine/ProgramVariant.h"

bool IsWallpaperProgram() { return false; }

// One or two saver processes are allowed (the preview and the real show can
// overlap); a third, or the wallpaper program running, blocks the show.
bool IsAnotherInstanceByRule(int matches, bool wallpaperFound) { return wallpaperFound || matches > 2; }

void ReplaceSystemScreenSaver() {}
void RestoreSystemScreenSaver() {}

bool DialogCanPlayDuringShow() { return false; }

void PrepareShowWindow(HWND) {}

HWND ShowVideoWindow(HWND showWindow) { return showWindow; }

void PlaceShowWindow() {}

void FollowShowPlayback(HWND) {}

void OnShowStopRequested() {}

void SaverStateFrameStep(bool&) {}
