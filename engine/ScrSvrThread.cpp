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
#include "platform/Scoped.h"
#include "platform/SentMessageWait.h"
#include "platform/Trace.h"

namespace {

std::atomic<CScrSvrThread*> g_thread{nullptr};
FrameSleeper g_frameSleeper = nullptr;

struct StopFlag {
  CriticalSection lock;
  bool requested = false;
  // Set by the run loop when the single-instance check fails.
  bool secondInstanceFound = false;
  // True from the first frame until the frame loop has ended; changed only
  // with the frame lock held.
  bool framesRunning = false;
  // Never deleted: it must outlive every thread object.
};

StopFlag& Stop() {
  static StopFlag* flag = new StopFlag();
  return *flag;
}

void SetStopFlag(bool StopFlag::*member, bool value) {
  StopFlag& flag = Stop();
  CriticalSectionHold hold(flag.lock);
  flag.*member = value;
}

bool ReadStopFlag(bool StopFlag::*member) {
  StopFlag& flag = Stop();
  CriticalSectionHold hold(flag.lock);
  return flag.*member;
}

std::wstring ComFailureText(HRESULT hr) {
  wchar_t text[96];
  swprintf(text, 96, L"CoInitializeEx failed (0x%08lX)", static_cast<unsigned long>(hr));
  return text;
}

// The frames of one run of the loop: from the first frame until the loop is
// left, however it is left. A frame that throws (a device that cannot be
// reset) has let go of the frame lock by the time this ends.
class FramesRunning {
 public:
  FramesRunning() {
    ShowFrameLock frame;
    Stop().framesRunning = true;
  }
  ~FramesRunning() {
    try {
      // The stop step, unless a stop was asked for already (the ordinary
      // way out): then it has been taken.
      StopScrSvrShow();
    } catch (...) {
      Trace(L"stop step failed");
    }
    {
      ShowFrameLock frame;
      Stop().framesRunning = false;
      DropShowRequests();
    }
    RestoreSystemScreenSaver();
    Trace(L"run: stopped");
  }
  FramesRunning(const FramesRunning&) = delete;
  FramesRunning& operator=(const FramesRunning&) = delete;
};

}  // namespace

void RequestScrSvrStop() { SetStopFlag(&StopFlag::requested, true); }

void ClearScrSvrStopRequest() { SetStopFlag(&StopFlag::requested, false); }

bool IsScrSvrStopRequested() { return ReadStopFlag(&StopFlag::requested); }

void SetScrSvrSecondInstanceFound() { SetStopFlag(&StopFlag::secondInstanceFound, true); }

bool WasScrSvrSecondInstanceFound() { return ReadStopFlag(&StopFlag::secondInstanceFound); }

// The program's stop step (the wallpaper's loading picture) runs once, only
// while frames run, and never inside a frame step.
void StopScrSvrShow() {
  ShowFrameLock frame;
  bool first = !IsScrSvrStopRequested();
  RequestScrSvrStop();
  if (first && Stop().framesRunning) OnShowStopRequested();
}

CScrSvrThread* GetScrSvrThread() { return g_thread.load(std::memory_order_acquire); }

void SetFrameSleeperForTests(FrameSleeper sleeper) { g_frameSleeper = sleeper; }

namespace scrsvr_detail {

ComApartment::ComApartment() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) throw StartupError{ComFailureText(hr)};
  Trace(L"build: COM");
}

ComApartment::~ComApartment() { CoUninitialize(); }

TimerPeriod::TimerPeriod() { timeBeginPeriod(1); }

TimerPeriod::~TimerPeriod() { timeEndPeriod(1); }

ThreadRegistration::ThreadRegistration(CScrSvrThread* thread) { g_thread.store(thread, std::memory_order_release); }

ThreadRegistration::~ThreadRegistration() { g_thread.store(nullptr, std::memory_order_release); }

TeardownDone::~TeardownDone() { Trace(L"teardown: done"); }

void PlayerRelease::operator()(KEL_TamListPlayer* player) const {
  ReleasePlayer();
  delete player;
  Trace(L"teardown: player");
}

void RandomizerRelease::operator()(Tam_Randomizer* randomizer) const {
  randomizer->ClearSlots();
  delete randomizer;
  Trace(L"teardown: randomizer");
}

void LogicRelease::operator()(KEL_Logic* logic) const {
  KEL_Logic::Shutdown();
  delete logic;
  Trace(L"teardown: logic");
}

void AppRelease::operator()(CScrSvrApp* app) const {
  delete app;
  Trace(L"teardown: application");
}

void DeviceRelease::operator()(CScrSvrDevice* device) const {
  delete device;
  Trace(L"teardown: device");
}

}  // namespace scrsvr_detail

CScrSvrThread::CScrSvrThread(HWND window) : window_(window), registration_(this) { Build(); }

// What the window thread asked of this show goes with it, also when no frame
// loop ran to drop it (a show stepped by hand).
CScrSvrThread::~CScrSvrThread() { DropShowRequests(); }

void CScrSvrThread::Build() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  PrepareShowWindow(window_);
  LoadSettings();
  Trace(L"build: settings");
  player_.reset(new KEL_TamListPlayer());
  InitPlayer(ShowVideoWindow(window_));
  Trace(L"build: player");
  logic_.reset(new KEL_Logic());
  KEL_Logic::RequestCatalogReload();
  Trace(L"build: logic");
  randomizer_.reset(new Tam_Randomizer());
  randomizer_->CreateSlots(4);
  Trace(L"build: randomizer");
  device_.reset(new CScrSvrDevice());
  Trace(L"build: device");
  app_.reset(new CScrSvrApp());
  Trace(L"build: application");
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
  PlaceShowWindow();
  ReplaceSystemScreenSaver();
  FramesRunning frames;
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
}

DWORD CScrSvrThread::RunFrame() {
  RunShowRequests();
  appTime_ = CHighResTimer::GetTime();
  elapsedTime_ = CHighResTimer::GetElapsedTime();
  app_->FrameMove(appTime_, elapsedTime_);
  if (CScrSvrDevice* device = GetScrSvrDevice()) device->RenderFrame();
  FollowShowPlayback(window_);
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
  SetStopFlag(&StopFlag::secondInstanceFound, false);
  DropShowRequests();
  *threadId = 0;
  return CreateThread(nullptr, 0, ScrSvrThreadProc, window, 0, threadId);
}

// Only sent messages are answered: posted ones (the quit message among them)
// stay queued for the message loop.
void StopScrSvrThread(HANDLE thread) {
  StopScrSvrShow();
  if (thread) WaitAnsweringSentMessages(thread, INFINITE);
}

bool CScrSvrWorker::Start(HWND window) {
  if (IsStarted()) Stop();
  thread_.Reset(StartScrSvrThread(window, &threadId_));
  return IsStarted();
}

void CScrSvrWorker::Stop() {
  stopping_ = true;
  StopScrSvrThread(thread_.Get());
  thread_.Close();
  threadId_ = 0;
  stopping_ = false;
}
