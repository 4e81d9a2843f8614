#pragma once
#include <windows.h>
#include <shellapi.h>

// The wallpaper's notification-area icon: the only thing of kelwall the user
// sees, and the way to its dialog.
class CTrayIcon {
 public:
  static constexpr UINT kIconId = 100;
  static constexpr UINT kCallbackMessage = WM_USER + 101;  // 0x0465

  // Fills the record for the window; nothing is shown yet.
  CTrayIcon(HWND window, HICON icon);
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  bool Add();
  // Also after the shell restarted (its "TaskbarCreated" message): a new
  // shell has no icons of ours.
  bool AddAgain();
  bool Remove();
  bool IsAdded() const { return added_; }

 private:
  NOTIFYICONDATAW record_;
  bool added_ = false;
};
