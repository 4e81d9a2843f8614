#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include "MessageBoxWatcher.h"
#include "ShowFixture.h"
#include "engine/IntroState.h"
#include "engine/ShowRequests.h"
#include "engine/StartupError.h"
#include "media/ListPlayer.h"

using ThreadStart = ShowFixture;

// A device that cannot be made ends the construction: what was built is
// undone and no thread object stays registered.
TEST_F(ThreadStart, AFailedBuildUndoesItselfAndThrows) {
  bool thrown = false;
  try {
    CScrSvrThread doomed(nullptr);  // no window: the device is refused
  } catch (const StartupError& error) {
    thrown = true;
    EXPECT_FALSE(error.text.empty());
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(GetScrSvrThread(), nullptr);
  EXPECT_EQ(GetScrSvrDevice(), nullptr);
  EXPECT_TRUE(trace.Contains(L"teardown: player"));
  EXPECT_TRUE(trace.Contains(L"teardown: done"));
  EXPECT_FALSE(trace.Contains(L"build: application"));
  EXPECT_FALSE(trace.Contains(L"teardown: application"));
}

namespace {
DWORD WINAPI RunThreadProcWithoutWindow(LPVOID) { return ScrSvrThreadProc(nullptr); }
}  // namespace

TEST_F(ThreadStart, TheThreadProcedureTellsTheUserAndEndsCleanly) {
  HANDLE worker = CreateThread(nullptr, 0, RunThreadProcWithoutWindow, nullptr, 0, nullptr);
  ASSERT_NE(worker, nullptr);
  FoundMessageBox box = CloseMessageBox(L"Kelvane Error!", 20000);
  EXPECT_TRUE(box.found);
  EXPECT_FALSE(box.text.empty());
  EXPECT_EQ(WaitForSingleObject(worker, 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeThread(worker, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(worker);
  EXPECT_EQ(GetScrSvrThread(), nullptr);
}

namespace {

IDirect3D9* WINAPI NoDirect3D(UINT) { return nullptr; }

struct FailingStart {
  HWND window = nullptr;
  bool comAlreadyMultithreaded = false;
  bool apartmentKept = false;
};

// The thread procedure on a thread of its own, as the window procedure starts
// it. A thread already in the multithreaded apartment gets its show's
// single-threaded one refused, as a real COM refusal does.
DWORD WINAPI RunFailingStart(LPVOID parameter) {
  FailingStart* run = static_cast<FailingStart*>(parameter);
  if (run->comAlreadyMultithreaded) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  DWORD code = ScrSvrThreadProc(run->window);
  if (run->comAlreadyMultithreaded) {
    // S_FALSE: the apartment is still there; a refused start must not undo
    // an initialisation that was not its own.
    HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    run->apartmentKept = again == S_FALSE;
    if (SUCCEEDED(again)) CoUninitialize();
    CoUninitialize();
  }
  return code;
}

}  // namespace

TEST_F(ThreadStart, StartFailuresAreToldUndoneAndCloseTheWindow) {
  struct Case {
    const char* name;
    bool comAlreadyMultithreaded;
    Direct3DCreator createDirect3D;
    const wchar_t* text;
    bool playerBuilt;
  } cases[] = {
      {"COM refused", true, nullptr, L"CoInitializeEx failed (0x80010106)", false},
      {"no Direct3D", false, NoDirect3D, L"Direct3DCreate9(...) failed", true},
  };
  HWND own = CreateShowWindow(64, 48);  // never carries a device, so cheap to destroy
  ASSERT_NE(own, nullptr);
  for (const Case& c : cases) {
    trace.Clear();
    SetDirect3DCreatorForTests(c.createDirect3D);
    FailingStart run;
    run.window = own;
    run.comAlreadyMultithreaded = c.comAlreadyMultithreaded;
    HANDLE worker = CreateThread(nullptr, 0, RunFailingStart, &run, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    FoundMessageBox box = CloseMessageBox(L"Kelvane Error!", 20000);
    ASSERT_EQ(WaitForSingleObject(worker, 20000), WAIT_OBJECT_0) << c.name;
    SetDirect3DCreatorForTests(nullptr);
    DWORD code = 1;
    GetExitCodeThread(worker, &code);
    CloseHandle(worker);

    EXPECT_TRUE(box.found) << c.name;
    EXPECT_EQ(box.text, c.text) << c.name;
    EXPECT_TRUE(box.topmost) << c.name;
    EXPECT_EQ(code, 0u) << c.name;
    // Nothing half-built stays behind.
    EXPECT_EQ(GetScrSvrThread(), nullptr) << c.name;
    EXPECT_EQ(GetScrSvrDevice(), nullptr) << c.name;
    EXPECT_EQ(GetScrSvrApp(), nullptr) << c.name;
    EXPECT_EQ(GetListPlayer(), nullptr) << c.name;
    EXPECT_EQ(trace.Contains(L"teardown: player"), c.playerBuilt) << c.name;
    EXPECT_EQ(trace.Contains(L"teardown: logic"), c.playerBuilt) << c.name;
    EXPECT_FALSE(trace.Contains(L"build: device")) << c.name;
    EXPECT_TRUE(trace.Contains(L"teardown: done")) << c.name;
    if (c.comAlreadyMultithreaded) {
      EXPECT_TRUE(run.apartmentKept) << c.name;
    }
    // The window is asked to close.
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, own, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << c.name;
  }
  DestroyWindow(own);
}

// ---- the loop's rest ---------------------------------------------------------

namespace {

// Stands in for the loop's rest: time passes on the show's clock alone. Notes
// the clock of the first frame that found the intro's hold over, then stops
// the loop.
FakeClock* g_loopClock = nullptr;
double g_holdOverAt = 0.0;
double g_frameBefore = 0.0;
int g_passes = 0;

void WINAPI RestOnTheShowClock(DWORD milliseconds) {
  CScrSvrApp* app = GetScrSvrApp();
  CScrSvrState* state = app ? app->GetMachine()->GetCurrentState() : nullptr;
  CScrSvrState* action = state ? state->GetCurrentAction() : nullptr;
  if (g_holdOverAt == 0.0 && action && action->Name() == L"INTRO_ACT_OUTRO_1") g_holdOverAt = g_loopClock->Now();
  if (g_holdOverAt == 0.0) g_frameBefore = g_loopClock->Now();
  if (g_holdOverAt != 0.0 || ++g_passes > 100) RequestScrSvrStop();
  g_loopClock->Advance(milliseconds / 1000.0);
}

}  // namespace

// The run loop rests its 66 ms while nothing falls due and wakes just after
// the intro's hold runs out, rather than up to a rest later.
TEST_F(ThreadStart, TheLoopWakesJustAfterTheIntroHold) {
  Build();
  g_loopClock = &clock;
  g_holdOverAt = g_frameBefore = 0.0;
  g_passes = 0;
  ClearScrSvrStopRequest();  // as a worker's start does: an earlier show's stop is not this one's
  SetFrameSleeperForTests(RestOnTheShowClock);
  thread->Run();
  SetFrameSleeperForTests(nullptr);
  ClearScrSvrStopRequest();
  double start = GetIntroStartTime();
  ASSERT_GT(g_holdOverAt, 0.0) << "the hold never ran out";
  EXPECT_GT(g_holdOverAt, start + 1.0);
  EXPECT_LE(g_holdOverAt, start + 1.0 + 0.003);
  EXPECT_LE(g_frameBefore, start + 1.0);
  // Full rests until then: the boot's two frames and about sixteen of the
  // intro's.
  EXPECT_LE(g_passes, 20);
}

// ---- stopping --------------------------------------------------------------

namespace {

HWND g_target = nullptr;
bool g_sentAnswered = false;

LRESULT CALLBACK AnsweringProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    g_sentAnswered = true;
    return 42;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A worker that, before it ends, sends to a window of the thread that waits
// for it, as libvlc's video output and the device do.
DWORD WINAPI SendingWorker(LPVOID) {
  while (!IsScrSvrStopRequested()) Sleep(5);
  return SendMessageW(g_target, WM_APP, 0, 0) == 42 ? 0 : 1;
}

}  // namespace

TEST(ThreadStop, WaitingStillAnswersMessagesSentToTheWindow) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = AnsweringProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KelTestAnswering";
  RegisterClassW(&wc);
  g_target = CreateWindowW(L"KelTestAnswering", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(g_target, nullptr);
  PostMessageW(g_target, WM_USER, 0, 0);  // a posted message must stay queued

  ClearScrSvrStopRequest();
  HANDLE worker = CreateThread(nullptr, 0, SendingWorker, nullptr, 0, nullptr);
  StopScrSvrThread(worker);  // would never return with a plain wait
  EXPECT_TRUE(g_sentAnswered);
  DWORD code = 1;
  GetExitCodeThread(worker, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(worker);
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, g_target, WM_USER, WM_USER, PM_REMOVE));
  DestroyWindow(g_target);
}

// The stop request reaches no object: it can come before, during or after a
// thread object's life.
TEST(ThreadStop, StopRequestsNeedNoThreadObject) {
  ClearScrSvrStopRequest();
  EXPECT_FALSE(IsScrSvrStopRequested());
  RequestScrSvrStop();
  EXPECT_TRUE(IsScrSvrStopRequested());
  StopScrSvrThread(nullptr);
  ClearScrSvrStopRequest();
}

// ---- the frame lock ----------------------------------------------------------

namespace {

struct LockRun {
  HWND window = nullptr;
  HANDLE held = nullptr;
  bool answered = false;
  bool doneHolding = false;
};

LRESULT CALLBACK AnswerSeven(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) return 7;
  return DefWindowProcW(window, message, wParam, lParam);
}

// Holds the lock (twice over, as a request that stops the show does) and,
// holding it, sends to a window of the thread that waits for it.
DWORD WINAPI HoldAndSend(LPVOID parameter) {
  LockRun* run = static_cast<LockRun*>(parameter);
  ShowFrameLock frame;
  { ShowFrameLock again; }
  SetEvent(run->held);
  DWORD_PTR result = 0;
  run->answered = SendMessageTimeoutW(run->window, WM_APP, 0, 0, SMTO_NORMAL, 10000, &result) && result == 7;
  run->doneHolding = true;
  return 0;
}

}  // namespace

// A thread that waits for the frame lock answers what the holder sends it,
// and gets the lock once the holder has let it go.
TEST(FrameLock, AWaiterAnswersTheHolderAndComesAfterIt) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = AnswerSeven;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KelTestFrameLock";
  RegisterClassW(&wc);
  LockRun run;
  run.window = CreateWindowW(L"KelTestFrameLock", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(run.window, nullptr);
  run.held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE holder = CreateThread(nullptr, 0, HoldAndSend, &run, 0, nullptr);
  ASSERT_NE(holder, nullptr);
  ASSERT_EQ(WaitForSingleObject(run.held, 20000), WAIT_OBJECT_0);
  {
    ShowFrameLock frame;
    EXPECT_TRUE(run.answered);
    EXPECT_TRUE(run.doneHolding);
  }
  EXPECT_EQ(WaitForSingleObject(holder, 20000), WAIT_OBJECT_0);
  CloseHandle(holder);
  CloseHandle(run.held);
  DestroyWindow(run.window);
}
