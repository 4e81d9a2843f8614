#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "engine/Settings.h"
#include "platform/ScreenSaverLibrary.h"
#include "support/TraceRecorder.h"

namespace {

std::vector<UINT> g_sent;

// The window's own procedure records what reaches it by SendMessage.
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    g_sent.push_back(message);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class ScreenSaverProcTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KelTestSaverProc";
    RegisterClassW(&wc);
    window = CreateWindowW(L"KelTestSaverProc", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    g_sent.clear();
    fChildPreview = FALSE;
    DrainQueue();
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    fChildPreview = FALSE;
  }
  // Removes and counts the WM_CLOSE messages posted to the window.
  int PostedCloses() {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++count;
    return count;
  }
  // Dispatched, not just removed: a window's WM_PAINT stays until painted.
  void DrainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  HWND window = nullptr;
  TraceRecorder trace;
};

struct SysCommandCase {
  WPARAM command;
  LPARAM lParam;
  int postedCloses;
  bool pauses;
};

}  // namespace

// The command is compared whole: low-order bits make it another command.
TEST_F(ScreenSaverProcTest, SystemCommands) {
  const SysCommandCase cases[] = {
      {SC_CLOSE, 0, 1, false},
      {SC_CLOSE | 0x2, 0, 0, false},
      {SC_MONITORPOWER, 2, 0, true},
      {SC_MONITORPOWER, 1, 0, true},
      {SC_MONITORPOWER, -1, 0, false},
      {SC_MONITORPOWER | 0x1, 2, 0, false},
      {SC_MINIMIZE, 0, 0, false},
  };
  for (const SysCommandCase& c : cases) {
    trace.Clear();
    ScreenSaverProc(window, WM_SYSCOMMAND, c.command, c.lParam);
    EXPECT_EQ(PostedCloses(), c.postedCloses) << std::hex << c.command << " " << c.lParam;
    EXPECT_EQ(trace.Matching(L"pause").size(), c.pauses ? 1u : 0u) << std::hex << c.command << " " << c.lParam;
  }
}

TEST_F(ScreenSaverProcTest, EveryPowerBroadcastPausesAndCloses) {
  for (WPARAM event : {WPARAM(PBT_APMSUSPEND), WPARAM(PBT_APMRESUMEAUTOMATIC), WPARAM(PBT_APMPOWERSTATUSCHANGE)}) {
    trace.Clear();
    g_sent.clear();
    DWORD start = GetTickCount();
    ScreenSaverProc(window, WM_POWERBROADCAST, event, 0);
    EXPECT_GE(GetTickCount() - start, 400u);  // it rests before closing
    EXPECT_EQ(trace.Matching(L"pause player 1").size(), 1u);
    EXPECT_EQ(g_sent, std::vector<UINT>{WM_CLOSE});
  }
}

// Web media plays through the list player, so that is the one paused.
TEST_F(ScreenSaverProcTest, PausingFollowsTheCurrentKind) {
  KEL_TamListPlayer player;
  AddMedia(L"C:\\a.wav", L"C:\\", MediaKindAudio);
  AddWebMedia(L"http://example.invalid/stream", L"", MediaKindWebMedia);
  CurrentMediaIndex = 1;
  ScreenSaverProc(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  EXPECT_EQ(trace.Matching(L"pause list player 1").size(), 1u);
  CurrentMediaIndex = 0;
  ScreenSaverProc(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  EXPECT_EQ(trace.Matching(L"pause player 1").size(), 1u);
  CurrentMediaIndex = 0;
}

TEST_F(ScreenSaverProcTest, CloseDestroysTheWindow) {
  ScreenSaverProc(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
}

// The full-screen saver closes on a key, a button or a real mouse move; the
// preview never does.
TEST_F(ScreenSaverProcTest, InputClosesOnlyTheFullScreenSaver) {
  for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    ScreenSaverProc(window, message, 0, 0);
    EXPECT_EQ(PostedCloses(), 1) << message;
  }
  POINT start;
  ASSERT_TRUE(GetCursorPos(&start));
  ScreenSaverProc(window, WM_MOUSEMOVE, 0, 0);  // the first move only notes where the mouse is
  ScreenSaverProc(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(PostedCloses(), 0);
  if (SetCursorPos(start.x + 40, start.y + 40)) {
    POINT now;
    GetCursorPos(&now);
    if (now.x != start.x) {
      ScreenSaverProc(window, WM_MOUSEMOVE, 0, 0);
      EXPECT_EQ(PostedCloses(), 1);
    }
    SetCursorPos(start.x, start.y);
  }

  fChildPreview = TRUE;
  for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN}) ScreenSaverProc(window, message, 0, 0);
  EXPECT_EQ(PostedCloses(), 0);
}
