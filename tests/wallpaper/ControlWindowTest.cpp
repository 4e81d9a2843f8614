// kelwall's control window: its message table on a window of the test's own,
// then the real window with its real worker, and the tray icon in Wine's
// notification area.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/IntroState.h"
#include "engine/Logic.h"
#include "engine/MessageBoxWatcher.h"
#include "engine/SaverPlayer.h"
#include "engine/ScrSvrThread.h"
#include "engine/ShowFixture.h"
#include "engine/ShowRequests.h"
#include "engine/StartupError.h"
#include "platform/Trace.h"
#include "platform/WideText.h"
#include "resources/ResourceIds.h"
#include "support/RegistrySandbox.h"
#include "support/ChildProcess.h"
#include "support/TraceRecorder.h"
#include "support/TracedRests.h"
#include "wallpaper/ControlWindow.h"
#include "wallpaper/StandInShell.h"
#include "wallpaper/SystemSaverSwap.h"
#include "wallpaper/TrayIcon.h"
#include "wallpaper/WallpaperFixtures.h"
#include "wallpaper/WallpaperWindow.h"

namespace {

int g_closesReceived = 0;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++g_closesReceived;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The dialog stand-in: counts its openings and, while open, gets the two
// requests that would open it again.
int g_dialogOpenings = 0;
void CountingDialog(HWND owner) {
  ++g_dialogOpenings;
  ControlWndProc(owner, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  ControlWndProc(owner, WM_COMMAND, IDC_OPEN_DIALOG, 0);
}

class ControlWindowTable : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KelwallTestTable";
    RegisterClassW(&wc);
    window = CreateWindowW(L"KelwallTestTable", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                           nullptr);
    ASSERT_NE(window, nullptr);
    g_closesReceived = 0;
    g_dialogOpenings = 0;
    SetSettingsDialogOpenerForTests(CountingDialog);
  }
  void TearDown() override {
    SetSettingsDialogOpenerForTests(nullptr);
    DropShowRequests();
    if (IsWindow(window)) DestroyWindow(window);
  }
  int PostedCloses() {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++count;
    return count;
  }
  HWND window = nullptr;
  TraceRecorder trace;
};

struct RestCase {
  UINT message;
  LPARAM lParam;
  bool rests;
};

}  // namespace

// Input and power messages rest half a second (power ones unless lParam is
// 1); nothing pauses the show or closes the window.
TEST_F(ControlWindowTable, RestingMessages) {
  const RestCase cases[] = {
      {WM_MOUSEACTIVATE, 0, true}, {WM_KEYDOWN, 0, true},          {WM_SYSKEYDOWN, 0, true},
      {WM_PARENTNOTIFY, 0, true},  {WM_POWERBROADCAST, 0, true},   {WM_POWERBROADCAST, 1, false},
      {WM_POWER, 0, true},         {WM_POWER, 1, false},           {WM_ENDSESSION, 0, true},
      {WM_ENDSESSION, 1, false},   {WM_LBUTTONDOWN, 0, false},     {WM_TIMER, 0, false},
  };
  TracedRests rests;
  for (const RestCase& c : cases) {
    trace.Clear();
    ControlWndProc(window, c.message, 0, c.lParam);
    EXPECT_EQ(trace.Matching(L"rest "), c.rests ? std::vector<std::wstring>{L"rest 500"} : std::vector<std::wstring>{})
        << std::hex << c.message << " " << c.lParam;
    EXPECT_EQ(PostedCloses(), 0) << std::hex << c.message;
    EXPECT_EQ(g_closesReceived, 0) << std::hex << c.message;
    EXPECT_TRUE(trace.Matching(L"pause").empty()) << std::hex << c.message;
  }
}

// The commands are compared whole; minimising hides the window and is not
// passed on.
TEST_F(ControlWindowTable, SystemCommands) {
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ(ControlWndProc(window, WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(IsIconic(window));

  ControlWndProc(window, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);
  EXPECT_EQ(PostedCloses(), 0);
  ControlWndProc(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(PostedCloses(), 1);

  ControlWndProc(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
}

// The icon's double click and command 40001 open one dialog; what arrives
// while it is open opens no second one. Other mouse messages of the icon do
// nothing.
TEST_F(ControlWindowTable, TheDialogOpensOnceFromTheIconOrTheMenu) {
  for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_MOUSEMOVE})
    ControlWndProc(window, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, mouse);
  ControlWndProc(window, CTrayIcon::kCallbackMessage + 1, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  EXPECT_EQ(g_dialogOpenings, 0);

  ControlWndProc(window, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  EXPECT_EQ(g_dialogOpenings, 1);
  ControlWndProc(window, WM_COMMAND, MAKEWPARAM(IDC_OPEN_DIALOG, 0), 0);
  EXPECT_EQ(g_dialogOpenings, 2);
  ControlWndProc(window, WM_COMMAND, MAKEWPARAM(IDC_OPEN_DIALOG, 1), 0);  // an accelerator too
  EXPECT_EQ(g_dialogOpenings, 3);
}

namespace {

struct ComProbe {
  HWND window;
  HRESULT afterDoubleClicks = E_FAIL;
};

DWORD WINAPI DoubleClickOnAFreshThread(LPVOID parameter) {
  ComProbe* probe = static_cast<ComProbe*>(parameter);
  for (int i = 0; i < 3; ++i)
    ControlWndProc(probe->window, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  // S_OK: the double clicks left COM as they found it.
  probe->afterDoubleClicks = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(probe->afterDoubleClicks)) CoUninitialize();
  return 0;
}

}  // namespace

TEST_F(ControlWindowTable, DoubleClicksLeaveComAlone) {
  ComProbe probe = {window};
  HANDLE thread = CreateThread(nullptr, 0, DoubleClickOnAFreshThread, &probe, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(g_dialogOpenings, 3);
  EXPECT_EQ(probe.afterDoubleClicks, S_OK);
}

// ---- the real control window and its worker --------------------------------

namespace {

class ControlWindowLife : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterControlWindowClass(GetModuleHandleW(nullptr)) ||
                GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    SetLoadingPicturePending(true);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  // Handles this thread's messages for a while, as the program's loop does.
  void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) ++quits;
        DispatchMessageW(&msg);
      }
      Sleep(10);
    }
  }
  bool PumpUntil(DWORD ms, const std::wstring& line) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      if (trace.Contains(line)) return true;
      Pump(20);
    }
    return trace.Contains(line);
  }
  static size_t IndexOf(const std::vector<std::wstring>& lines, const std::wstring& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  }
  RegistrySandbox registry;
  TraceRecorder trace;
  HWND window = nullptr;
  int quits = 0;
};

// Holds the frame lock until the window thread, stopping the show, waits for
// it: the stop has begun once the catalog reload is asked for again (the
// first thing WM_DESTROY does), and from then on the window thread answers a
// message sent to it only while it waits, for the lock or for the worker.
struct FrameHolder {
  HWND window = nullptr;
  bool stopBegan = false;
  bool answered = false;
};

DWORD WINAPI HoldTheFrameLock(LPVOID parameter) {
  FrameHolder* holder = static_cast<FrameHolder*>(parameter);
  ShowFrameLock frame;
  SetCatalogReloadRequested(false);
  Trace(L"holder: in");
  holder->stopBegan = WaitUntil(30000, [] { return IsCatalogReloadRequested(); });
  DWORD_PTR result = 0;
  holder->answered = holder->stopBegan &&
                     SendMessageTimeoutW(holder->window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result) != 0;
  Trace(L"holder: out");
  return 0;
}

DWORD WINAPI CloseTheInstanceBox(LPVOID parameter) {
  *static_cast<FoundMessageBox*>(parameter) = CloseMessageBox(L"Kelvane Error!", 30000);
  return 0;
}

}  // namespace

// Hidden, with its "State" menu gone; "Advance" reaches the running show; the
// stop puts up the loading picture between two frames, never inside one, and
// ends the message loop with exit code 0.
TEST_F(ControlWindowLife, RunsTheShowHiddenAndStopsItBetweenFrames) {
  window = CreateControlWindow(GetModuleHandleW(nullptr));
  ASSERT_NE(window, nullptr);
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"Kelvane Wallpaper Control");
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_CLIENTEDGE),
            WS_EX_TOPMOST | WS_EX_CLIENTEDGE);
  EXPECT_FALSE(IsWindowVisible(window));
  ASSERT_TRUE(PumpUntil(30000, L"frame 3"));
  HMENU menu = GetMenu(window);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 1);  // "Config" only
  EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 0), UINT(IDC_OPEN_DIALOG));

  // Sent, as a user can still send it after the menu went.
  SendMessageW(window, WM_COMMAND, IDC_ADVANCE, 0);
  ASSERT_TRUE(PumpUntil(10000, L"advance"));
  EXPECT_TRUE(trace.Contains(L"AppHarrowbell1_MainMachine -> IntroState"));

  FrameHolder holder;
  holder.window = window;
  HANDLE other = CreateThread(nullptr, 0, HoldTheFrameLock, &holder, 0, nullptr);
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(PumpUntil(30000, L"holder: in"));
  DestroyWindow(window);
  ASSERT_EQ(WaitForSingleObject(other, 60000), WAIT_OBJECT_0);
  CloseHandle(other);
  EXPECT_TRUE(holder.stopBegan);
  EXPECT_TRUE(holder.answered);
  EXPECT_TRUE(IsCatalogReloadRequested());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(GetScrSvrThread(), nullptr);

  std::vector<std::wstring> lines = trace.Lines();
  size_t out = IndexOf(lines, L"holder: out");
  size_t shown = IndexOf(lines, L"stop: loading picture");
  size_t up = IndexOf(lines, L"stop: loading picture up");
  size_t stopped = IndexOf(lines, L"run: stopped");
  ASSERT_LT(up, lines.size());
  EXPECT_LT(out, shown);  // it waited for the frame in progress
  EXPECT_LT(up, stopped);
  for (size_t i = shown; i < lines.size(); ++i) EXPECT_NE(lines[i].rfind(L"frame ", 0), 0u) << WideToUtf8(lines[i]);
  Pump(100);
  EXPECT_EQ(quits, 1);
}

// A second wallpaper says so, closes, and leaves the running one's picture
// alone.
TEST_F(ControlWindowLife, ASecondInstanceClosesWithoutTheLoadingPicture) {
  RunningPrograms programs;
  ASSERT_TRUE(programs.Start(L"kelwall.exe"));
  ASSERT_TRUE(programs.Start(L"kel.scr"));
  FoundMessageBox box;
  HANDLE closer = CreateThread(nullptr, 0, CloseTheInstanceBox, &box, 0, nullptr);
  window = CreateControlWindow(GetModuleHandleW(nullptr));
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil(30000, L"worker stopped"));
  WaitForSingleObject(closer, 30000);
  CloseHandle(closer);
  EXPECT_TRUE(box.found);
  EXPECT_EQ(box.text, L"Only one instance allowed!");
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(WasScrSvrSecondInstanceFound());
  EXPECT_FALSE(trace.Contains(L"stop: loading picture"));
  EXPECT_TRUE(trace.Matching(L"frame ").empty());
  Pump(100);
  EXPECT_EQ(quits, 1);
}

// The program's start found another instance and kept its window out of the
// shell; the show's own check finds none (that one ended meanwhile): the
// window goes into the shell before the first frame.
TEST_F(ControlWindowLife, AWindowHeldBackAtTheStartGoesIntoTheShellWhenTheShowMayRun) {
  StandInShell shell(ShellLayout::Classic);
  CWallpaperWindow wallpaper(GetModuleHandleW(nullptr));
  window = CreateControlWindow(GetModuleHandleW(nullptr));
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil(30000, L"frame 3"));
  HWND placed = wallpaper.Handle();
  ASSERT_NE(placed, nullptr) << "the window stayed out of the shell";
  EXPECT_EQ(GetAncestor(placed, GA_PARENT), shell.WallpaperWorkerW());
  std::vector<std::wstring> lines = trace.Lines();
  size_t in = 0;
  // "wallpaper window <window> in <shell's window>"
  while (in < lines.size() && (lines[in].rfind(L"wallpaper window ", 0) != 0 || lines[in].find(L" in ") == std::wstring::npos))
    ++in;
  EXPECT_LT(in, IndexOf(lines, L"frame 1")) << "the first frame came before the window was in the shell";
  DestroyWindow(window);
  EXPECT_TRUE(PumpUntil(30000, L"worker stopped"));
}

namespace {

// Reads the user's screen-saver setting the moment the show's error box is up,
// then closes the box.
struct ErrorBoxWatch {
  const ScreenSaverSettingSandbox* setting = nullptr;
  bool seen = false;
  std::wstring settingWhileTold;
  FoundMessageBox box;
};

DWORD WINAPI ReadTheSettingThenCloseTheBox(LPVOID parameter) {
  ErrorBoxWatch* watch = static_cast<ErrorBoxWatch*>(parameter);
  watch->seen = WaitUntil(60000, [] {
    HWND box = FindWindowW(L"#32770", L"Kelvane Error!");
    return box && IsWindowVisible(box);
  });
  if (watch->seen) watch->settingWhileTold = watch->setting->Text();
  watch->box = CloseMessageBox(L"Kelvane Error!", 5000);
  return 0;
}

}  // namespace

// A frame that throws (a device that cannot be reset) ends the frames the
// ordinary way: the stop step runs and the user's screen saver is back before
// the error is told; then the window closes and the message loop ends.
TEST_F(ControlWindowLife, AFrameThatThrowsEndsTheFramesTheOrdinaryWay) {
  ResetSaverSwapForTests();
  ScreenSaverSettingSandbox setting;
  const std::wstring kel = L"C:\\Kelvane\\kel.scr";
  setting.SetText(kel);
  window = CreateControlWindow(GetModuleHandleW(nullptr));
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil(30000, L"frame 3"));
  ASSERT_TRUE(IsSaverSwapped());
  ASSERT_NE(setting.Text(), kel);

  ErrorBoxWatch watch;
  watch.setting = &setting;
  HANDLE closer = CreateThread(nullptr, 0, ReadTheSettingThenCloseTheBox, &watch, 0, nullptr);
  ASSERT_NE(closer, nullptr);
  PostShowRequest([] { throw StartupError{L"D3DERR_DRIVERINTERNALERROR"}; });
  bool stopped = PumpUntil(60000, L"worker stopped");
  WaitForSingleObject(closer, 60000);
  CloseHandle(closer);
  ASSERT_TRUE(stopped);

  ASSERT_TRUE(watch.seen);
  EXPECT_EQ(watch.box.text, L"D3DERR_DRIVERINTERNALERROR");
  EXPECT_EQ(watch.settingWhileTold, kel);
  EXPECT_FALSE(IsSaverSwapped());
  std::vector<std::wstring> lines = trace.Lines();
  size_t step = IndexOf(lines, L"stop: loading picture up");
  size_t ended = IndexOf(lines, L"run: stopped");
  size_t told = IndexOf(lines, L"failure: D3DERR_DRIVERINTERNALERROR");
  ASSERT_LT(told, lines.size());
  EXPECT_LT(step, ended);
  EXPECT_LT(ended, told);
  EXPECT_FALSE(IsWindow(window));
  Pump(100);
  EXPECT_EQ(quits, 1);
  ResetSaverSwapForTests();
}

// ---- the tray icon -------------------------------------------------------

TEST_F(ControlWindowTable, TrayIconIsAddedRemovedAndAddedAgainForANewShell) {
  ASSERT_NE(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr) << "no notification area in this prefix";
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KELVANE));
  ASSERT_NE(icon, nullptr);
  {
    CTrayIcon tray(window, icon);
    ASSERT_TRUE(tray.Add());
    EXPECT_TRUE(IconIsThere(window));

    // A restarted shell knows nothing of the icon until its broadcast.
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = CTrayIcon::kIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    EXPECT_FALSE(IconIsThere(window));
    SetControlTrayIcon(&tray);
    ControlWndProc(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    SetControlTrayIcon(nullptr);
    EXPECT_TRUE(IconIsThere(window));
    EXPECT_TRUE(tray.IsAdded());

    EXPECT_TRUE(tray.Remove());
    EXPECT_FALSE(IconIsThere(window));
  }
  EXPECT_FALSE(IconIsThere(window));
}

// ---- "Advance" on a show ---------------------------------------------------

using AdvanceOnAShow = ShowFixture;

// "Advance" asked while no show has a machine is dropped, not kept for the
// next show; on a show it waits for the next frame and is taken once.
TEST_F(AdvanceOnAShow, AdvanceIsTakenOnceAndNeverKeptForALaterShow) {
  ControlWndProc(window, WM_COMMAND, IDC_ADVANCE, 0);
  EXPECT_FALSE(trace.Contains(L"advance"));
  RunShowRequests();  // no application object yet
  EXPECT_FALSE(trace.Contains(L"advance"));
  Build();
  for (int i = 0; i < 3; ++i) Step();
  Step(1.1);
  Step();
  ASSERT_EQ(CurrentState(), L"SaverState") << "the early request reached the show";
  EXPECT_FALSE(trace.Contains(L"advance"));

  ControlWndProc(window, WM_COMMAND, IDC_ADVANCE, 0);
  EXPECT_FALSE(trace.Contains(L"advance"));
  Step();
  EXPECT_EQ(trace.Matching(L"advance").size(), 1u);
  for (int i = 0; i < 3; ++i) Step();
  EXPECT_EQ(trace.Matching(L"advance").size(), 1u) << "taken again by a later frame";
}

// The window thread's command leaves the machine alone; the show's next frame
// takes it.
TEST_F(AdvanceOnAShow, TheNextFrameTakesTheCommand) {
  Build();
  for (int i = 0; i < 3; ++i) Step();
  Step(1.1);
  Step();
  ASSERT_EQ(CurrentState(), L"SaverState");
  ControlWndProc(window, WM_COMMAND, IDC_ADVANCE, 0);
  EXPECT_EQ(CurrentState(), L"SaverState");
  RunShowRequests();  // as the worker does first in each frame
  EXPECT_EQ(CurrentState(), L"IntroState");
}

// The dialog's playback commands and "Close" wait for the show's next frame
// as well; "Close" then asks the show's window to close.
TEST_F(AdvanceOnAShow, PlaybackCommandsAndCloseWaitForTheNextFrame) {
  Build();
  Step();
  RequestPlaybackPause(true);
  RequestShowClose();
  MSG msg;
  EXPECT_TRUE(trace.Matching(L"pause").empty());
  EXPECT_FALSE(PeekMessageW(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  RunShowRequests();
  EXPECT_EQ(trace.Matching(L"pause player 1").size(), 1u);
  EXPECT_TRUE(PeekMessageW(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

// ---- the dialog's Stop and Play while the show starts ----------------------

namespace {

// The show's own player as its actions see it: every item plays, and what the
// show's choice starts of the catalog (a video) is counted.
int g_catalogStarts = 0;
const SaverPlayer kCountingPlayer = {
    [] { return true; },
    [] { return ++g_catalogStarts, true; },
    [] { return ++g_catalogStarts, true; },
    [] { return 4; },  // VIDEO
    [] { return 3; },  // libvlc_Playing
    [] { return true; },
    [] { return true; },
    [] { return false; },
    [] { return true; },
    [] { return true; },
    [] { return true; },
};

// Where in the show's start a press lands: before the worker's build, in the
// boot, in the intro's hold, in the frame whose intro hands over to the
// saver, and after the show's first choice.
enum class When { Build, Boot, Hold, LastIntroFrame, Running };
enum class Press { Stop, PlayAudio, PlayVideo, Pause, Resume, Ok };

struct Pressed {
  When when;
  Press press;
};

struct StartCase {
  const char* name;
  std::vector<Pressed> presses;
  // The dialog's OK lands inside the frame of the first choice, between the
  // splash and the choice.
  bool okBeforeTheChoice;
  std::vector<const wchar_t*> actions;  // "SAVER_<name>_1", in order
  int stops;                            // Stops answered
  const wchar_t* played;                // the dialog's item that was played, if any
  int catalogStarts;
};

const wchar_t* const kAudio = L"1: C:\\media\\target.wav";
const wchar_t* const kVideo = L"4: C:\\media\\target.y4m";

class StartingShow : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    g_catalogStarts = 0;
    SetDialogPlayKind(0);
    SetSaverPlayerForTests(&kCountingPlayer);
  }
  void TearDown() override {
    ShowFixture::TearDown();
    SetSaverPlayerForTests(nullptr);
    SetDialogPlayKind(0);
  }
  void PressAll(const StartCase& c, When when) {
    for (const Pressed& p : c.presses) {
      if (p.when != when) continue;
      switch (p.press) {
        case Press::Stop: RequestPlaybackStop(); break;
        case Press::PlayAudio: RequestDialogPlay(L"C:\\media\\target.wav", 1); break;
        case Press::PlayVideo: RequestDialogPlay(L"C:\\media\\target.y4m", 4); break;
        case Press::Pause: RequestPlaybackPause(true); break;
        case Press::Resume: RequestPlaybackResume(); break;
        case Press::Ok: SetCatalogReloadRequested(true); break;  // what the dialog's OK does
      }
    }
  }
  std::vector<std::wstring> Actions() {
    std::vector<std::wstring> out;
    for (const std::wstring& line : trace.Matching(L"SAVER_CHILD -> ")) out.push_back(line.substr(15));
    return out;
  }
};

}  // namespace

// A Stop or Play made before the show's first choice is answered by that
// choice, the last one over the others, and nothing of the catalog starts:
// Stop leaves the show waiting for Play, Play has the dialog's item watched
// on the road of its kind. Pause and resume find nothing playing and change
// nothing. After the first choice a press acts at its next frame.
TEST_F(StartingShow, StopAndPlayBeforeTheFirstChoiceAreAnsweredByIt) {
  const std::vector<const wchar_t*> stopped = {L"SPLASH", L"INIT", L"SELECTNEXT", L"PLAYERSTOPPED"};
  const std::vector<const wchar_t*> video = {L"SPLASH",     L"INIT",         L"SELECTNEXT",  L"PLAYERSTOPPED",
                                             L"SELECTPLAY", L"VIDEOLOADING", L"VIDEOPLAYING"};
  const std::vector<const wchar_t*> audio = {L"SPLASH",        L"INIT",       L"SELECTNEXT",
                                             L"PLAYERSTOPPED", L"SELECTPLAY", L"AUDIOVISUALLOADING",
                                             L"AUDIOVISUALPLAYING"};
  const std::vector<const wchar_t*> asUsual = {L"SPLASH", L"INIT", L"SELECTNEXT", L"VIDEOLOADING", L"VIDEOPLAYING"};
  const std::vector<const wchar_t*> reloadThenVideo = {
      L"SPLASH",        L"INIT",       L"SELECTNEXT",   L"SPLASH",      L"INIT",
      L"SELECTNEXT",    L"PLAYERSTOPPED", L"SELECTPLAY", L"VIDEOLOADING", L"VIDEOPLAYING"};
  const std::vector<const wchar_t*> reloadThenStopped = {L"SPLASH", L"INIT",       L"SELECTNEXT",
                                                         L"SPLASH", L"INIT",       L"SELECTNEXT",
                                                         L"PLAYERSTOPPED"};
  const StartCase cases[] = {
      {"stop at build", {{When::Build, Press::Stop}}, false, stopped, 1, nullptr, 0},
      {"play at build", {{When::Build, Press::PlayVideo}}, false, video, 0, kVideo, 0},
      {"stop in the boot", {{When::Boot, Press::Stop}}, false, stopped, 1, nullptr, 0},
      {"play audio in the boot", {{When::Boot, Press::PlayAudio}}, false, audio, 0, kAudio, 0},
      {"stop in the hold", {{When::Hold, Press::Stop}}, false, stopped, 1, nullptr, 0},
      {"play in the hold", {{When::Hold, Press::PlayVideo}}, false, video, 0, kVideo, 0},
      {"stop as the intro ends", {{When::LastIntroFrame, Press::Stop}}, false, stopped, 1, nullptr, 0},
      {"play as the intro ends", {{When::LastIntroFrame, Press::PlayAudio}}, false, audio, 0, kAudio, 0},
      {"stop then play", {{When::Boot, Press::Stop}, {When::Boot, Press::PlayVideo}}, false, video, 0, kVideo, 0},
      {"play then stop", {{When::Hold, Press::PlayAudio}, {When::Hold, Press::Stop}}, false, stopped, 1, nullptr, 0},
      {"play at build, stop in the hold",
       {{When::Build, Press::PlayVideo}, {When::Hold, Press::Stop}}, false, stopped, 1, nullptr, 0},
      {"stop at build, play as the intro ends",
       {{When::Build, Press::Stop}, {When::LastIntroFrame, Press::PlayAudio}}, false, audio, 0, kAudio, 0},
      {"play then ok at build", {{When::Build, Press::PlayVideo}, {When::Build, Press::Ok}}, false, video, 0, kVideo,
       0},
      {"play then ok in the hold", {{When::Hold, Press::PlayAudio}, {When::Hold, Press::Ok}}, false, audio, 0, kAudio,
       0},
      {"play, then ok before the choice", {{When::Boot, Press::PlayVideo}}, true, reloadThenVideo, 0, kVideo, 0},
      {"stop, then ok before the choice", {{When::Hold, Press::Stop}}, true, reloadThenStopped, 1, nullptr, 0},
      {"play then pause", {{When::Boot, Press::PlayVideo}, {When::Hold, Press::Pause}}, false, video, 0, kVideo, 0},
      {"stop then resume", {{When::Boot, Press::Stop}, {When::Hold, Press::Resume}}, false, stopped, 1, nullptr, 0},
      {"pause", {{When::Hold, Press::Pause}}, false, asUsual, 0, nullptr, 1},
      {"resume", {{When::Boot, Press::Resume}}, false, asUsual, 0, nullptr, 1},
      {"stop in the start, play once running",
       {{When::Boot, Press::Stop}, {When::Running, Press::PlayVideo}},
       false,
       {L"SPLASH", L"INIT", L"SELECTNEXT", L"PLAYERSTOPPED", L"PLAYERSTOPPED", L"SELECTPLAY", L"VIDEOLOADING",
        L"VIDEOPLAYING"},
       1,
       kVideo,
       0},
      {"stop once running",
       {{When::Running, Press::Stop}},
       false,
       {L"SPLASH", L"INIT", L"SELECTNEXT", L"VIDEOLOADING", L"PLAYERSTOPPED"},
       1,
       nullptr,
       1},
  };
  for (const StartCase& c : cases) {
    trace.Clear();
    g_catalogStarts = 0;
    if (c.okBeforeTheChoice)
      trace.OnceAfter(L"SAVER_CHILD -> SAVER_INIT_1", [] { SetCatalogReloadRequested(true); });
    ResetIntroHoldForTests();
    PressAll(c, When::Build);
    Build();
    Step();
    PressAll(c, When::Boot);
    Step();
    PressAll(c, When::Hold);
    Step(1.1);
    PressAll(c, When::LastIntroFrame);
    Step();
    ASSERT_EQ(CurrentState(), L"SaverState") << c.name;
    PressAll(c, When::Running);
    for (int i = 0; i < 6; ++i) Step();

    std::vector<std::wstring> expected;
    for (const wchar_t* action : c.actions) expected.push_back(std::wstring(L"SAVER_") + action + L"_1");
    EXPECT_EQ(Actions(), expected) << c.name;
    EXPECT_EQ(g_catalogStarts, c.catalogStarts) << c.name << ": the catalog's item";
    EXPECT_EQ(trace.Matching(L"dialog stop").size(), static_cast<size_t>(c.stops)) << c.name;
    std::vector<std::wstring> played;
    if (c.played) played.push_back(std::wstring(L"dialog play ") + c.played);
    EXPECT_EQ(trace.Matching(L"dialog play "), played) << c.name;
    Destroy();
  }
}

// A Stop or Play kept for a show that ended before its first choice, or still
// queued when it ended, is not answered by a later show.
TEST_F(StartingShow, AKeptPressGoesWithItsShow) {
  for (bool ran : {true, false}) {
    trace.Clear();
    g_catalogStarts = 0;
    ResetIntroHoldForTests();
    Build();
    Step();
    RequestDialogPlay(L"C:\\media\\target.y4m", 4);
    if (ran) Step();  // kept
    Destroy();
    trace.Clear();
    ResetIntroHoldForTests();
    Build();
    Step();
    Step();
    Step(1.1);
    Step();
    for (int i = 0; i < 3; ++i) Step();
    EXPECT_TRUE(trace.Matching(L"dialog play ").empty()) << ran;
    EXPECT_EQ(g_catalogStarts, 1) << ran;
    EXPECT_EQ(CurrentAction(), L"SAVER_VIDEOPLAYING_1") << ran;
    Destroy();
  }
}
