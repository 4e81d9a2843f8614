#pragma once
#include <windows.h>

// What differs between the screen saver (kel) and the wallpaper program
// (kelwall). Each program links exactly one body of these hooks.

// True in the wallpaper program.
bool IsWallpaperProgram();

// Built-in default of the visualisation mode.
int DefaultVisualIndex();

// Registry names under which this program keeps the visualisation and power
// modes.
const wchar_t* VisualIndexValueName();
const wchar_t* PowerIndexValueName();

// The single-instance rule, given how many processes of either program the
// scan found and whether one of them was the wallpaper program.
bool IsAnotherInstanceByRule(int matches, bool wallpaperFound);

// Whether a settings dialog can start an item while the show runs (the
// wallpaper program's can); otherwise a player found stopped moves the show on.
bool DialogCanPlayDuringShow();

// Run-loop hooks around the frames of a show.
void ReplaceSystemScreenSaver();
void RestoreSystemScreenSaver();

// The settings dialog's differences (window thread).
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

// The end of every playback options build (media/VisualOptions.h), after the
// mute is applied; mode is the VisualMode the options were built for.
void AddPlaybackOptionsTail(int mode);
