#pragma once
#include <windows.h>
#include <d3d9.h>

#include <atomic>

class CScrSvrApp;
class CScrSvrDevice;
class KEL_Logic;
class KEL_TamListPlayer;
class Tam_Randomizer;

// The worker-thread object: builds every runtime object of the show in a fixed
// order, runs the frame loop until told to stop, and tears down in reverse.
// Exactly one exists while a show runs.
// Beside the process-wide stop flag, so the window thread never reads the
// worker object: whether this process's show found another instance running.
// Cleared when a worker starts.
bool WasScrSvrSecondInstanceFound();
void SetScrSvrSecondInstanceFound();

class CScrSvrThread {
 public:
  // Throws StartupError when COM, Direct3D or the device is refused, after
  // undoing whatever it had built.
  explicit CScrSvrThread(HWND window);
  ~CScrSvrThread();
  CScrSvrThread(const CScrSvrThread&) = delete;
  CScrSvrThread& operator=(const CScrSvrThread&) = delete;

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

  CScrSvrApp* GetApp() const { return app_; }
  // Frames stepped so far; may be read from any thread.
  int GetFrameCount() const { return frames_.load(std::memory_order_relaxed); }

 private:
  void Build();
  void Teardown();

  HWND window_;
  CScrSvrDevice* device_ = nullptr;
  CScrSvrApp* app_ = nullptr;
  KEL_TamListPlayer* player_ = nullptr;
  KEL_Logic* logic_ = nullptr;
  Tam_Randomizer* randomizer_ = nullptr;
  double appTime_ = 0.0;
  double elapsedTime_ = 0.0;
  std::atomic<int> frames_{0};
  bool comInitialised_ = false;
  bool timerPeriodSet_ = false;
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
