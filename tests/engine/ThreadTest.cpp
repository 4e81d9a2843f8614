#include <gtest/gtest.h>
#include <windows.h>

#include "MessageBoxWatcher.h"
#include "ShowFixture.h"
#include "engine/StartupError.h"

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
