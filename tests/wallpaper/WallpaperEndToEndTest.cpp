// The real kelwall.exe under Wine with real libvlc (through the bridge, dummy
// outputs): it starts hidden with its icon, plays, swaps the system's screen
// saver and puts it back when it is closed. In a stand-in for the shell of
// Windows 8 and later it draws into its window behind the desktop icons.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/MessageBoxWatcher.h"
#include "media/CatalogFixtures.h"
#include "resources/ResourceIds.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/ShowInstall.h"
#include "support/ShowTrace.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"
#include "support/VlcFixture.h"
#include "wallpaper/ControlWindow.h"
#include "wallpaper/StandInShell.h"
#include "wallpaper/SystemSaverSwap.h"
#include "wallpaper/TrayIcon.h"
#include "wallpaper/WallpaperFixtures.h"

namespace {

const std::wstring kBlank = L"%SystemRoot%\\System32\\scrnsave.scr";
// kel installed into the system folder, not where KEL_TARGETDIR points.
const std::wstring kInstalledSaver = L"C:\\windows\\system32\\kel.scr";

class WallpaperEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    install = MakeTempFolder(L"kelwall-e2e");
    ASSERT_TRUE(MakeShowInstall(install));
    UseDummyOutputs();
    registry.SetText(L"KEL_TARGETDIR", install);
    registry.SetDword(L"CurrentMediaIndex", static_cast<DWORD>(-1));
    registry.SetDword(L"CurrentVisualIndex", 6);  // kel's, not the wallpaper's
    registry.SetDword(L"CurrentPowerIndex", 2);
    registry.SetDword(L"WP_CurrentPowerIndex", 1);
    setting.SetText(kInstalledSaver);
  }
  void TearDown() override {
    wallpaper.Kill();
    RemoveTree(install);
  }
  void WriteCatalog(const std::wstring& path, const std::wstring& kind = L"VIDEO") {
    std::wstring folder = install + L"media";
    CatalogNode item = {kind, path.substr(path.rfind(L'\\') + 1), path, folder};
    ASSERT_TRUE(WriteFileBytes(install + L"kelconfig\\Scripts\\dialogs\\catalog.xml",
                               CatalogXml({{L"FOLDER0", L"media", folder, install.substr(0, install.size() - 1), {item}}})));
  }
  // kelwall on a catalog of one long video, until the show watches it play.
  void StartPlayingAVideo() {
    std::wstring video = install + L"media\\clip.y4m";
    ASSERT_TRUE(WriteFileBytes(video, MakeY4m(64, 48, 1200, 20, 80, 90, 200)));
    WriteCatalog(video);
    tracePath = install + L"trace.txt";
    ASSERT_TRUE(wallpaper.Start(ProgramFolder() + L"kelwall.exe", L"", L"KEL_TRACE=" + tracePath));
    ASSERT_TRUE(WaitForLine(L"SAVER_CHILD -> SAVER_VIDEOPLAYING_1", 40000));
  }
  std::vector<TraceLine> Trace() const { return ReadShowTrace(tracePath); }
  bool WaitForLine(const std::wstring& text, DWORD ms = 30000) {
    return WaitUntil(ms, [&] { return FindTraceLine(Trace(), text) != nullptr; });
  }
  // What kelwall traced of its window behind the icons, for a failure's text.
  std::string WallpaperWindowTrace() const {
    std::string text;
    for (const TraceLine& line : Trace())
      if (line.text.rfind(L"wallpaper window", 0) == 0) text += std::to_string(line.time) + " " + WideToUtf8(line.text) + "\n";
    return text;
  }
  DWORD Setting(const wchar_t* name) const {
    DWORD value = 0xDEADBEEF;
    registry.GetDword(name, &value);
    return value;
  }

  RegistrySandbox registry;
  ScreenSaverSettingSandbox setting;
  BridgeLog bridge;
  std::wstring install;
  std::wstring tracePath;
  ChildProcess wallpaper;
};

}  // namespace

TEST_F(WallpaperEndToEnd, StartsHiddenPlaysAsTheWallpaperOpensItsDialogAndRestoresTheSaverOnClose) {
  std::wstring video = install + L"media\\clip.y4m";
  ASSERT_TRUE(WriteFileBytes(video, MakeY4m(160, 120, 240, 12, 80, 90, 200)));
  WriteCatalog(video);
  tracePath = install + L"trace.txt";
  // Any command line is ignored.
  ASSERT_TRUE(wallpaper.Start(ProgramFolder() + L"kelwall.exe", L"/c:1234 /s", L"KEL_TRACE=" + tracePath));

  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil(20000, [&] {
    return (window = FindWindowW(kControlWindowClass, kControlWindowTitle)) != nullptr;
  }));
  ASSERT_TRUE(WaitForLine(L"SAVER_CHILD -> SAVER_VIDEOPLAYING_1", 40000));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(IconIsThere(window));
  EXPECT_EQ(setting.Text(), kBlank);

  // The video went to libvlc as a wallpaper.
  std::vector<BridgeCall> made = bridge.Calls("libvlc_media_new_path");
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(made[0].fields[0], WideToUtf8(video));
  std::vector<std::string> options;
  for (const BridgeCall& call : bridge.Calls("libvlc_media_add_option"))
    if (call.fields.size() == 2 && call.fields[0] == made[0].result) options.push_back(call.fields[1]);
  ASSERT_GE(options.size(), 2u);
  EXPECT_EQ(options[options.size() - 2], "video-wallpaper");
  EXPECT_EQ(options.back(), "disable-screensaver");
  // libvlc reads the wallpaper mode from the library instance.
  bool wallpaperInstance = false;
  for (const BridgeCall& call : bridge.Calls("libvlc_new"))
    if (std::find(call.fields.begin(), call.fields.end(), "--video-wallpaper") != call.fields.end())
      wallpaperInstance = true;
  EXPECT_TRUE(wallpaperInstance);

  // The icon's double click arrives as the shell sends it; the show plays on.
  PostMessageW(window, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitForLine(L"dialog opened", 20000));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil(20000, [&] {
    return (dialog = FindWindowW(L"#32770", L"Kelvane Screen Saver Settings")) != nullptr;
  }));
  // The wallpaper's own controls; "Random" is its default whatever kel keeps.
  ASSERT_TRUE(WaitUntil(10000, [&] { return IsWindowVisible(GetDlgItem(dialog, IDC_PLAY)) != FALSE; }));
  for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_CLOSE_WALLPAPER})
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
  for (int id : {IDC_VISUAL_LOCAL_IMAGE, IDC_VISUAL_GOOM, IDC_INTERVAL_SLIDER, IDC_PAIR_IMAGES})
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_POWER_NONE)));
  EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_VISUAL_RANDOM, BM_GETCHECK, 0, 0), BST_CHECKED);

  // "Mute Audio" reaches the playing video at once, before any next item.
  size_t before = bridge.Calls().size();
  SendDlgItemMessageW(dialog, IDC_MUTE_AUDIO, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil(5000, [&] {
    std::vector<BridgeCall> calls = bridge.Calls();
    for (size_t i = before; i < calls.size(); ++i) {
      if (calls[i].function == "libvlc_media_new_path") return false;
      if (calls[i].function == "libvlc_audio_set_mute" && !calls[i].fields.empty() && calls[i].fields.back() == "1")
        return true;
    }
    return false;
  }));

  // "Close" ends the program through the show's own stop.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLOSE_WALLPAPER, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CLOSE_WALLPAPER)));
  ASSERT_TRUE(wallpaper.Wait(30000));
  EXPECT_EQ(wallpaper.ExitCode(), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IconIsThere(window));

  std::vector<TraceLine> lines = Trace();
  EXPECT_NE(FindTraceLine(lines, L"stop: loading picture up"), nullptr);
  EXPECT_NE(FindTraceLine(lines, L"screen saver restored: " + kInstalledSaver), nullptr);
  // Exactly what was replaced, and the record of it is gone.
  EXPECT_EQ(setting.Text(), kInstalledSaver);
  EXPECT_FALSE(registry.HasValue(kReplacedSaverRecord));
  // The wallpaper's own values; kel's are as they were.
  EXPECT_EQ(Setting(L"WP_CurrentPowerIndex"), 0u);
  EXPECT_EQ(Setting(L"WP_CurrentVisualIndex"), 3u);
  EXPECT_EQ(Setting(L"CurrentVisualIndex"), 6u);
  EXPECT_EQ(Setting(L"CurrentPowerIndex"), 2u);
  // The loading picture went to libvlc last, without the wallpaper options.
  std::vector<BridgeCall> all = bridge.Calls("libvlc_media_new_path");
  ASSERT_GE(all.size(), 2u);
  EXPECT_NE(all.back().fields[0].find("KEL_Loading.png"), std::string::npos);
}

// ---- behind the icons of a stand-in shell ---------------------------------

namespace {

const wchar_t kWallpaperClass[] = L"KelvaneWallpaper";

// A handle as the bridge logs it.
std::string BridgeHandle(HWND window) {
  char text[24];
  snprintf(text, sizeof(text), "0x%016llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

// The process's wallpaper window inside the shell's window, or null.
HWND WallpaperWindowIn(HWND parent, DWORD process) {
  for (HWND window = FindWindowExW(parent, nullptr, kWallpaperClass, nullptr); window;
       window = FindWindowExW(parent, window, kWallpaperClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process) return window;
  }
  return nullptr;
}

// The windows libvlc's media players were given, in order.
std::vector<std::string> HandedWindows(const BridgeLog& bridge) {
  std::vector<std::string> windows;
  for (const BridgeCall& call : bridge.Calls("libvlc_media_player_set_hwnd"))
    if (call.fields.size() >= 2) windows.push_back(call.fields[1]);
  return windows;
}

}  // namespace

// The show draws into a window of kelwall's own inside the WorkerW behind the
// icons, over the primary monitor, shown while an item plays; after "Stop" it
// hides, leaving the desktop its own wallpaper, until "Play". A restarted
// shell gets the window in its new WorkerW, and after "Close" it is gone.
// (Under Wine a window inside another program's is not drawn on the screen,
// so what the screen shows is checked in-process, in test_wallpaper.)
TEST_F(WallpaperEndToEnd, DrawsBehindTheIconsOfAStandInShellUntilItCloses) {
  auto shell = std::make_unique<StandInShell>(ShellLayout::Classic);
  StartPlayingAVideo();
  if (HasFatalFailure()) return;
  HWND control = FindWindowW(kControlWindowClass, kControlWindowTitle);
  ASSERT_NE(control, nullptr);

  HWND window = WallpaperWindowIn(shell->WallpaperWorkerW(), wallpaper.Id());
  ASSERT_NE(window, nullptr) << "no window of kelwall's in the WorkerW behind the icons";
  RECT area = {};
  GetWindowRect(window, &area);
  EXPECT_EQ(area.left, 0);
  EXPECT_EQ(area.top, 0);
  EXPECT_EQ(area.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(area.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_DISABLED);
  EXPECT_NE(GetWindowThreadProcessId(window, nullptr), GetWindowThreadProcessId(control, nullptr))
      << "the window inside the shell's is the control window's thread's: the desktop waits for its dialog";
  EXPECT_TRUE(WaitUntil(10000, [&] { return IsWindowVisible(window) != FALSE; })) << "not shown while the video plays";
  // libvlc was given that window, and never the control window.
  std::vector<std::string> handed = HandedWindows(bridge);
  ASSERT_FALSE(handed.empty());
  for (const std::string& given : handed) EXPECT_EQ(given, BridgeHandle(window));

  // "Stop" in the dialog: the desktop's own wallpaper; "Play": the window.
  PostMessageW(control, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil(20000, [&] {
    return (dialog = FindWindowW(L"#32770", L"Kelvane Screen Saver Settings")) != nullptr &&
           IsWindowVisible(GetDlgItem(dialog, IDC_STOP));
  }));
  SendDlgItemMessageW(dialog, IDC_STOP, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil(15000, [&] { return !IsWindowVisible(window); })) << "still shown after Stop";
  HWND tree = GetDlgItem(dialog, IDC_CATALOG_TREE);
  auto folder = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(folder));  // as a user opens it
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(folder)));
  ASSERT_NE(item, nullptr);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SendDlgItemMessageW(dialog, IDC_PLAY, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil(15000, [&] { return IsWindowVisible(window) != FALSE; })) << "not shown again after Play";

  // The shell restarts: the old one takes the window along, the new one
  // announces its taskbar and gets a window in its WorkerW.
  shell.reset();
  EXPECT_TRUE(WaitUntil(10000, [&] { return !IsWindow(window); }));
  shell = std::make_unique<StandInShell>(ShellLayout::Classic);
  StandInShell::AnnounceTaskbar();
  HWND again = nullptr;
  ASSERT_TRUE(WaitUntil(15000, [&] { return (again = WallpaperWindowIn(shell->WallpaperWorkerW(), wallpaper.Id())); }))
      << "no window in the new shell's WorkerW";
  EXPECT_TRUE(WaitUntil(10000, [&] {
    std::vector<std::string> now = HandedWindows(bridge);
    return !now.empty() && now.back() == BridgeHandle(again);
  })) << "libvlc was not given the new window";

  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLOSE_WALLPAPER, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CLOSE_WALLPAPER)));
  ASSERT_TRUE(wallpaper.Wait(30000));
  EXPECT_EQ(wallpaper.ExitCode(), 0u);
  EXPECT_FALSE(IsWindow(again));
  EXPECT_EQ(FindWindowExW(shell->WallpaperWorkerW(), nullptr, kWallpaperClass, nullptr), nullptr);
}

// A shell that comes up after kelwall started and keeps its WorkerW inside
// Progman: kelwall finds it, its window goes between the icons and the
// WorkerW, and from then on libvlc's players (Goom's new ones too) are given
// that window; a wallpaper that is killed leaves the desktop to itself.
TEST_F(WallpaperEndToEnd, FindsALateShellKeepsItsWindowThroughGoomAndLeavesNothingWhenKilled) {
  std::wstring tone = install + L"media\\tone.wav";
  ASSERT_TRUE(WriteFileBytes(tone, MakeWav(2.0)));
  WriteCatalog(tone, L"AUDIO");
  registry.SetDword(L"WP_CurrentVisualIndex", 8);  // Goom
  tracePath = install + L"trace.txt";
  ASSERT_TRUE(wallpaper.Start(ProgramFolder() + L"kelwall.exe", L"", L"KEL_TRACE=" + tracePath));
  ASSERT_TRUE(WaitForLine(L"wallpaper window: no place in the shell", 20000));
  StandInShell shell(ShellLayout::InsideProgman);

  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil(20000, [&] { return (window = WallpaperWindowIn(shell.Progman(), wallpaper.Id())); }))
      << "the late shell got no window of kelwall's\n" << WallpaperWindowTrace();
  EXPECT_EQ(GetWindow(window, GW_HWNDPREV), shell.Icons());
  EXPECT_EQ(GetWindow(window, GW_HWNDNEXT), shell.WallpaperWorkerW());
  ASSERT_TRUE(WaitForLine(L"SAVER_CHILD -> SAVER_AUDIOVISUALPLAYING_1", 40000));
  // The hand-over, then at least one Goom item's new player.
  std::vector<std::string> handed;
  size_t from = 0;
  ASSERT_TRUE(WaitUntil(20000, [&] {
    handed = HandedWindows(bridge);
    from = std::find(handed.begin(), handed.end(), BridgeHandle(window)) - handed.begin();
    return handed.size() >= from + 2;
  }));
  for (size_t i = from; i < handed.size(); ++i) EXPECT_EQ(handed[i], BridgeHandle(window)) << i;

  wallpaper.Kill();
  EXPECT_TRUE(WaitUntil(10000, [&] { return !IsWindow(window); }));
  EXPECT_EQ(FindWindowExW(shell.Progman(), nullptr, kWallpaperClass, nullptr), nullptr);
}

namespace {

// The box a refused instance shows, while it is up.
HWND InstanceBox() {
  HWND box = FindWindowW(L"#32770", L"Kelvane Error!");
  return box && IsWindowVisible(box) ? box : nullptr;
}

}  // namespace

// A second kelwall says so and ends, and touches nothing of the first: while
// its box is up it has asked the shell for nothing and has no window in it,
// and after it the first one's wallpaper still shows.
TEST_F(WallpaperEndToEnd, ASecondInstanceLeavesTheShellAndTheRunningWallpaperAlone) {
  StandInShell shell(ShellLayout::Classic);
  StartPlayingAVideo();
  if (HasFatalFailure()) return;
  HWND window = WallpaperWindowIn(shell.WallpaperWorkerW(), wallpaper.Id());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil(10000, [&] { return IsWindowVisible(window) != FALSE; }));
  int requests = shell.Requests();

  ChildProcess second;
  std::wstring secondTrace = install + L"trace2.txt";
  ASSERT_TRUE(second.Start(ProgramFolder() + L"kelwall.exe", L"", L"KEL_TRACE=" + secondTrace));
  ASSERT_TRUE(WaitUntil(30000, [] { return InstanceBox() != nullptr; })) << "the second instance said nothing";
  EXPECT_EQ(shell.Requests(), requests) << "the second instance asked the shell for a place";
  EXPECT_EQ(WallpaperWindowIn(shell.WallpaperWorkerW(), second.Id()), nullptr)
      << "the second instance put a window into the shell";
  FoundMessageBox box = CloseMessageBox(L"Kelvane Error!", 5000);
  EXPECT_EQ(box.text, L"Only one instance allowed!");
  ASSERT_TRUE(second.Wait(30000));
  EXPECT_EQ(shell.Requests(), requests);
  for (const TraceLine& line : ReadShowTrace(secondTrace))
    EXPECT_NE(line.text.rfind(L"wallpaper window", 0), 0u) << WideToUtf8(line.text);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsWindowVisible(window)) << "the first instance's wallpaper was hidden";
  EXPECT_EQ(WallpaperWindowIn(shell.WallpaperWorkerW(), wallpaper.Id()), window);
}
