#include "wallpaper/TrayIcon.h"

#include <cwchar>

CTrayIcon::CTrayIcon(HWND window, HICON icon) : record_() {
  // The record's first version; its size is the platform's own.
  record_.cbSize = sizeof(record_);
  record_.hWnd = window;
  record_.uID = kIconId;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record_.uCallbackMessage = kCallbackMessage;
  record_.hIcon = icon;
  wcsncpy(record_.szTip, L"KEL Wallpaper", 63);
  record_.szTip[63] = L'\0';
}

CTrayIcon::~CTrayIcon() { Remove(); }

bool CTrayIcon::Add() {
  added_ = Shell_NotifyIconW(NIM_ADD, &record_) != FALSE;
  return added_;
}

bool CTrayIcon::AddAgain() {
  // The old shell's icon went with it.
  added_ = false;
  return Add();
}

bool CTrayIcon::Remove() {
  if (!added_) return false;
  added_ = false;
  return Shell_NotifyIconW(NIM_DELETE, &record_) != FALSE;
}
