#pragma once
#include <windows.h>

// What differs between the screen saver (kel) and the wallpaper program
// (kelwall) in the engine. Each program links exactly one body of these
// hooks (ProgramVariantKel.cpp, or ProgramVariantKelwall.cpp with the
// wallpaper's larger bodies in wallpaper/). The settings', the playback
// options' and the settings dialog's hooks are declared beside the code that
// calls them: engine/SettingsVariant.h, media/VisualOptions.h,
// settings_dialog/DialogVariant.h.

// True in the wallpaper program.
bool IsWallpaperProgram();

// The single-instance rule, given how many processes of either program the
// scan found and whether one of them was the wallpaper program.
bool IsAnotherInstanceByRule(int matches, bool wallpaperFound);

// Whether a settings dialog can start an item while the show runs (the
// wallpaper program's can); otherwise a player found stopped moves the show on.
bool DialogCanPlayDuringShow();

// Run-loop hooks around the frames of a show.
void ReplaceSystemScreenSaver();
void RestoreSystemScreenSaver();

// Run-loop hook once the single-instance check has passed, before the first
// frame: the wallpaper program's window goes into the desktop's shell then,
// unless it went there at the program's start.
void PlaceShowWindow();

// After each frame, on the worker: the playback library draws into the
// window ShowVideoWindow names now (the wallpaper's may have come or gone
// with the shell), and the wallpaper's window follows the playback.
void FollowShowPlayback(HWND showWindow);

// Worker-thread constructor step, after the random seed is set and before the
// settings are read.
void PrepareShowWindow(HWND window);

// The window the playback library draws the show into, for the show's own
// window: that window itself, or the wallpaper program's window behind the
// desktop icons while it has one.
HWND ShowVideoWindow(HWND showWindow);

// Runs on the window thread when a stop is requested while the show's frames
// run, with the frame step held off (engine/ShowRequests.h).
void OnShowStopRequested();

// The saver state's frame step before its own frame work; may clear the
// state's active flag.
void SaverStateFrameStep(bool& active);
