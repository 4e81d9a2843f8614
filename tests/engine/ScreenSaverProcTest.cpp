#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "engine/ScrSvrThread.h"
#include "engine/Settings.h"
#include "platform/ScreenSaverLibrary.h"
#include "platform/Trace.h"
#include "support/ChildProcess.h"
#include "support/RegistrySandbox.h"
#include "support/TraceRecorder.h"
#include "support/TracedRests.h"

namespace {

std::vector<UINT> g_sent;

// The window's own procedure records what reaches it by SendMessage.
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    g_sent.push_back(message);
    Trace(L"close received");
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The system commands the default window procedure was asked to carry out.
std::vector<WPARAM> g_carriedOut;
LRESULT CALLBACK RecordSystemCommands(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_SYSCOMMAND) g_carriedOut.push_back(wParam);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class ScreenSaverProcTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    // What the default procedure would show: the saver must hide even this.
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"KelTestSaverProc";
    RegisterClassW(&wc);
    window = CreateWindowW(L"KelTestSaverProc", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    g_sent.clear();
    g_carriedOut.clear();
    hook = SetWindowsHookExW(WH_CBT, RecordSystemCommands, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    fChildPreview = FALSE;
    DrainQueue();
  }
  void TearDown() override {
    if (hook) UnhookWindowsHookEx(hook);
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
  HHOOK hook = nullptr;
  TraceRecorder trace;
  TracedRests rests;
};

struct SysCommandCase {
  WPARAM command;
  LPARAM lParam;
  int postedCloses;
  bool pauses;         // and rests half a second
  bool carriedOut;     // passed on to the default window procedure
};

}  // namespace

// The command is compared whole: low-order bits make it another command. A
// second start of the screen saver while it runs is swallowed.
TEST_F(ScreenSaverProcTest, SystemCommands) {
  const SysCommandCase cases[] = {
      {SC_CLOSE, 0, 1, false, true},
      {SC_CLOSE | 0x2, 0, 0, false, true},
      {SC_MONITORPOWER, 2, 0, true, true},
      {SC_MONITORPOWER, 1, 0, true, true},
      {SC_MONITORPOWER, -1, 0, false, true},
      {SC_MONITORPOWER | 0x1, 2, 0, false, true},
      {SC_MINIMIZE, 0, 0, false, true},
      {SC_SCREENSAVE, 0, 0, false, false},
      {SC_SCREENSAVE | 0x2, 0, 0, false, false},
  };
  for (const SysCommandCase& c : cases) {
    trace.Clear();
    g_carriedOut.clear();
    ScreenSaverProc(window, WM_SYSCOMMAND, c.command, c.lParam);
    EXPECT_EQ(PostedCloses(), c.postedCloses) << std::hex << c.command << " " << c.lParam;
    EXPECT_EQ(trace.Matching(L"pause").size(), c.pauses ? 1u : 0u) << std::hex << c.command << " " << c.lParam;
    EXPECT_EQ(trace.Matching(L"rest "), c.pauses ? std::vector<std::wstring>{L"rest 500"} : std::vector<std::wstring>{})
        << std::hex << c.command << " " << c.lParam;
    EXPECT_EQ(g_carriedOut, c.carriedOut ? std::vector<WPARAM>{c.command} : std::vector<WPARAM>{})
        << std::hex << c.command << " " << c.lParam;
    DrainQueue();
  }
  // The preview is no running saver of the user's: its start goes on.
  fChildPreview = TRUE;
  g_carriedOut.clear();
  ScreenSaverProc(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  EXPECT_EQ(g_carriedOut, std::vector<WPARAM>{SC_SCREENSAVE});
}

TEST_F(ScreenSaverProcTest, EveryPowerBroadcastPausesAndCloses) {
  for (WPARAM event : {WPARAM(PBT_APMSUSPEND), WPARAM(PBT_APMRESUMEAUTOMATIC), WPARAM(PBT_APMPOWERSTATUSCHANGE)}) {
    trace.Clear();
    g_sent.clear();
    ScreenSaverProc(window, WM_POWERBROADCAST, event, 0);
    // It pauses, rests, then closes.
    std::vector<std::wstring> lines = trace.Lines();
    std::vector<std::wstring> steps;
    for (const std::wstring& line : lines)
      if (line == L"pause player 1" || line.compare(0, 5, L"rest ") == 0 || line == L"close received")
        steps.push_back(line);
    EXPECT_EQ(steps, (std::vector<std::wstring>{L"pause player 1", L"rest 500", L"close received"})) << event;
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

namespace {

struct InputCase {
  const char* name;
  UINT message;
  WPARAM wParam;
  bool closes;  // the full-screen saver; the preview never closes
};

const InputCase kInputs[] = {
    {"a key", WM_KEYDOWN, VK_SPACE, true},
    {"a system key", WM_SYSKEYDOWN, VK_MENU, true},
    {"a key let go", WM_KEYUP, VK_SPACE, false},
    {"the left button", WM_LBUTTONDOWN, MK_LBUTTON, true},
    {"the right button", WM_RBUTTONDOWN, MK_RBUTTON, true},
    {"the middle button", WM_MBUTTONDOWN, MK_MBUTTON, true},
    {"a side button", WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), true},
    {"a button let go", WM_LBUTTONUP, 0, false},
    {"the window deactivated", WM_ACTIVATE, WA_INACTIVE, true},
    {"the window activated", WM_ACTIVATE, WA_ACTIVE, false},
    {"the window clicked active", WM_ACTIVATE, WA_CLICKACTIVE, false},
    {"another program activated", WM_ACTIVATEAPP, FALSE, true},
    {"this program activated", WM_ACTIVATEAPP, TRUE, false},
};

// The cursor moved from where the saver first saw it.
struct MoveCase {
  int dx;
  int dy;
  bool closes;
};

// Four pixels either way is a jitter of the table, not a user.
const MoveCase kMoves[] = {
    {0, 0, false}, {4, 0, false}, {0, -4, false}, {4, 4, false}, {-4, 4, false},
    {5, 0, true},  {0, -5, true}, {-5, 5, true},  {40, 40, true},
};

}  // namespace

// The full-screen saver closes on a key, a button, losing its activation or
// a real mouse move; the preview never does.
TEST_F(ScreenSaverProcTest, InputClosesOnlyTheFullScreenSaver) {
  for (BOOL preview : {FALSE, TRUE}) {
    fChildPreview = preview;
    for (const InputCase& c : kInputs) {
      ScreenSaverProc(window, c.message, c.wParam, 0);
      EXPECT_EQ(PostedCloses(), c.closes && !preview ? 1 : 0) << c.name << (preview ? " (preview)" : "");
    }
  }
}

// Every move is measured from the first position the saver saw, which the
// first row gives it.
TEST_F(ScreenSaverProcTest, OnlyAMoveBeyondTheJitterCloses) {
  POINT kept;
  ASSERT_TRUE(GetCursorPos(&kept));
  const POINT start = {300, 300};
  for (BOOL preview : {FALSE, TRUE}) {
    fChildPreview = preview;
    for (const MoveCase& c : kMoves) {
      ASSERT_TRUE(SetCursorPos(start.x + c.dx, start.y + c.dy));
      POINT now;
      ASSERT_TRUE(GetCursorPos(&now));
      ASSERT_TRUE(now.x == start.x + c.dx && now.y == start.y + c.dy)
          << "the cursor did not move to " << c.dx << "," << c.dy << " from the start";
      ScreenSaverProc(window, WM_MOUSEMOVE, 0, MAKELPARAM(now.x, now.y));
      EXPECT_EQ(PostedCloses(), c.closes && !preview ? 1 : 0)
          << c.dx << "," << c.dy << (preview ? " (preview)" : "");
      ASSERT_TRUE(SetCursorPos(start.x, start.y));
    }
  }
  SetCursorPos(kept.x, kept.y);
}

// Over the full-screen saver the cursor is hidden, whatever its window's
// class would show; the preview leaves it to the default procedure.
TEST_F(ScreenSaverProcTest, TheFullScreenSaverHidesTheCursor) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  for (BOOL preview : {FALSE, TRUE}) {
    fChildPreview = preview;
    SetCursor(arrow);
    LRESULT handled =
        ScreenSaverProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), preview ? arrow : nullptr) << (preview ? "preview" : "full screen");
    if (!preview) EXPECT_EQ(handled, TRUE);
  }
}

TEST_F(ScreenSaverProcTest, DestroyWithoutAShowWaitsForNothing) {
  ASSERT_EQ(GetScrSvrThread(), nullptr);
  ClearScrSvrStopRequest();
  EXPECT_EQ(ScreenSaverProc(window, WM_DESTROY, 0, 0), 0);
  EXPECT_FALSE(IsScrSvrStopRequested());
  EXPECT_FALSE(trace.Contains(L"worker stopped"));
}

// ---- the saver window's life, with the real worker -------------------------

namespace {

// Trace lines come from the worker too: kept under a lock, and a hook may act
// on a line on the thread that writes it.
CRITICAL_SECTION g_linesLock;
std::vector<std::wstring> g_lines;
void (*g_onLine)(const std::wstring& line) = nullptr;

void RecordFromAnyThread(const std::wstring& line) {
  EnterCriticalSection(&g_linesLock);
  g_lines.push_back(line);
  LeaveCriticalSection(&g_linesLock);
  if (g_onLine) g_onLine(line);
}

std::vector<std::wstring> LinesSoFar() {
  EnterCriticalSection(&g_linesLock);
  std::vector<std::wstring> lines = g_lines;
  LeaveCriticalSection(&g_linesLock);
  return lines;
}

// What reaches the saver window, counted before the procedure sees it.
struct WindowMessages {
  int destroys = 0;
  int closes = 0;
  int powerMessages = 0;
};
WindowMessages g_received;
HWND g_saverWindow = nullptr;

LRESULT CALLBACK CountingSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) ++g_received.destroys;
  if (message == WM_CLOSE) ++g_received.closes;
  if (message == WM_POWERBROADCAST || (message == WM_SYSCOMMAND && wParam == SC_MONITORPOWER))
    ++g_received.powerMessages;
  return ScreenSaverProc(window, message, wParam, lParam);
}

bool g_sentWhileWaiting = false;

// On the worker, after its loop and before its teardown: the window thread is
// in WM_DESTROY's wait, and the worker cannot end before these are answered.
// A procedure that destroyed the window again would wait inside the answer for
// this very worker; the time-out turns that deadlock into a failed test.
void SendMessagesOnStop(const std::wstring& line) {
  if (line != L"run: stopped") return;
  DWORD_PTR result = 0;
  bool answered =
      SendMessageTimeoutW(g_saverWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_NORMAL, 10000, &result) != 0;
  answered = SendMessageTimeoutW(g_saverWindow, WM_SYSCOMMAND, SC_MONITORPOWER, 2, SMTO_NORMAL, 10000, &result) != 0 &&
             answered;
  answered = SendMessageTimeoutW(g_saverWindow, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &result) != 0 && answered;
  g_sentWhileWaiting = answered;
}

class SaverWindowLife : public testing::Test {
 protected:
  void SetUp() override {
    static bool once = [] {
      InitializeCriticalSection(&g_linesLock);
      WNDCLASSW wc = {};
      wc.lpfnWndProc = CountingSaverProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"KelTestSaverWindow";
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
      return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(once);
    g_lines.clear();
    g_onLine = nullptr;
    g_received = WindowMessages();
    SetTraceSinkForTests(RecordFromAnyThread);
    // The preview's rules: focus moving to another test window must not close it.
    fChildPreview = TRUE;
  }
  void TearDown() override {
    if (IsWindow(g_saverWindow)) DestroyWindow(g_saverWindow);
    g_saverWindow = nullptr;
    g_onLine = nullptr;
    SetTraceSinkForTests(nullptr);
    fChildPreview = FALSE;
  }
  // WM_CREATE reaches the procedure from CreateWindow, as in the library.
  HWND CreateSaverWindow() {
    g_saverWindow = CreateWindowW(L"KelTestSaverWindow", L"saver", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    return g_saverWindow;
  }
  // Dispatches this thread's messages meanwhile, as the library's loop does:
  // the worker's device sends to the window.
  bool WaitForLine(const std::wstring& text, DWORD milliseconds) {
    return WaitUntil(milliseconds, [&] {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      std::vector<std::wstring> lines = LinesSoFar();
      return std::find(lines.begin(), lines.end(), text) != lines.end();
    });
  }
  static ptrdiff_t IndexOf(const std::vector<std::wstring>& lines, const wchar_t* text) {
    auto it = std::find(lines.begin(), lines.end(), text);
    return it == lines.end() ? -1 : it - lines.begin();
  }

  RegistrySandbox registry;
};

}  // namespace

TEST_F(SaverWindowLife, CreateStartsTheShowAndDestroyWaitsForItsEnd) {
  HWND window = CreateSaverWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitForLine(L"frame 1", 30000));
  CScrSvrThread* show = GetScrSvrThread();
  ASSERT_NE(show, nullptr);
  EXPECT_EQ(show->GetWindow(), window);
  EXPECT_FALSE(IsScrSvrStopRequested());

  DestroyWindow(window);
  // On return the worker has ended and torn everything down.
  EXPECT_EQ(GetScrSvrThread(), nullptr);
  std::vector<std::wstring> lines = LinesSoFar();
  ptrdiff_t stopped = IndexOf(lines, L"run: stopped");
  ptrdiff_t done = IndexOf(lines, L"teardown: done");
  ptrdiff_t joined = IndexOf(lines, L"worker stopped");
  ASSERT_TRUE(stopped >= 0 && done >= 0 && joined >= 0);
  EXPECT_LT(stopped, done);
  EXPECT_LT(done, joined);
  EXPECT_EQ(g_received.destroys, 1);
}

// Destroyed while its worker may still be building: the wait covers that too,
// so the process can never end under a half-built show.
TEST_F(SaverWindowLife, AWindowDestroyedAtOnceStillWaitsForItsWorker) {
  HWND window = CreateSaverWindow();
  ASSERT_NE(window, nullptr);
  DestroyWindow(window);
  EXPECT_EQ(GetScrSvrThread(), nullptr);
  std::vector<std::wstring> lines = LinesSoFar();
  bool built = IndexOf(lines, L"build: COM") >= 0;
  EXPECT_EQ(IndexOf(lines, L"teardown: done") >= 0, built);
  EXPECT_GE(IndexOf(lines, L"worker stopped"), 0);
  EXPECT_EQ(g_received.destroys, 1);
}

// A power message or a close answered while WM_DESTROY waits must neither
// pause the player the worker is about to release nor destroy the window a
// second time.
TEST_F(SaverWindowLife, MessagesSentWhileTheWindowGoesAreLeftAlone) {
  HWND window = CreateSaverWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitForLine(L"frame 1", 30000));
  g_sentWhileWaiting = false;
  g_onLine = SendMessagesOnStop;
  DestroyWindow(window);
  g_onLine = nullptr;
  EXPECT_TRUE(g_sentWhileWaiting);
  EXPECT_EQ(g_received.powerMessages, 2);
  std::vector<std::wstring> lines = LinesSoFar();
  auto isPause = [](const std::wstring& line) { return line.compare(0, 5, L"pause") == 0; };
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), isPause), 0);
  EXPECT_EQ(g_received.closes, 1);  // only the one sent
  EXPECT_EQ(g_received.destroys, 1);
  EXPECT_EQ(GetScrSvrThread(), nullptr);

  // The guard ends with WM_DESTROY: the next saver window pauses again.
  ScreenSaverProc(nullptr, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  lines = LinesSoFar();
  EXPECT_EQ(lines.back(), L"pause player 1");
}
