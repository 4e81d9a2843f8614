#pragma once

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
