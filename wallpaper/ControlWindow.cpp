#include "wallpaper/ControlWindow.h"

#include "engine/Logic.h"
#include "engine/ProgramVariant.h"
#include "engine/ScrSvrThread.h"
#include "engine/ShowRequests.h"
#include "platform/Rest.h"
#include "platform/Trace.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/ConfigDialogProc.h"
#include "wallpaper/TrayIcon.h"
#include "wallpaper/WallpaperWindow.h"

const wchar_t* const kControlWindowClass = L"KelvaneAsApp";
const wchar_t* const kControlWindowTitle = L"Kelvane Wallpaper Control";

namespace {

HINSTANCE g_instance = nullptr;
// Stopped, and waited for, when the window goes.
CScrSvrWorker g_worker;
CTrayIcon* g_trayIcon = nullptr;
SettingsDialogOpener g_dialogOpener = nullptr;
bool g_dialogOpen = false;

UINT TaskbarCreatedMessage() {
  static UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

void OpenDialogTemplate(HWND owner) { RunSettingsDialog(owner); }

// The dialog is owned by the control window; its top-level window is the
// enabled popup of the disabled owner.
void BringDialogToFront(HWND owner) {
  HWND popup = GetLastActivePopup(owner);
  if (popup && popup != owner) SetForegroundWindow(popup);
}

}  // namespace

void SetControlTrayIcon(CTrayIcon* icon) { g_trayIcon = icon; }

void SetSettingsDialogOpenerForTests(SettingsDialogOpener opener) { g_dialogOpener = opener; }

void OpenSettingsDialog(HWND owner) {
  if (g_dialogOpen) {
    BringDialogToFront(owner);
    return;
  }
  g_dialogOpen = true;
  Trace(L"dialog opened");
  (g_dialogOpener ? g_dialogOpener : OpenDialogTemplate)(owner);
  g_dialogOpen = false;
  Trace(L"dialog closed");
}

bool RegisterControlWindowClass(HINSTANCE instance) {
  g_instance = instance;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = 0;
  wc.lpfnWndProc = ControlWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KELVANE));
  wc.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KELVANE_SMALL));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_CONTROL_MENU);
  wc.lpszClassName = kControlWindowClass;
  return RegisterClassExW(&wc) != 0;
}

HWND CreateControlWindow(HINSTANCE instance) {
  return CreateWindowExW(WS_EX_TOPMOST | WS_EX_CLIENTEDGE, kControlWindowClass, kControlWindowTitle, WS_OVERLAPPED,
                         CW_USEDEFAULT, CW_USEDEFAULT, 1024, 768, nullptr, nullptr, instance, nullptr);
}

LRESULT CALLBACK ControlWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_worker.Start(window);
      return 0;

    case WM_DESTROY:
      // The show reloads its catalogs if it ever runs on; the stop request puts
      // up the loading picture unless this instance found another.
      SetCatalogReloadRequested(true);
      g_worker.Stop();
      Trace(L"worker stopped");
      PostQuitMessage(0);
      return 0;

    case WM_CLOSE:
      if (g_worker.IsStopping()) return 0;
      DestroyWindow(window);
      break;

    case WM_ENDSESSION:
      // The session ends whatever the show does next: the user's screen saver
      // goes back now, not in a stop sequence that may never run.
      if (wParam) RestoreSystemScreenSaver();
      if (lParam != 1) Rest(500);
      break;

    case WM_POWER:
    case WM_POWERBROADCAST:
      if (lParam != 1) Rest(500);
      break;

    case WM_MOUSEACTIVATE:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_PARENTNOTIFY:
      Rest(500);
      break;

    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_OPEN_DIALOG) {
        OpenSettingsDialog(window);
      } else if (LOWORD(wParam) == IDC_ADVANCE) {
        // Taken by the worker at its next frame, once the show has a machine.
        RequestShowAdvance();
      }
      break;

    case WM_SYSCOMMAND:
      if (wParam == SC_MINIMIZE) {
        ShowWindow(window, SW_HIDE);
        return 0;
      }
      if (wParam == SC_CLOSE) PostMessageW(window, WM_CLOSE, 0, 0);
      break;

    case CTrayIcon::kCallbackMessage:
      // COM is the window thread's since WinMain; the dialog needs nothing more.
      if (lParam == WM_LBUTTONDBLCLK) OpenSettingsDialog(window);
      break;

    case WM_DISPLAYCHANGE:
      // Only top-level windows hear of it; the wallpaper's own thread fits it.
      if (CWallpaperWindow* wallpaper = GetWallpaper()) wallpaper->FitToPrimaryMonitor();
      break;

    default:
      if (message == TaskbarCreatedMessage() && message != 0) {
        if (g_trayIcon) {
          g_trayIcon->AddAgain();
          Trace(L"tray icon added again");
        }
        // The wallpaper's own thread moves it into the new shell; the show
        // gives the player the new window at its next frame.
        if (CWallpaperWindow* wallpaper = GetWallpaper()) wallpaper->PutIntoShellAgain();
      }
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
