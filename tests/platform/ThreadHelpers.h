#pragma once
#include <windows.h>

#include <functional>

#include "platform/Scoped.h"

// What the holder and wait tests share: a thread running one piece of work,
// and a message-only window of the test thread that counts what it is sent.

// Time-out of every wait that stands for "it happened": the cases pass in
// milliseconds, and only a broken one takes this long.
constexpr DWORD kGenerousMilliseconds = 10000;

constexpr UINT kPingMessage = WM_APP + 1;
constexpr UINT kPostedMessage = WM_APP + 2;

// Runs the work on a thread of its own; the destructor waits for it.
class WorkThread {
 public:
  explicit WorkThread(std::function<void()> work) : work_(std::move(work)) {
    thread_.Reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
  }
  ~WorkThread() {
    if (thread_.Valid()) WaitForSingleObject(thread_.Get(), INFINITE);
  }
  WorkThread(const WorkThread&) = delete;
  WorkThread& operator=(const WorkThread&) = delete;

  bool Started() const { return thread_.Valid(); }
  // Signalled once the work is done.
  HANDLE Handle() const { return thread_.Get(); }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<WorkThread*>(self)->work_();
    return 0;
  }
  std::function<void()> work_;
  ScopedHandle thread_;
};

class PingWindow {
 public:
  PingWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KelPingWindow";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, this);
  }
  ~PingWindow() { DestroyWindow(window_); }
  PingWindow(const PingWindow&) = delete;
  PingWindow& operator=(const PingWindow&) = delete;

  HWND Get() const { return window_; }
  LONG Answered() const { return InterlockedCompareExchange(const_cast<volatile LONG*>(&answered_), 0, 0); }
  LONG PostedHandled() const { return postedHandled_; }

  // From another thread: sends one ping, giving up after the generous time.
  void SendPing() const {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window_, kPingMessage, 0, 0, SMTO_NORMAL, kGenerousMilliseconds, &result);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<PingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kPingMessage) {
      InterlockedIncrement(&self->answered_);
      return 1;
    }
    if (self && message == kPostedMessage) ++self->postedHandled_;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HWND window_ = nullptr;
  volatile LONG answered_ = 0;
  LONG postedHandled_ = 0;
};

// Whether a message sent to this thread is waiting to be answered. Asking
// counts as having looked at the queue.
inline bool SentMessagePending() { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; }

// Waits, without answering anything, until another thread's message to this
// thread is queued; false when none came within the generous time.
inline bool WaitUntilSentMessagePending() {
  ULONGLONG deadline = GetTickCount64() + kGenerousMilliseconds;
  while (!SentMessagePending()) {
    if (GetTickCount64() > deadline) return false;
    SwitchToThread();
  }
  return true;
}
