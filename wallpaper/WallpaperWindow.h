#pragma once
#include <windows.h>

#include <atomic>

#include "platform/Scoped.h"
#include "wallpaper/WallpaperHost.h"

// kelwall's window for the pictures of the show: borderless, inside the
// desktop's shell behind the icons (WallpaperHost.h), covering the primary
// monitor. The playback library is given this window, so whichever video
// output it picks draws the wallpaper under every other window. The window
// takes no input: keys and clicks on the desktop reach the desktop.
//
// A window inside the shell's window shares its input queue with the
// shell's thread: while the thread that owns it is busy, the desktop waits
// too. So the window has a thread of its own, which does nothing but own it
// and answer its messages. Everybody else asks it through posted messages
// (the object below does the asking): nothing on that thread ever waits for
// the control window, its dialog or the show's worker.
//
// It shows only while an item plays or is paused, as the show's worker tells
// it after each frame; while nothing plays (after the dialog's "Stop",
// between shows) the desktop shows its own wallpaper.
//
// Where the shell has no place for it (no "Progman": Wine, another shell) no
// window is made and the show draws into its control window as before; under
// Wine the libvlc bridge's desktop layer stands in for the wallpaper there.
//
// The object is made and destroyed on the control window's thread; one
// exists while the program runs, reached through GetWallpaper().
class CWallpaperWindow {
 public:
  // Starts the window's thread. Nothing goes into the shell yet: a second
  // instance of the program must leave the running one's desktop alone.
  explicit CWallpaperWindow(HINSTANCE instance);
  // The window goes and the desktop is asked to repaint, so it shows its own
  // wallpaper again; then the thread ends.
  ~CWallpaperWindow();
  CWallpaperWindow(const CWallpaperWindow&) = delete;
  CWallpaperWindow& operator=(const CWallpaperWindow&) = delete;

  // Into the shell's place, waiting (answering sent messages) until the
  // shell has been looked for once. While it has no place, it is looked for
  // again, kShellRetries times kShellRetryMs apart: a shell that is starting
  // (kelwall started with it) may make its desktop a little late.
  void PutIntoShell();
  // The same without waiting, after the shell (re)started ("TaskbarCreated"):
  // the window moves into the new shell's place, made again when the old
  // shell took it along. Only once PutIntoShell was asked for.
  void PutIntoShellAgain();
  bool IsWantedInShell() const { return wanted_.load(); }

  // The primary monitor's area again, after a change of the display.
  void FitToPrimaryMonitor();

  // Null when the shell had no place for a window, or took it along when it
  // ended. The player has to be given a new one when it changes.
  HWND Handle() const;
  DWORD ThreadId() const { return threadId_; }

  // Worker thread, after each frame: whether an item plays or is paused.
  void NotePlayback(bool itemShowing);

  // How long nothing must play before the window hides: the show's step
  // from one item to the next (stop, choose, start) must not flash the
  // desktop.
  static constexpr UINT kHideAfterIdleMs = 1000;
  static constexpr UINT kShellRetryMs = 1000;
  static constexpr int kShellRetries = 10;

 private:
  static DWORD WINAPI ThreadProc(LPVOID self);
  static LRESULT CALLBACK RequestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Post(UINT message, WPARAM wParam = 0);

  // On the window's thread only.
  void LookForShellAndRetry();
  void LookForShell();
  void Create();
  void Place(UINT flags);
  void FollowPlayback(bool itemShowing);
  void HideIfStillIdle();
  void End();
  void Forget(HWND window);

  HINSTANCE instance_;
  ScopedHandle ready_;
  ScopedHandle looked_;
  ScopedHandle thread_;
  DWORD threadId_ = 0;
  // The thread's message-only window, which takes the requests.
  std::atomic<HWND> requests_{nullptr};
  std::atomic<bool> wanted_{false};
  std::atomic<LONG> asked_{0};
  std::atomic<LONG> answered_{0};
  // What the worker said last: -1 nothing yet, else 0 or 1.
  std::atomic<int> reported_{-1};

  // The window's thread's own.
  HWND window_ = nullptr;
  WallpaperHost host_;
  int retriesLeft_ = 0;
  bool itemShowing_ = false;
  bool hidePending_ = false;
};

// The running program's wallpaper object, or null.
CWallpaperWindow* GetWallpaper();

// The running program's wallpaper window, or null; read by the worker thread
// when it hands the playback library its window. It may have gone with the
// shell a moment ago.
HWND GetWallpaperWindow();
