#pragma once
#include <windows.h>
#include <d3d9.h>

#include <atomic>
#include <memory>

#include "platform/Scoped.h"

class CScrSvrApp;
class CScrSvrDevice;
class CScrSvrThread;
class KEL_Logic;
class KEL_TamListPlayer;
class Tam_Randomizer;

// Beside the process-wide stop flag, so the window thread never reads the
// worker object: whether this process's show found another instance running.
// Cleared when a worker starts.
bool WasScrSvrSecondInstanceFound();
void SetScrSvrSecondInstanceFound();

namespace scrsvr_detail {

// The show's single-threaded apartment, left only if this thread entered it:
// a thread already in another apartment is refused, and that one is not
// undone. Throws StartupError when refused.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

// One-millisecond timer resolution for the show's life.
class TimerPeriod {
 public:
  TimerPeriod();
  ~TimerPeriod();
  TimerPeriod(const TimerPeriod&) = delete;
  TimerPeriod& operator=(const TimerPeriod&) = delete;
};

// Makes the thread object the running one for its life.
class ThreadRegistration {
 public:
  explicit ThreadRegistration(CScrSvrThread* thread);
  ~ThreadRegistration();
  ThreadRegistration(const ThreadRegistration&) = delete;
  ThreadRegistration& operator=(const ThreadRegistration&) = delete;
};

// The last line of every teardown, a failed build's included.
struct TeardownDone {
  TeardownDone() = default;
  ~TeardownDone();
  TeardownDone(const TeardownDone&) = delete;
  TeardownDone& operator=(const TeardownDone&) = delete;
};

// How each runtime object is let go, and the line its teardown writes.
struct PlayerRelease {
  void operator()(KEL_TamListPlayer* player) const;
};
struct RandomizerRelease {
  void operator()(Tam_Randomizer* randomizer) const;
};
struct LogicRelease {
  void operator()(KEL_Logic* logic) const;
};
struct AppRelease {
  void operator()(CScrSvrApp* app) const;
};
struct DeviceRelease {
  void operator()(CScrSvrDevice* device) const;
};

}  // namespace scrsvr_detail

// The worker-thread object: builds every runtime object of the show in a fixed
// order, runs the frame loop until told to stop, and tears down in reverse.
// Exactly one exists while a show runs.
class CScrSvrThread {
 public:
  // Throws StartupError when COM, Direct3D or the device is refused; what
  // was built by then is undone by its owner, in reverse order.
  explicit CScrSvrThread(HWND window);
  ~CScrSvrThread();
  CScrSvrThread(const CScrSvrThread&) = delete;
  CScrSvrThread& operator=(const CScrSvrThread&) = delete;

  // The frame loop. However it ends, a throw from a frame included, the
  // frames are ended the ordinary way: the program's stop step (unless a
  // stop was asked for already) and the system's screen saver put back.
  void Run();
  // One pass of the frame loop without its rest: the application's frame
  // step, then the device's frame. Returns the rest before the next pass, in
  // milliseconds.
  DWORD RunFrame();
  void Render(IDirect3DDevice9* device);
  void RequestStop();
  bool IsStopRequested();
  HWND GetWindow() const { return window_; }
  bool HasCursorMoved();
  bool WasSecondInstanceFound() const { return WasScrSvrSecondInstanceFound(); }

  CScrSvrApp* GetApp() const { return app_.get(); }
  // Frames stepped so far; may be read from any thread.
  int GetFrameCount() const { return frames_.load(std::memory_order_relaxed); }

 private:
  void Build();

  HWND window_;
  // Made in this order and destroyed in the reverse one: the player,
  // randomizer, logic, application and device go first, then the running
  // object's registration, the timer period and the apartment.
  scrsvr_detail::TeardownDone teardownDone_;
  scrsvr_detail::ComApartment com_;
  scrsvr_detail::TimerPeriod timerPeriod_;
  scrsvr_detail::ThreadRegistration registration_;
  std::unique_ptr<CScrSvrDevice, scrsvr_detail::DeviceRelease> device_;
  std::unique_ptr<CScrSvrApp, scrsvr_detail::AppRelease> app_;
  std::unique_ptr<KEL_Logic, scrsvr_detail::LogicRelease> logic_;
  std::unique_ptr<Tam_Randomizer, scrsvr_detail::RandomizerRelease> randomizer_;
  std::unique_ptr<KEL_TamListPlayer, scrsvr_detail::PlayerRelease> player_;
  double appTime_ = 0.0;
  double elapsedTime_ = 0.0;
  std::atomic<int> frames_{0};
};

// The running show's thread object, or null.
CScrSvrThread* GetScrSvrThread();

// Test seam: the run loop's rest between frames (Sleep's shape), so a test
// can run the loop on a clock of its own; null restores Sleep.
using FrameSleeper = void(WINAPI*)(DWORD milliseconds);
void SetFrameSleeperForTests(FrameSleeper sleeper);

// The thread procedure; the parameter is the window handle.
DWORD WINAPI ScrSvrThreadProc(LPVOID parameter);

// The stop request and its flag live for the whole process, so the window
// thread can ask for a stop at any moment, also while the thread object is
// being built or torn down.
void RequestScrSvrStop();
void ClearScrSvrStopRequest();
bool IsScrSvrStopRequested();

// The window thread's stop request: sets the flag and, the first time while
// the show's frames run, takes the program's stop step between two frames.
void StopScrSvrShow();

// Starts the worker on the window (clearing any earlier stop request) and
// returns its handle, or null.
HANDLE StartScrSvrThread(HWND window, DWORD* threadId);

// Asks the worker to stop and waits for it without a time-out, still handling
// messages sent to this thread's windows: the worker's teardown (the device,
// the playback library's video window) may send to them.
void StopScrSvrThread(HANDLE thread);

// The show's worker thread as its window's procedure sees it: started with
// the window, stopped and waited for when the window goes. Its handle is
// closed when it is stopped or destroyed; destroying it never waits.
class CScrSvrWorker {
 public:
  CScrSvrWorker() = default;
  CScrSvrWorker(const CScrSvrWorker&) = delete;
  CScrSvrWorker& operator=(const CScrSvrWorker&) = delete;

  // False when the thread could not be made.
  bool Start(HWND window);
  // Requests the stop and waits for the thread to end, answering the
  // messages sent to this thread meanwhile; then lets go of its handle.
  // Without a thread it still requests the stop.
  void Stop();
  // True while Stop waits: messages sent to the window meanwhile are
  // answered, but must neither touch the player the worker is releasing nor
  // close the window a second time.
  bool IsStopping() const { return stopping_; }
  bool IsStarted() const { return thread_.Valid(); }
  DWORD ThreadId() const { return threadId_; }

 private:
  ScopedHandle thread_;
  DWORD threadId_ = 0;
  bool stopping_ = false;
};
