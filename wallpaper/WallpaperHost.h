#pragma once
#include <windows.h>

// Where the wallpaper's window goes in the desktop's shell (Windows 8 and
// later): behind the desktop icons and under every other window.
struct WallpaperHost {
  HWND parent = nullptr;
  // The sibling the window goes just under in the z-order (the icons), or
  // null when the parent holds nothing else of the shell's.
  HWND insertAfter = nullptr;
  // The parent shows its children only when they are layered windows.
  bool layered = false;
};

// The desktop's shell window, and the message that makes it put a "WorkerW"
// window behind the desktop icons (nothing happens when one is there).
extern const wchar_t* const kProgmanClass;  // "Progman"
constexpr UINT kMakeWorkerWMessage = 0x052C;
// How long the shell may take to answer it.
constexpr UINT kProgmanTimeoutMs = 1000;

// Asks "Progman" for the WorkerW and finds where the window goes:
// - Windows 8 to 11 23H2: the top-level "WorkerW" that follows, in the
//   z-order, the one holding "SHELLDLL_DefView" (the icons);
// - Windows 11 24H2 and later keep the icons and the WorkerW inside Progman:
//   Progman itself, between the icons above and the WorkerW below.
// False when the shell has no such place: no Progman (Wine, another shell),
// no answer within the time-out, no WorkerW made.
bool FindWallpaperHost(WallpaperHost* host);

// Asks the window (the shell's, which draws the desktop's own wallpaper) to
// paint itself again, without waiting for it.
void RepaintDesktop(HWND host);
