#include "wallpaper/WallpaperWindow.h"

#include "platform/SentMessageWait.h"
#include "platform/Trace.h"

namespace {

const wchar_t kClassName[] = L"KelvaneWallpaper";
const wchar_t kTitle[] = L"Kelvane Wallpaper";
const wchar_t kRequestClassName[] = L"KelvaneWallpaperRequests";

// The requests the thread takes, posted to its message-only window.
enum : UINT {
  kPutIntoShellMessage = WM_APP + 1,  // wParam: the number of the request
  kFitMessage,
  kPlaybackMessage,  // wParam: whether an item shows
  kEndMessage,
};
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT_PTR kHideTimer = 2;

// Finding the shell's place waits at most kProgmanTimeoutMs for the shell;
// the rest is the thread's own work.
constexpr DWORD kLookWaitMs = kProgmanTimeoutMs * 5;

std::atomic<HWND> g_window{nullptr};
std::atomic<CWallpaperWindow*> g_wallpaper{nullptr};

void RegisterClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);  // a second object of a test finds it registered
}

bool IsShown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace

CWallpaperWindow* GetWallpaper() { return g_wallpaper.load(); }

HWND GetWallpaperWindow() { return g_window.load(); }

CWallpaperWindow::CWallpaperWindow(HINSTANCE instance)
    : instance_(instance),
      ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      looked_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  thread_.Reset(CreateThread(nullptr, 0, ThreadProc, this, 0, &threadId_));
  if (thread_.Valid()) {
    HANDLE both[] = {ready_.Get(), thread_.Get()};
    WaitForMultipleObjects(2, both, FALSE, INFINITE);
  }
  g_wallpaper.store(this);
}

CWallpaperWindow::~CWallpaperWindow() {
  g_wallpaper.store(nullptr);
  if (!thread_.Valid()) return;
  Post(kEndMessage);
  // Nothing the thread does waits for long: the shell is given a time-out.
  WaitAnsweringSentMessages(thread_.Get(), INFINITE);
}

void CWallpaperWindow::Post(UINT message, WPARAM wParam) {
  if (HWND requests = requests_.load()) PostMessageW(requests, message, wParam, 0);
}

void CWallpaperWindow::PutIntoShell() {
  wanted_.store(true);
  HWND requests = requests_.load();
  if (!requests) return;
  LONG number = ++asked_;
  PostMessageW(requests, kPutIntoShellMessage, static_cast<WPARAM>(number), 0);
  DWORD start = GetTickCount();
  while (answered_.load() < number) {
    DWORD spent = GetTickCount() - start;
    if (spent >= kLookWaitMs) break;
    WaitAnsweringSentMessages(looked_.Get(), kLookWaitMs - spent);
  }
}

void CWallpaperWindow::PutIntoShellAgain() {
  if (wanted_.load()) Post(kPutIntoShellMessage, static_cast<WPARAM>(++asked_));
}

void CWallpaperWindow::FitToPrimaryMonitor() { Post(kFitMessage); }

HWND CWallpaperWindow::Handle() const { return g_window.load(); }

// Posted only when it changes: the worker says it after every frame.
void CWallpaperWindow::NotePlayback(bool itemShowing) {
  int now = itemShowing ? 1 : 0;
  if (reported_.exchange(now) != now) Post(kPlaybackMessage, static_cast<WPARAM>(now));
}

DWORD WINAPI CWallpaperWindow::ThreadProc(LPVOID parameter) {
  auto* self = static_cast<CWallpaperWindow*>(parameter);
  RegisterClassOnce(self->instance_, kRequestClassName, RequestProc, nullptr);
  // What shows before the first frame of an item.
  RegisterClassOnce(self->instance_, kClassName, WindowProc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HWND requests = CreateWindowExW(0, kRequestClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, self->instance_,
                                  self);
  self->requests_.store(requests);
  SetEvent(self->ready_.Get());
  if (!requests) return 0;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

LRESULT CALLBACK CWallpaperWindow::RequestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CWallpaperWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case kPutIntoShellMessage:
      self->retriesLeft_ = kShellRetries;
      self->LookForShellAndRetry();
      self->answered_.store(static_cast<LONG>(wParam));
      SetEvent(self->looked_.Get());
      return 0;
    case kFitMessage:
      self->Place(SWP_NOZORDER);
      return 0;
    case kPlaybackMessage:
      self->FollowPlayback(wParam != 0);
      return 0;
    case kEndMessage:
      self->End();
      return 0;
    case WM_TIMER:
      if (wParam == kRetryTimer) self->LookForShellAndRetry();
      if (wParam == kHideTimer) self->HideIfStillIdle();
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// While the window has no place in the shell, the shell is looked for again
// a few times.
void CWallpaperWindow::LookForShellAndRetry() {
  LookForShell();
  HWND requests = requests_.load();
  if (window_ || retriesLeft_ <= 0) {
    KillTimer(requests, kRetryTimer);
    retriesLeft_ = 0;
    return;
  }
  --retriesLeft_;
  SetTimer(requests, kRetryTimer, kShellRetryMs, nullptr);
}

void CWallpaperWindow::LookForShell() {
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
  Place(0);
  if (itemShowing_) {
    ShowWindow(window_, SW_SHOWNA);
    Trace(L"wallpaper window shown");
  }
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

// Shown at once; hidden only once nothing has played for a while.
void CWallpaperWindow::FollowPlayback(bool itemShowing) {
  itemShowing_ = itemShowing;
  if (!window_) return;
  HWND requests = requests_.load();
  if (itemShowing) {
    KillTimer(requests, kHideTimer);
    hidePending_ = false;
    if (!IsShown(window_)) {
      ShowWindow(window_, SW_SHOWNA);
      Trace(L"wallpaper window shown");
    }
    return;
  }
  if (IsShown(window_) && !hidePending_) {
    SetTimer(requests, kHideTimer, kHideAfterIdleMs, nullptr);
    hidePending_ = true;
  }
}

void CWallpaperWindow::HideIfStillIdle() {
  KillTimer(requests_.load(), kHideTimer);
  hidePending_ = false;
  if (!window_ || itemShowing_ || !IsShown(window_)) return;
  ShowWindow(window_, SW_HIDE);
  RepaintDesktop(host_.parent);
  Trace(L"wallpaper window hidden");
}

void CWallpaperWindow::End() {
  HWND requests = requests_.load();
  KillTimer(requests, kRetryTimer);
  KillTimer(requests, kHideTimer);
  if (window_) {
    HWND host = host_.parent;
    DestroyWindow(window_);
    RepaintDesktop(host);
  }
  requests_.store(nullptr);
  DestroyWindow(requests);
  PostQuitMessage(0);
}

void CWallpaperWindow::Forget(HWND window) {
  if (window_ != window) return;
  window_ = nullptr;
  hidePending_ = false;
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
