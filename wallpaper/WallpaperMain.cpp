// kelwall.exe: the show as the desktop wallpaper, run from a hidden control
// window with a tray icon. It takes no command line.
#include <windows.h>
#include <objbase.h>

#include "engine/InstanceCheck.h"
#include "resources/ResourceIds.h"
#include "wallpaper/ControlWindow.h"
#include "wallpaper/TrayIcon.h"
#include "wallpaper/WallpaperWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  if (!RegisterControlWindowClass(instance)) {
    MessageBoxW(nullptr, L"Window Registration Failed!", L"Error!", MB_ICONEXCLAMATION);
    return 0;
  }
  // Once for the window thread (the dialog's catalog editor and drops need
  // it), balanced below.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  // Before the control window, whose creation starts the show that draws
  // into it; it goes after the loop, once the show has stopped. A second
  // instance, which the show will turn away, puts nothing into the shell:
  // the running one's wallpaper stays as it is.
  CWallpaperWindow wallpaper(instance);
  if (!IsAnotherInstanceRunning(nullptr)) wallpaper.PutIntoShell();

  HWND window = CreateControlWindow(instance);
  if (!window) {
    MessageBoxW(nullptr, L"Window Creation Failed!", L"Error!", MB_ICONEXCLAMATION);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
  }
  CTrayIcon icon(window, LoadIconW(instance, MAKEINTRESOURCEW(IDI_KELVANE)));
  SetControlTrayIcon(&icon);
  icon.Add();
  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);

  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  SetControlTrayIcon(nullptr);
  icon.Remove();
  if (SUCCEEDED(com)) CoUninitialize();
  return static_cast<int>(msg.wParam);
}
