#include "wallpaper/WallpaperWindow.h"

#include <atomic>

#include "media/ListPlayer.h"
#include "platform/Trace.h"

namespace {

const wchar_t kClassName[] = L"KelvaneWallpaper";
const wchar_t kTitle[] = L"Kelvane Wallpaper";
constexpr UINT_PTR kPlaybackTimer = 1;

std::atomic<HWND> g_window{nullptr};

// libvlc's opening, buffering, playing and paused: an item is on the screen.
bool IsItemShowing(int state) { return state >= 1 && state <= 4; }

void RegisterWallpaperClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // What shows before the first frame of an item.
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // a second object of a test finds it registered
}

}  // namespace

HWND GetWallpaperWindow() { return g_window.load(); }

CWallpaperWindow::CWallpaperWindow(HINSTANCE instance) : instance_(instance) {
  RegisterWallpaperClass(instance, WindowProc);
  PutIntoShell();
}

CWallpaperWindow::~CWallpaperWindow() {
  if (!window_) return;
  HWND host = host_.parent;
  DestroyWindow(window_);
  RepaintDesktop(host);
}

void CWallpaperWindow::PutIntoShell() {
  // A shell that ended took the window along, and its end may not have
  // reached this thread as a message.
  if (window_ && !IsWindow(window_)) Forget(window_);
  WallpaperHost host;
  if (!FindWallpaperHost(&host)) {
    Trace(L"wallpaper window: no place in the shell");
    return;
  }
  host_ = host;
  if (!window_) {
    Create();
  } else {
    if (GetAncestor(window_, GA_PARENT) != host.parent) SetParent(window_, host.parent);
    Place(0);
  }
  Trace(L"wallpaper window %p in %p", static_cast<void*>(window_), static_cast<void*>(host.parent));
}

// Hidden until an item plays; disabled, so that it never takes the focus and
// a click on it goes to the desktop around it.
void CWallpaperWindow::Create() {
  window_ = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kClassName, kTitle,
                            WS_CHILD | WS_DISABLED | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, host_.parent,
                            nullptr, instance_, this);
  if (!window_) return;
  g_window.store(window_);
  idleChecks_ = 0;
  Place(0);
  SetTimer(window_, kPlaybackTimer, kPlaybackCheckMs, nullptr);
}

// The shell's windows span the virtual screen, which may begin left of or
// above the primary monitor.
void CWallpaperWindow::Place(UINT flags) {
  if (!window_) return;
  LONG_PTR exStyle = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  LONG_PTR wanted = host_.layered ? (exStyle | WS_EX_LAYERED) : (exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
  if (wanted != exStyle) SetWindowLongPtrW(window_, GWL_EXSTYLE, wanted);
  if (host_.layered) SetLayeredWindowAttributes(window_, 0, 255, LWA_ALPHA);
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MapWindowPoints(HWND_DESKTOP, host_.parent, reinterpret_cast<POINT*>(&area), 2);
  HWND after = host_.insertAfter ? host_.insertAfter : HWND_TOP;
  SetWindowPos(window_, after, area.left, area.top, area.right - area.left, area.bottom - area.top,
               flags | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void CWallpaperWindow::FitToPrimaryMonitor() { Place(SWP_NOZORDER); }

void CWallpaperWindow::FollowPlayback() {
  bool visible = (GetWindowLongW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
  if (IsItemShowing(GetPlayerState())) {
    idleChecks_ = 0;
    if (!visible) {
      ShowWindow(window_, SW_SHOWNA);
      Trace(L"wallpaper window shown");
    }
    return;
  }
  if (!visible || ++idleChecks_ < kIdleChecksBeforeHiding) return;
  ShowWindow(window_, SW_HIDE);
  RepaintDesktop(host_.parent);
  Trace(L"wallpaper window hidden");
}

void CWallpaperWindow::Forget(HWND window) {
  if (window_ != window) return;
  window_ = nullptr;
  HWND expected = window;
  g_window.compare_exchange_strong(expected, nullptr);
  Trace(L"wallpaper window gone");
}

LRESULT CALLBACK CWallpaperWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CWallpaperWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_TIMER:
      if (self && wParam == kPlaybackTimer) self->FollowPlayback();
      return 0;
    case WM_NCHITTEST:
      // The mouse goes on to what lies under it in this thread; the shell's
      // windows, of another thread, get it because the window is disabled.
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCDESTROY:
      // Also when the shell's window goes and takes this one along.
      if (self) self->Forget(window);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
