#include "engine/ScrSvrThread.h"

#include <objbase.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "engine/FrameRest.h"
#include "engine/InstanceCheck.h"
#include "engine/Logic.h"
#include "engine/ProgramVariant.h"
#include "engine/ScrSvrApp.h"
#include "engine/ScrSvrDevice.h"
#include "engine/Settings.h"
#include "engine/ShowRequests.h"
#include "engine/StartupError.h"
#include "media/ListPlayer.h"
#include "media/Randomizer.h"
#include "platform/HighResTimer.h"
#include "platform/Trace.h"

namespace {

CScrSvrThread* g_thread = nullptr;
FrameSleeper g_frameSleeper = nullptr;

struct StopFlag {
  CRITICAL_SECTION lock;
  bool requested = false;
  // Set by the run loop when the single-instance check fails.
  bool secondInstanceFound = false;
  // True from the first frame until the frame loop has ended; changed only
  // with the frame lock held.
  bool framesRunning = false;
  StopFlag() { InitializeCriticalSection(&lock); }
  // Never deleted: it must outlive every thread object.
};

StopFlag& Stop() {
  static StopFlag* flag = new StopFlag();
  return *flag;
}

std::wstring ComFailureText(HRESULT hr) {
  wchar_t text[96];
  swprintf(text, 96, L"CoInitializeEx failed (0x%08lX)", static_cast<unsigned long>(hr));
  return text;
}

}  // namespace

void RequestScrSvrStop() {
  StopFlag& flag = Stop();
  EnterCriticalSection(&flag.lock);
  flag.requested = true;
  LeaveCriticalSection(&flag.lock);
}

void ClearScrSvrStopRequest() {
  StopFlag& flag = Stop();
  EnterCriticalSection(&flag.lock);
  flag.requested = false;
  LeaveCriticalSection(&flag.lock);
}

bool IsScrSvrStopRequested() {
  StopFlag& flag = Stop();
  EnterCriticalSection(&flag.lock);
  bool requested = flag.requested;
  LeaveCriticalSection(&flag.lock);
  return requested;
}

void SetScrSvrSecondInstanceFound() {
  StopFlag& flag = Stop();
  EnterCriticalSection(&flag.lock);
  flag.secondInstanceFound = true;
  LeaveCriticalSection(&flag.lock);
}

bool WasScrSvrSecondInstanceFound() {
  StopFlag& flag = Stop();
  EnterCriticalSection(&flag.lock);
  bool found = flag.secondInstanceFound;
  LeaveCriticalSection(&flag.lock);
  return found;
}

// The program's stop step (the wallpaper's loading picture) runs once, only
// while frames run, and never inside a frame step.
void StopScrSvrShow() {
  ShowFrameLock frame;
  bool first = !IsScrSvrStopRequested();
  RequestScrSvrStop();
  if (first && Stop().framesRunning) OnShowStopRequested();
}

CScrSvrThread* GetScrSvrThread() { return g_thread; }

void SetFrameSleeperForTests(FrameSleeper sleeper) { g_frameSleeper = sleeper; }

CScrSvrThread::CScrSvrThread(HWND window) : window_(window) {
  g_thread = this;
  try {
    Build();
  } catch (...) {
    Teardown();
    throw;
  }
}

CScrSvrThread::~CScrSvrThread() { Teardown(); }

void CScrSvrThread::Build() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) throw StartupError{ComFailureText(hr)};
  comInitialised_ = true;
  Trace(L"build: COM");
  timeBeginPeriod(1);
  timerPeriodSet_ = true;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  PrepareShowWindow(window_);
  LoadSettings();
  Trace(L"build: settings");
  player_ = new KEL_TamListPlayer();
  InitPlayer(ShowVideoWindow(window_));
  Trace(L"build: player");
  logic_ = new KEL_Logic();
  KEL_Logic::RequestCatalogReload();
  Trace(L"build: logic");
  randomizer_ = new Tam_Randomizer();
  randomizer_->CreateSlots(4);
  Trace(L"build: randomizer");
  device_ = new CScrSvrDevice();
  Trace(L"build: device");
  app_ = new CScrSvrApp();
  Trace(L"build: application");
}

// Also undoes a construction that failed part way: every step checks what was
// built.
void CScrSvrThread::Teardown() {
  if (player_) {
    ReleasePlayer();
    delete player_;
    player_ = nullptr;
    Trace(L"teardown: player");
  }
  if (randomizer_) {
    randomizer_->ClearSlots();
    delete randomizer_;
    randomizer_ = nullptr;
    Trace(L"teardown: randomizer");
  }
  if (logic_) {
    KEL_Logic::Shutdown();
    delete logic_;
    logic_ = nullptr;
    Trace(L"teardown: logic");
  }
  if (app_) {
    delete app_;
    app_ = nullptr;
    Trace(L"teardown: application");
  }
  if (device_) {
    delete device_;
    device_ = nullptr;
    Trace(L"teardown: device");
  }
  if (timerPeriodSet_) timeEndPeriod(1);
  timerPeriodSet_ = false;
  if (comInitialised_) CoUninitialize();
  comInitialised_ = false;
  Trace(L"teardown: done");
  g_thread = nullptr;
}

void CScrSvrThread::Run() {
  if (IsAnotherInstanceRunning(window_)) {
    Trace(L"another instance");
    // The show's window already covers the screen from the topmost band, so a
    // plain box would open beneath it, unseen. System-modal is what makes an
    // ownerless box topmost on Windows and on Wine alike (Wine ignores
    // MB_TOPMOST); with no owner it disables nothing.
    MessageBoxW(nullptr, L"Only one instance allowed!", L"Kelvane Error!", MB_ICONWARNING | MB_SYSTEMMODAL);
    SetScrSvrSecondInstanceFound();
    PostMessageW(window_, WM_CLOSE, 0, 0);
    return;
  }
  ReplaceSystemScreenSaver();
  {
    ShowFrameLock frame;
    Stop().framesRunning = true;
  }
  while (!IsStopRequested()) {
    DWORD rest = kFrameRestMs;
    {
      ShowFrameLock held;
      // A stop taken while this frame waited for the lock: its loading
      // picture stays up.
      if (IsStopRequested()) break;
      rest = RunFrame();
    }
    (g_frameSleeper ? g_frameSleeper : Sleep)(rest);
  }
  {
    ShowFrameLock frame;
    Stop().framesRunning = false;
    DropShowRequests();
  }
  RestoreSystemScreenSaver();
  Trace(L"run: stopped");
}

DWORD CScrSvrThread::RunFrame() {
  RunShowRequests();
  appTime_ = CHighResTimer::GetTime();
  elapsedTime_ = CHighResTimer::GetElapsedTime();
  app_->FrameMove(appTime_, elapsedTime_);
  if (CScrSvrDevice* device = GetScrSvrDevice()) device->RenderFrame();
  int frame = frames_.fetch_add(1, std::memory_order_relaxed) + 1;
  Trace(L"frame %d", frame);
  return TakeFrameRest(CHighResTimer::GetAbsoluteTime());
}

void CScrSvrThread::Render(IDirect3DDevice9* device) {
  if (app_) app_->FrameRender(device, appTime_, elapsedTime_);
}

void CScrSvrThread::RequestStop() { StopScrSvrShow(); }

bool CScrSvrThread::IsStopRequested() { return IsScrSvrStopRequested(); }

bool CScrSvrThread::HasCursorMoved() {
  static int lastX = 0;
  static int lastY = 0;
  DWORD position = GetMessagePos();
  int x = static_cast<short>(LOWORD(position));
  int y = static_cast<short>(HIWORD(position));
  bool moved = (x != lastX || y != lastY) && lastX != 0 && lastY != 0;
  lastX = x;
  lastY = y;
  return moved;
}

// A failure that ends the show before or during its frames is told to the
// user and closes the window; it never leaves the process with an unhandled
// exception.
DWORD WINAPI ScrSvrThreadProc(LPVOID parameter) {
  HWND window = static_cast<HWND>(parameter);
  std::wstring failure;
  try {
    std::unique_ptr<CScrSvrThread> thread(new CScrSvrThread(window));
    thread->Run();
  } catch (const StartupError& error) {
    failure = error.text;
  } catch (const std::exception& error) {
    failure = L"Unexpected failure: ";
    for (const char* p = error.what(); *p; ++p) failure += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  } catch (...) {
    failure = L"Unexpected failure.";
  }
  if (!failure.empty()) {
    Trace(L"failure: %s", failure.c_str());
    // Above the topmost full-screen window (system-modal, as above) and in
    // front, or nobody sees why the show ended.
    MessageBoxW(nullptr, failure.c_str(), L"Kelvane Error!", MB_ICONERROR | MB_SYSTEMMODAL | MB_SETFOREGROUND);
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return 0;
}

HANDLE StartScrSvrThread(HWND window, DWORD* threadId) {
  ClearScrSvrStopRequest();
  {
    StopFlag& flag = Stop();
    EnterCriticalSection(&flag.lock);
    flag.secondInstanceFound = false;
    LeaveCriticalSection(&flag.lock);
  }
  DropShowRequests();
  *threadId = 0;
  return CreateThread(nullptr, 0, ScrSvrThreadProc, window, 0, threadId);
}

void StopScrSvrThread(HANDLE thread) {
  StopScrSvrShow();
  if (!thread) return;
  for (;;) {
    DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (result != WAIT_OBJECT_0 + 1) break;
    // Only sent messages: posted ones (the quit message among them) stay
    // queued for the message loop.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}
