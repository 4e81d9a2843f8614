#pragma once
#include <windows.h>

#include <atomic>

// The desktop's shell as Windows 8 and later build it, standing in for it in
// the test prefix (Wine has no "Progman"): a full-screen "Progman" holding the
// icons' "SHELLDLL_DefView", under the windows made after it, answering 0x052C
// as the layout says. Its windows run on a thread of their own, as the
// shell's run in a process of their own, and paint the desktop's own
// wallpaper in kWallpaperColour.
//
// Unlike Windows, the icons cover only kIconsArea, so the rest of the screen
// shows what lies behind them; and the shell's full-size windows reach
// kBeyondScreen pixels left of and above the screen, as over a second monitor
// there, so that a window inside them is placed in their own coordinates.
enum class ShellLayout {
  // Windows 8 to 11 23H2: a top-level "WorkerW" takes the icons over, and an
  // empty one follows it in the z-order, above Progman.
  Classic,
  // Windows 11 24H2: the "WorkerW" is made inside Progman, under the icons.
  InsideProgman,
  // Answers, makes nothing.
  NoWorkerW,
  // Made its WorkerW (Classic) for an earlier request, then hung: does not
  // answer until it is destroyed.
  Hung,
};

class StandInShell {
 public:
  static constexpr COLORREF kWallpaperColour = RGB(30, 144, 160);
  static constexpr RECT kIconsArea = {0, 0, 200, 300};
  static constexpr int kBeyondScreen = 64;

  explicit StandInShell(ShellLayout layout);
  // Its thread ends, as when the shell's process ends: the system destroys
  // its windows, and with them any window of a program inside them.
  ~StandInShell();
  StandInShell(const StandInShell&) = delete;
  StandInShell& operator=(const StandInShell&) = delete;

  HWND Progman() const { return progman_; }
  HWND Icons() const { return icons_; }
  // The WorkerW the icons moved into (Classic), else null.
  HWND IconsWorkerW() const { return iconsWorkerW_.load(); }
  // The WorkerW behind the icons, made at the first 0x052C; null before.
  HWND WallpaperWorkerW() const { return wallpaperWorkerW_.load(); }
  int Requests() const { return requests_.load(); }

  // Input that reached the shell: clicks and keys on the icons, clicks on
  // the desktop around them (WorkerW or Progman).
  int IconClicks() const { return iconClicks_.load(); }
  int IconKeys() const { return iconKeys_.load(); }
  int DesktopClicks() const { return desktopClicks_.load(); }

  // What a started shell broadcasts once its taskbar is there.
  static void AnnounceTaskbar();

 private:
  static DWORD WINAPI ThreadProc(LPVOID self);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Build();
  void AnswerWorkerWRequest();
  void MakeClassicWorkerWs();
  HWND MakeWindow(const wchar_t* className, DWORD style, RECT area, HWND parent);

  ShellLayout layout_;
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  HANDLE thread_ = nullptr;
  HWND progman_ = nullptr;
  HWND icons_ = nullptr;
  std::atomic<HWND> iconsWorkerW_{nullptr};
  std::atomic<HWND> wallpaperWorkerW_{nullptr};
  std::atomic<int> requests_{0};
  std::atomic<int> iconClicks_{0};
  std::atomic<int> iconKeys_{0};
  std::atomic<int> desktopClicks_{0};
};

// The window of another thread or program inside the shell window, or null.
HWND FirstChildOfClass(HWND parent, const wchar_t* className);

// Waits for the condition while this thread's windows get their messages (a
// window of the test's inside the shell's must answer it).
template <typename Predicate>
bool PumpUntil(DWORD milliseconds, Predicate predicate) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (predicate()) return true;
    if (GetTickCount() - start > milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
