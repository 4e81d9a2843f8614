// The wallpaper's window behind the desktop icons, in a stand-in for the
// shell of Windows 8 and later: where it goes, that it follows the shell
// when it restarts, shows only while something plays, takes no input, and
// goes when the program ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/ProgramVariant.h"
#include "media/ListPlayer.h"
#include "media/VlcPlayer.h"
#include "resources/ResourceIds.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/ScreenCapture.h"
#include "support/TraceRecorder.h"
#include "support/VlcFixture.h"
#include "support/XDisplay.h"
#include "wallpaper/ControlWindow.h"
#include "wallpaper/StandInShell.h"
#include "wallpaper/WallpaperWindow.h"

namespace {

const wchar_t kWallpaperClass[] = L"KelvaneWallpaper";

RECT PrimaryMonitor() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool IsShown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// What the screen shows on the wallpaper, away from the stand-in's icons:
// black is the window's own background (no video under the dummy outputs).
uint32_t ScreenOnTheWallpaper() {
  return ScreenCapture().At(GetSystemMetrics(SM_CXSCREEN) * 3 / 4, GetSystemMetrics(SM_CYSCREEN) * 3 / 4);
}
const uint32_t kWindowBlack = 0x000000;
const uint32_t kDesktopColour = (GetRValue(StandInShell::kWallpaperColour) << 16) |
                                (GetGValue(StandInShell::kWallpaperColour) << 8) |
                                GetBValue(StandInShell::kWallpaperColour);

enum class Place { Nowhere, WorkerW, ProgmanUnderIcons };

struct PlaceCase {
  const char* name;
  bool shell;
  ShellLayout layout;
  Place place;
};

const PlaceCase kPlaceCases[] = {
    {"Classic", true, ShellLayout::Classic, Place::WorkerW},
    {"InsideProgman", true, ShellLayout::InsideProgman, Place::ProgmanUnderIcons},
    {"NoWorkerW", true, ShellLayout::NoWorkerW, Place::Nowhere},
    {"Hung", true, ShellLayout::Hung, Place::Nowhere},
    {"NoShell", false, ShellLayout::Classic, Place::Nowhere},
};

class WallpaperPlace : public testing::TestWithParam<PlaceCase> {};

}  // namespace

// Inside the WorkerW behind the icons, over the primary monitor, borderless,
// disabled and hidden while nothing plays, on a thread of its own; the show
// draws into it. Nothing goes into the shell until it is asked for. Without
// a place for it there is no window and the show draws into its own window.
// When the program ends the window goes.
TEST_P(WallpaperPlace, TheWindowGoesBehindTheIconsOrNowhere) {
  const PlaceCase& c = GetParam();
  std::unique_ptr<StandInShell> shell;
  if (c.shell) shell.reset(new StandInShell(c.layout));
  HWND showWindow = GetDesktopWindow();  // any window of the show's
  auto wallpaper = std::make_unique<CWallpaperWindow>(GetModuleHandleW(nullptr));
  EXPECT_EQ(GetWallpaper(), wallpaper.get());
  EXPECT_FALSE(wallpaper->IsWantedInShell());
  Sleep(200);
  if (shell) {
    EXPECT_EQ(shell->Requests(), 0) << "the shell was asked before the program let it";
  }
  EXPECT_EQ(wallpaper->Handle(), nullptr);

  wallpaper->PutIntoShell();
  EXPECT_TRUE(wallpaper->IsWantedInShell());
  if (shell) {
    EXPECT_EQ(shell->Requests(), 1) << "the shell was not asked for its WorkerW";
  }
  HWND window = wallpaper->Handle();

  if (c.place == Place::Nowhere) {
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(GetWallpaperWindow(), nullptr);
    EXPECT_EQ(ShowVideoWindow(showWindow), showWindow);
    return;
  }
  ASSERT_NE(window, nullptr);
  HWND parent = GetAncestor(window, GA_PARENT);
  if (c.place == Place::WorkerW) {
    EXPECT_EQ(parent, shell->WallpaperWorkerW());
  } else {
    EXPECT_EQ(parent, shell->Progman());
    EXPECT_EQ(GetWindow(window, GW_HWNDPREV), shell->Icons()) << "not just under the icons";
    EXPECT_EQ(GetWindow(window, GW_HWNDNEXT), shell->WallpaperWorkerW()) << "not over the shell's WorkerW";
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  }
  RECT area = {};
  GetWindowRect(window, &area);
  EXPECT_TRUE(SameRect(area, PrimaryMonitor()))
      << area.left << "," << area.top << "," << area.right << "," << area.bottom;
  LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_DISABLED);
  EXPECT_FALSE(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME));
  EXPECT_FALSE(IsShown(window)) << "shown while nothing plays";
  EXPECT_EQ(GetWallpaperWindow(), window);
  EXPECT_EQ(ShowVideoWindow(showWindow), window);
  EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), wallpaper->ThreadId());
  EXPECT_NE(wallpaper->ThreadId(), GetCurrentThreadId()) << "the window is the caller's thread's";

  wallpaper.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(FirstChildOfClass(parent, kWallpaperClass), nullptr);
  EXPECT_EQ(GetWallpaperWindow(), nullptr);
  EXPECT_EQ(GetWallpaper(), nullptr);
  EXPECT_EQ(ShowVideoWindow(showWindow), showWindow);
}

INSTANTIATE_TEST_SUITE_P(Shells, WallpaperPlace, testing::ValuesIn(kPlaceCases),
                         [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

// ---- with a player ---------------------------------------------------------

namespace {

// The control window's answers to the shell's messages, on a window of the
// test's own that starts no show.
LRESULT CALLBACK ControlStandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE || message == WM_DESTROY || message == WM_CLOSE)
    return DefWindowProcW(window, message, wParam, lParam);
  return ControlWndProc(window, message, wParam, lParam);
}

class WallpaperWithPlayer : public VlcFixture {
 protected:
  void SetUp() override {
    VlcFixture::SetUp();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ControlStandInProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KelwallControlStandIn";
    RegisterClassW(&wc);
    control = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance,
                            nullptr);
    ASSERT_NE(control, nullptr);
    clip = WriteMedia(L"clip.y4m", MakeY4m(64, 48, 600, 25, 80, 90, 200));
  }
  void TearDown() override {
    wallpaper.reset();
    if (control) DestroyWindow(control);
    VlcFixture::TearDown();
  }
  // As the program does at its start, and the worker when it builds the
  // player.
  void StartWallpaper() {
    wallpaper.reset(new CWallpaperWindow(GetModuleHandleW(nullptr)));
    wallpaper->PutIntoShell();
    SetVideoWindow(ShowVideoWindow(control));
  }
  // What the worker does after each of its frames.
  void Frame() { FollowShowPlayback(control); }
  // Waits, as the show runs its frames meanwhile.
  template <typename Predicate>
  bool FramesUntil(DWORD milliseconds, Predicate predicate) {
    return PumpUntil(milliseconds, [&] {
      Frame();
      return predicate();
    });
  }
  void AnnounceTaskbar() { SendMessageW(control, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0); }
  bool IsIn(const StandInShell& shell) {
    HWND window = wallpaper->Handle();
    return window && GetAncestor(window, GA_PARENT) == shell.WallpaperWorkerW();
  }

  HWND control = nullptr;
  std::wstring clip;
  std::unique_ptr<CWallpaperWindow> wallpaper;
  TraceRecorder trace;
};

}  // namespace

// A restarted shell has a new WorkerW: "TaskbarCreated" puts a window into it
// and the player draws there. With no shell the player gets the control
// window back, and a shell that comes late is found all the same.
TEST_F(WallpaperWithPlayer, TheWindowFollowsTheShellThroughARestart) {
  auto first = std::make_unique<StandInShell>(ShellLayout::Classic);
  StartWallpaper();
  ASSERT_TRUE(IsIn(*first));
  EXPECT_EQ(GetPlayerWindow(), wallpaper->Handle());

  // The same shell announcing itself again keeps the window.
  HWND same = wallpaper->Handle();
  AnnounceTaskbar();
  EXPECT_TRUE(PumpUntil(5000, [&] { return first->Requests() == 2; })) << "the shell was not looked for again";
  EXPECT_EQ(wallpaper->Handle(), same);
  EXPECT_TRUE(IsIn(*first));

  // The old shell takes the window along when it ends; the show's next
  // frame gives the player its own window again.
  first.reset();
  EXPECT_TRUE(PumpUntil(10000, [&] { return !IsWindow(same); }));
  EXPECT_EQ(ShowVideoWindow(control), control);
  Frame();
  EXPECT_EQ(GetPlayerWindow(), control);

  auto second = std::make_unique<StandInShell>(ShellLayout::Classic);
  AnnounceTaskbar();
  ASSERT_TRUE(PumpUntil(5000, [&] { return IsIn(*second); }));
  Frame();
  EXPECT_EQ(GetPlayerWindow(), wallpaper->Handle());

  // Gone with no shell after it: the control window again, until a shell
  // that makes its desktop after its announcement.
  second.reset();
  AnnounceTaskbar();
  EXPECT_TRUE(FramesUntil(5000, [&] { return GetPlayerWindow() == control; }));
  auto late = std::make_unique<StandInShell>(ShellLayout::Classic);
  EXPECT_TRUE(PumpUntil(CWallpaperWindow::kShellRetryMs * 5, [&] { return IsIn(*late); }))
      << "the late shell was not found";
  Frame();
  EXPECT_EQ(GetPlayerWindow(), wallpaper->Handle());
}

namespace {

// While the control window's thread is held in its dialog (a "Create" on a
// large folder, a save), another thread asks the wallpaper's window, as the
// shell does, and the show goes on drawing into it.
struct BusyProbe {
  HWND window = nullptr;
  std::wstring clip;
  HWND control = nullptr;
  bool answered = false;
  bool shownWhileBusy = false;
};
BusyProbe* g_probe = nullptr;

DWORD WINAPI ProbeTheWallpaper(LPVOID) {
  DWORD_PTR result = 0;
  g_probe->answered = SendMessageTimeoutW(g_probe->window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
  PlayFile(g_probe->clip);
  // The show's frames meanwhile, on this thread as on the worker.
  g_probe->shownWhileBusy = WaitUntil(15000, [] {
    FollowShowPlayback(g_probe->control);
    return IsShown(g_probe->window);
  });
  StopPlayer();
  return 0;
}

// The dialog stand-in: busy until the probe is done, handling no message.
void BusyDialog(HWND) {
  HANDLE probe = CreateThread(nullptr, 0, ProbeTheWallpaper, nullptr, 0, nullptr);
  if (!probe) return;
  WaitForSingleObject(probe, 30000);
  CloseHandle(probe);
}

}  // namespace

// The window's own thread answers it while the control window's thread is
// busy, and shows it for the show's item: neither waits for the dialog.
TEST_F(WallpaperWithPlayer, TheWindowAnswersWhileTheControlWindowIsBusy) {
  StandInShell shell(ShellLayout::Classic);
  StartWallpaper();
  HWND window = wallpaper->Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_NE(GetWindowThreadProcessId(window, nullptr), GetWindowThreadProcessId(control, nullptr));
  BusyProbe probe;
  probe.window = window;
  probe.clip = clip;
  probe.control = control;
  g_probe = &probe;
  SetSettingsDialogOpenerForTests(BusyDialog);
  SendMessageW(control, WM_COMMAND, IDC_OPEN_DIALOG, 0);
  SetSettingsDialogOpenerForTests(nullptr);
  g_probe = nullptr;
  EXPECT_TRUE(probe.answered) << "the window did not answer while the control window was busy";
  EXPECT_TRUE(probe.shownWhileBusy) << "the window did not follow the playback while the control window was busy";
}

// A change of the display brings the window back over the primary monitor.
TEST_F(WallpaperWithPlayer, ADisplayChangeFitsTheWindowAgain) {
  StandInShell shell(ShellLayout::InsideProgman);
  StartWallpaper();
  HWND window = wallpaper->Handle();
  ASSERT_NE(window, nullptr);
  SetWindowPos(window, nullptr, 10, 10, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(control, WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  RECT area = {};
  EXPECT_TRUE(PumpUntil(5000, [&] {
    GetWindowRect(window, &area);
    return SameRect(area, PrimaryMonitor());
  })) << area.left << "," << area.top << "," << area.right << "," << area.bottom;
  EXPECT_EQ(GetWindow(window, GW_HWNDPREV), shell.Icons()) << "the window left its place under the icons";
}

namespace {

struct PlaybackCase {
  const char* name;
  bool web;  // through the list player
};

class WallpaperPlayback : public WallpaperWithPlayer, public testing::WithParamInterface<PlaybackCase> {
 protected:
  void Play() {
    CVlcPlayer& vlc = GetVlcPlayer();
    if (GetParam().web)
      vlc.PlayListItem(vlc.ListItemAt(0));
    else
      PlayFile(clip);
  }
  void Stop() {
    if (GetParam().web)
      StopListPlayer();
    else
      StopPlayer();
  }
};

const PlaybackCase kPlaybackCases[] = {{"File", false}, {"WebMedia", true}};

}  // namespace

// Shown while an item plays, hidden (the desktop's own wallpaper seen) once
// nothing plays, shown again for the next item; the step from one item to
// the next does not hide it.
TEST_P(WallpaperPlayback, TheWindowShowsOnlyWhileAnItemPlays) {
  StandInShell shell(ShellLayout::Classic);
  StartWallpaper();
  HWND window = wallpaper->Handle();
  ASSERT_NE(window, nullptr);
  if (GetParam().web) {
    ASSERT_TRUE(GetVlcPlayer().AddListLocation(FileUrl(clip)));
  }

  EXPECT_TRUE(FramesUntil(5000, [&] { return ScreenOnTheWallpaper() == kDesktopColour; }));
  Play();
  EXPECT_TRUE(FramesUntil(15000, [&] { return IsShown(window); })) << "not shown while playing";
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(FramesUntil(5000, [&] { return ScreenOnTheWallpaper() == kWindowBlack; })) << "the window is not seen";

  Stop();
  EXPECT_TRUE(FramesUntil(15000, [&] { return !IsShown(window); })) << "still shown after the stop";
  EXPECT_TRUE(FramesUntil(5000, [&] { return ScreenOnTheWallpaper() == kDesktopColour; }))
      << "the desktop's own wallpaper is not seen after the stop";

  Play();
  EXPECT_TRUE(FramesUntil(15000, [&] { return IsShown(window); })) << "not shown again";

  // The show's step from one item to the next, such as the loading picture's
  // rest between a stop and the next start: several frames, a fraction of
  // the time that hides the window.
  Stop();
  bool stayed = true;
  auto watch = [&] {
    stayed = stayed && IsShown(window);
    return false;
  };
  FramesUntil(CWallpaperWindow::kHideAfterIdleMs / 3, watch);
  Play();
  FramesUntil(CWallpaperWindow::kHideAfterIdleMs / 2, watch);
  EXPECT_TRUE(stayed) << "hidden between two items";
  Stop();
}

INSTANTIATE_TEST_SUITE_P(Players, WallpaperPlayback, testing::ValuesIn(kPlaybackCases),
                         [](const testing::TestParamInfo<PlaybackCase>& info) { return std::string(info.param.name); });

namespace {

int g_wallpaperInput = 0;
WNDPROC g_wallpaperProc = nullptr;

LRESULT CALLBACK CountingWallpaperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEMOVE) ||
      (message >= WM_KEYFIRST && message <= WM_KEYLAST))
    ++g_wallpaperInput;
  return CallWindowProcW(g_wallpaperProc, window, message, wParam, lParam);
}

class WallpaperInput : public WallpaperWithPlayer, public testing::WithParamInterface<ShellLayout> {};

}  // namespace

// Real clicks and keys, while the wallpaper shows: on the icons they reach
// the icons, on the wallpaper the desktop; the window takes none.
TEST_P(WallpaperInput, KeysAndClicksReachTheDesktop) {
  StandInShell shell(GetParam());
  StartWallpaper();
  HWND window = wallpaper->Handle();
  ASSERT_NE(window, nullptr);
  PlayFile(clip);
  ASSERT_TRUE(FramesUntil(15000, [&] { return IsShown(window); }));
  g_wallpaperInput = 0;
  g_wallpaperProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingWallpaperProc)));

  const RECT icons = StandInShell::kIconsArea;
  int x = (icons.left + icons.right) / 2, y = (icons.top + icons.bottom) / 2;
  ASSERT_TRUE(RunXdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1"));
  EXPECT_TRUE(PumpUntil(10000, [&] { return shell.IconClicks() == 1; })) << "the icons got no click";
  ASSERT_TRUE(RunXdotool("key a"));
  EXPECT_TRUE(PumpUntil(10000, [&] { return shell.IconKeys() >= 1; })) << "the icons got no key";

  RECT screen = PrimaryMonitor();
  ASSERT_TRUE(RunXdotool("mousemove " + std::to_string(screen.right * 3 / 4) + " " +
                         std::to_string(screen.bottom * 3 / 4) + " click 1"));
  EXPECT_TRUE(PumpUntil(10000, [&] { return shell.DesktopClicks() == 1; })) << "the desktop got no click";
  EXPECT_EQ(g_wallpaperInput, 0);
  EXPECT_NE(GetFocus(), window);
  StopPlayer();
}

INSTANTIATE_TEST_SUITE_P(Shells, WallpaperInput, testing::Values(ShellLayout::Classic, ShellLayout::InsideProgman),
                         [](const testing::TestParamInfo<ShellLayout>& info) {
                           return std::string(info.param == ShellLayout::Classic ? "Classic" : "InsideProgman");
                         });

