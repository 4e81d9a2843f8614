#include "platform/ScreenSaverLibrary.h"

#include <cstdlib>

#include "platform/ScreenSaverCommandLine.h"

HINSTANCE hMainInstance = nullptr;
HWND hMainWindow = nullptr;
BOOL fChildPreview = FALSE;

namespace {

// A mouse that moves by no more than this many pixels is a jitter, not a user.
constexpr int kMouseMoveThreshold = 4;

POINT g_startCursor = {};
bool g_startCursorKnown = false;

void CloseSaver(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

// Every message passes through here first. The quit message is posted on
// WM_DESTROY before the program sees it, so the program's own handling of
// WM_DESTROY (waiting for its worker) ends the message loop afterwards.
LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      hMainWindow = window;
      g_startCursorKnown = GetCursorPos(&g_startCursor) != FALSE;
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
  }
  return ScreenSaverProc(window, message, wParam, lParam);
}

ATOM RegisterSaverClass(HINSTANCE instance) {
  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = LibraryWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(ID_APP));
  wc.hCursor = nullptr;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kScreenSaverWindowClass;
  return RegisterClassW(&wc);
}

int MessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

int RunFullScreen(HINSTANCE instance) {
  fChildPreview = FALSE;
  if (!RegisterSaverClass(instance)) return 1;
  int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int w = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (w <= 0 || h <= 0) {
    x = y = 0;
    w = GetSystemMetrics(SM_CXSCREEN);
    h = GetSystemMetrics(SM_CYSCREEN);
  }
  HWND window = CreateWindowExW(WS_EX_TOPMOST, kScreenSaverWindowClass, L"Kelvane", WS_POPUP | WS_VISIBLE, x, y, w,
                                h, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  SetForegroundWindow(window);
  return MessageLoop();
}

int RunPreview(HINSTANCE instance, HWND parent) {
  // The preview pane can vanish before we start (the user moved on in the
  // list): leave quietly, there is nobody to tell.
  if (!parent || !IsWindow(parent)) return 1;
  fChildPreview = TRUE;
  if (!RegisterSaverClass(instance)) return 1;
  RECT rc;
  GetClientRect(parent, &rc);
  HWND window = CreateWindowExW(0, kScreenSaverWindowClass, L"Preview", WS_CHILD | WS_VISIBLE, 0, 0,
                                rc.right - rc.left, rc.bottom - rc.top, parent, nullptr, instance, nullptr);
  if (!window) return 1;
  return MessageLoop();
}

int RunConfigure(HINSTANCE instance, HWND owner) {
  if (owner && !IsWindow(owner)) owner = nullptr;
  if (!RegisterDialogClasses(instance)) return 1;
  INT_PTR result =
      DialogBoxParamW(instance, MAKEINTRESOURCEW(DLG_SCRNSAVECONFIGURE), owner, ScreenSaverConfigureDialog, 0);
  return result == -1 ? 1 : 0;
}

}  // namespace

LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!fChildPreview) {
    switch (message) {
      case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_XBUTTONDOWN:
        CloseSaver(window);
        return 0;
      case WM_MOUSEMOVE: {
        POINT now;
        if (!GetCursorPos(&now)) break;
        if (!g_startCursorKnown) {
          g_startCursor = now;
          g_startCursorKnown = true;
        } else if (std::abs(now.x - g_startCursor.x) > kMouseMoveThreshold ||
                   std::abs(now.y - g_startCursor.y) > kMouseMoveThreshold) {
          CloseSaver(window);
        }
        return 0;
      }
      case WM_ACTIVATEAPP:
        if (!wParam) CloseSaver(window);
        break;
      case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) CloseSaver(window);
        break;
      case WM_SYSCOMMAND:
        // Another saver start while we run is not a second show.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int RunScreenSaverLibrary(HINSTANCE instance, const wchar_t* commandLine) {
  hMainInstance = instance;
  ScreenSaverCommand command = ParseScreenSaverCommandLine(commandLine);
  switch (command.mode) {
    case ScreenSaverMode::Run:
      return RunFullScreen(instance);
    case ScreenSaverMode::Preview:
      return RunPreview(instance, command.window);
    case ScreenSaverMode::ChangePassword:
      return 0;  // NT systems keep the password with the user's account
    case ScreenSaverMode::Configure:
      return RunConfigure(instance, command.window);
  }
  return 0;
}
