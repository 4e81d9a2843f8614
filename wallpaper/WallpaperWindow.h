#pragma once
#include <windows.h>

#include "wallpaper/WallpaperHost.h"

// kelwall's window for the pictures of the show: borderless, inside the
// desktop's shell behind the icons (WallpaperHost.h), covering the primary
// monitor. The playback library is given this window, so whichever video
// output it picks draws the wallpaper under every other window. The window
// takes no input: keys and clicks on the desktop reach the desktop.
//
// It shows only while an item plays or is paused, found from the player's
// state; while nothing plays (after the dialog's "Stop", between shows) the
// desktop shows its own wallpaper.
//
// Where the shell has no place for it (no "Progman": Wine, another shell) no
// window is made and the show draws into its control window as before; under
// Wine the libvlc bridge's desktop layer stands in for the wallpaper there.
//
// Made, used and destroyed on the control window's thread, whose message
// loop keeps it answering and following the playback.
class CWallpaperWindow {
 public:
  explicit CWallpaperWindow(HINSTANCE instance);
  // The window goes and the desktop is asked to repaint, so it shows its own
  // wallpaper again.
  ~CWallpaperWindow();
  CWallpaperWindow(const CWallpaperWindow&) = delete;
  CWallpaperWindow& operator=(const CWallpaperWindow&) = delete;

  // Null when the shell had no place for a window, or took it along when it
  // ended.
  HWND Handle() const { return window_; }

  // After the shell (re)started: into the shell's place, made again when the
  // old shell took the window along when it ended. The player has to be
  // given a new Handle().
  void PutIntoShell();

  // The primary monitor's area again, after a change of the display.
  void FitToPrimaryMonitor();

  // How often the player's state is looked at, and how many looks in a row
  // must find nothing playing before the window hides: the show's step from
  // one item to the next (stop, choose, start) must not flash the desktop.
  static constexpr UINT kPlaybackCheckMs = 250;
  static constexpr int kIdleChecksBeforeHiding = 4;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Create();
  void Place(UINT flags);
  void FollowPlayback();
  void Forget(HWND window);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  WallpaperHost host_;
  int idleChecks_ = 0;
};

// The running program's wallpaper window, or null; read by the worker thread
// when it hands the playback library its window. It may have gone with the
// shell a moment ago.
HWND GetWallpaperWindow();
