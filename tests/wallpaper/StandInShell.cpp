#include "wallpaper/StandInShell.h"

#include "wallpaper/WallpaperHost.h"

namespace {

// Progman's own: the thread ends, and the system destroys its windows, as
// when the shell's process ends.
constexpr UINT kEndShellMessage = WM_APP + 1;

const wchar_t kWorkerWClass[] = L"WorkerW";
const wchar_t kIconsClass[] = L"SHELLDLL_DefView";

// The desktop's full size, with room for a monitor left of and above the
// screen.
RECT ShellArea() {
  int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {x - StandInShell::kBeyondScreen, y - StandInShell::kBeyondScreen, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
          y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// kIconsArea is in screen coordinates; a child's place is its parent's.
RECT InParent(RECT area, HWND parent) {
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
  return area;
}

void RegisterShellClass(const wchar_t* name, COLORREF colour, WNDPROC procedure) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(colour);
  wc.lpszClassName = name;
  RegisterClassW(&wc);  // kept for the next shell of the program
}

}  // namespace

HWND FirstChildOfClass(HWND parent, const wchar_t* className) {
  return FindWindowExW(parent, nullptr, className, nullptr);
}

StandInShell::StandInShell(ShellLayout layout) : layout_(layout) {
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
  // Its windows may send to this thread's while they are made.
  if (thread_) PumpUntil(10000, [&] { return WaitForSingleObject(ready_, 0) == WAIT_OBJECT_0; });
}

StandInShell::~StandInShell() {
  SetEvent(release_);
  if (progman_) PostMessageW(progman_, kEndShellMessage, 0, 0);
  // A window of this thread inside the shell's goes with it; it may have to
  // answer meanwhile.
  if (thread_) {
    PumpUntil(30000, [&] { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; });
    CloseHandle(thread_);
  }
  CloseHandle(release_);
  CloseHandle(ready_);
}

void StandInShell::AnnounceTaskbar() {
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

DWORD WINAPI StandInShell::ThreadProc(LPVOID parameter) {
  auto* self = static_cast<StandInShell*>(parameter);
  self->Build();
  SetEvent(self->ready_);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

// Shown without being activated, as the shell's windows are: an activated
// window would rise to the top of the z-order.
HWND StandInShell::MakeWindow(const wchar_t* className, DWORD style, RECT area, HWND parent) {
  HWND window = CreateWindowExW(parent ? 0 : WS_EX_TOOLWINDOW, className, L"", style | WS_CLIPCHILDREN, area.left,
                                area.top, area.right - area.left, area.bottom - area.top, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ShowWindow(window, SW_SHOWNA);
  return window;
}

void StandInShell::Build() {
  RegisterShellClass(kProgmanClass, kWallpaperColour, WindowProc);
  RegisterShellClass(kWorkerWClass, kWallpaperColour, WindowProc);
  RegisterShellClass(kIconsClass, RGB(240, 240, 240), WindowProc);
  progman_ = MakeWindow(kProgmanClass, WS_POPUP, ShellArea(), nullptr);
  SetWindowTextW(progman_, L"Program Manager");
  icons_ = MakeWindow(kIconsClass, WS_CHILD, InParent(kIconsArea, progman_), progman_);
  if (layout_ == ShellLayout::Hung) MakeClassicWorkerWs();
}

// Top to bottom: the icons' WorkerW, the empty one, ..., Progman. A new window
// goes on top; under Wine a window sent to the bottom or under another one
// does not stay there, so the order is that of creation.
void StandInShell::MakeClassicWorkerWs() {
  HWND worker = MakeWindow(kWorkerWClass, WS_POPUP, ShellArea(), nullptr);
  HWND iconsWorkerW = MakeWindow(kWorkerWClass, WS_POPUP, kIconsArea, nullptr);
  SetParent(icons_, iconsWorkerW);
  SetWindowPos(icons_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Painted before the answer: under Wine, a first painting that comes later
  // may put the empty WorkerW back over the icons' one.
  UpdateWindow(worker);
  UpdateWindow(iconsWorkerW);
  iconsWorkerW_.store(iconsWorkerW);
  wallpaperWorkerW_.store(worker);
}

// As Windows answers it: once, and the same again for a second request.
void StandInShell::AnswerWorkerWRequest() {
  ++requests_;
  if (layout_ == ShellLayout::Hung) {
    WaitForSingleObject(release_, 60000);
    return;
  }
  if (wallpaperWorkerW_.load()) return;
  switch (layout_) {
    case ShellLayout::Classic:
      MakeClassicWorkerWs();
      break;
    case ShellLayout::InsideProgman: {
      RECT client;
      GetClientRect(progman_, &client);
      HWND worker = MakeWindow(kWorkerWClass, WS_CHILD, client, progman_);
      SetWindowPos(worker, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      wallpaperWorkerW_.store(worker);
      break;
    }
    case ShellLayout::NoWorkerW:
    case ShellLayout::Hung:
      break;
  }
}

LRESULT CALLBACK StandInShell::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<StandInShell*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case kMakeWorkerWMessage:
      if (window == self->progman_) self->AnswerWorkerWRequest();
      return 0;
    case kEndShellMessage:
      PostQuitMessage(0);
      return 0;
    case WM_LBUTTONDOWN:
      if (window == self->icons_) {
        ++self->iconClicks_;
        SetFocus(window);
      } else {
        ++self->desktopClicks_;
      }
      return 0;
    case WM_KEYDOWN:
      if (window == self->icons_) ++self->iconKeys_;
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
