// The wallpaper dialog's Play, Pause and Stop on the running show: the real
// kelwall.exe under Wine with real libvlc (the bridge, dummy outputs), driven
// through the dialog's real buttons and tree. What libvlc plays is read from
// the bridge's log, what the show watches from its trace.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "media/CatalogFixtures.h"
#include "resources/ResourceIds.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/ScreenCapture.h"
#include "support/ShowInstall.h"
#include "support/ShowTrace.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"
#include "support/VlcFixture.h"
#include "wallpaper/ControlWindow.h"
#include "wallpaper/TrayIcon.h"
#include "wallpaper/WallpaperFixtures.h"

namespace {

constexpr int kPlaying = 3;
constexpr int kPaused = 4;

// What the bridge's log says each media player was last given and the last
// state a poll reported for it (polls of a list player count for the media
// player it plays through).
struct PlayerView {
  std::string path;  // the Windows path the media was made from; empty for other media
  int state = -1;
  bool stopped = false;  // stopped since it was given the media
};

struct PlaybackView {
  std::map<std::string, PlayerView> players;
  std::string lastPlayer;  // the player given a media last
  int loadingPictures = 0;
  std::vector<std::string> madeFromPath;  // the paths media were made from
};

PlaybackView ReadPlayback(const std::vector<BridgeCall>& calls, size_t from) {
  PlaybackView view;
  std::map<std::string, std::string> paths;  // media -> path, as made
  std::map<std::string, std::string> listPlayers;
  for (size_t i = 0; i < calls.size(); ++i) {
    const BridgeCall& call = calls[i];
    const std::string& f = call.function;
    bool recent = i >= from;
    if (f == "libvlc_media_new_path" && !call.fields.empty()) {
      paths[call.result] = call.fields[0];
      if (recent) view.madeFromPath.push_back(call.fields[0]);
      if (recent && call.fields[0].find("KEL_Loading.png") != std::string::npos) ++view.loadingPictures;
    } else if (f == "libvlc_media_new_location" || f == "libvlc_media_list_item_at_index") {
      paths.erase(call.result);
    } else if (f == "libvlc_media_list_player_set_media_player" && call.fields.size() == 2) {
      listPlayers[call.fields[0]] = call.fields[1];
    } else if (f == "libvlc_media_player_set_media" && call.fields.size() == 2) {
      PlayerView& player = view.players[call.fields[0]];
      auto path = paths.find(call.fields[1]);
      player = PlayerView();
      player.path = path == paths.end() ? std::string() : path->second;
      view.lastPlayer = call.fields[0];
    } else if (f == "libvlc_media_list_player_play_item" && !call.fields.empty()) {
      PlayerView& player = view.players[listPlayers[call.fields[0]]];
      player = PlayerView();
      view.lastPlayer = listPlayers[call.fields[0]];
    } else if (f == "libvlc_media_player_stop" && !call.fields.empty()) {
      view.players[call.fields[0]].stopped = true;
    } else if (f == "libvlc_media_player_get_state" && !call.fields.empty()) {
      view.players[call.fields[0]].state = std::atoi(call.result.c_str());
    } else if (f == "libvlc_media_list_player_get_state" && !call.fields.empty()) {
      view.players[listPlayers[call.fields[0]]].state = std::atoi(call.result.c_str());
    }
  }
  return view;
}

// The show's trace lines from a position on.
std::vector<std::wstring> ActionsFrom(const std::vector<TraceLine>& lines, size_t from) {
  std::vector<std::wstring> out;
  for (size_t i = from; i < lines.size(); ++i)
    if (lines[i].text.compare(0, 15, L"SAVER_CHILD -> ") == 0) out.push_back(lines[i].text.substr(15));
  return out;
}

bool Has(const std::vector<std::wstring>& list, const std::wstring& item) {
  for (const std::wstring& x : list)
    if (x == item) return true;
  return false;
}

enum class Then { Nothing, Pause, Stop };

// A state the show can be in when the dialog's Play comes.
struct FromState {
  const char* name;
  int visualMode;            // WP_CurrentVisualIndex
  const wchar_t* element;    // what the show's catalog holds: twice for pictures
  const wchar_t* watching;   // the action that shows the state is reached; null:
                             // the show is still starting, held where it opens libvlc
  Then then;                 // what the dialog does first
};

const FromState kFromStates[] = {
    {"picture", 1, L"PICTURE", L"SAVER_PICONLYPLAYING_1", Then::Nothing},
    {"audio", 0, L"AUDIO", L"SAVER_AUDIOVISUALPLAYING_1", Then::Nothing},
    {"audio_visualisation", 4, L"AUDIO", L"SAVER_AUDIOVISUALPLAYING_1", Then::Nothing},
    {"video", 0, L"VIDEO", L"SAVER_VIDEOPLAYING_1", Then::Nothing},
    {"web_stream", 0, L"WEBM", L"SAVER_WEBMPLAYING_1", Then::Nothing},
    {"paused", 0, L"VIDEO", L"SAVER_VIDEOPLAYING_1", Then::Pause},
    {"stopped", 0, L"VIDEO", L"SAVER_VIDEOPLAYING_1", Then::Stop},
    {"starting", 0, L"VIDEO", nullptr, Then::Nothing},
    {"stopped_while_starting", 0, L"VIDEO", nullptr, Then::Stop},
};

class WallpaperPlayback : public testing::Test {
 protected:
  void SetUp() override {
    install = MakeTempFolder(L"kelwall-play");
    ASSERT_TRUE(MakeShowInstall(install));
    UseDummyOutputs();
    registry.SetText(L"KEL_TARGETDIR", install);
    registry.SetDword(L"CurrentMediaIndex", static_cast<DWORD>(-1));
    registry.SetDword(L"RandomMedia", 0);
    setting.SetText(L"C:\\windows\\system32\\kel.scr");
    folder = install + L"media";
    // Long enough to be playing still at every check.
    ASSERT_TRUE(WriteFileBytes(folder + L"\\show.wav", MakeWav(20.0, 22050, 330)));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\show.y4m", MakeY4m(160, 120, 240, 12, 80, 90, 200)));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\one.png", MakePng(64, 48, 0xFF0000, 0xFFFFFF)));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\two.png", MakePng(64, 48, 0x0000FF, 0xFFFFFF)));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\target.wav", MakeWav(20.0, 22050, 880)));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\target.y4m", MakeY4m(160, 120, 240, 12, 150, 60, 80)));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\short.wav", MakeWav(2.0, 22050, 550)));
  }
  void TearDown() override {
    wallpaper.Kill();
    RemoveTree(install);
  }

  CatalogNode Item(const wchar_t* element, const std::wstring& name) {
    std::wstring path = folder + L"\\" + name;
    if (std::wstring(element) == L"WEBM") path = FileUrl(path);
    return {element, name, path, folder};
  }
  // The show's items, and after them whatever the dialog is to offer.
  void WriteCatalog(const std::vector<CatalogNode>& items) {
    ASSERT_TRUE(WriteFileBytes(install + L"kelconfig\\Scripts\\dialogs\\catalog.xml",
                               CatalogXml({{L"FOLDER0", L"media", folder, install.substr(0, install.size() - 1), items}})));
  }
  std::vector<CatalogNode> ShowItems(const wchar_t* element) {
    if (std::wstring(element) == L"PICTURE") return {Item(element, L"one.png"), Item(element, L"two.png")};
    if (std::wstring(element) == L"VIDEO") return {Item(element, L"show.y4m")};
    return {Item(element, L"show.wav")};
  }

  // Starts kelwall on the catalog and waits until the show watches with the
  // action; then the catalog gains the dialog's items (the show keeps its
  // lists until it is asked to reload), and the dialog is opened. Without an
  // action the show is held in its start, where it opens libvlc, until
  // Release: it reads the catalog, dialog's items and all, only then.
  void StartAndOpenDialog(int visualMode, const std::vector<CatalogNode>& show, const wchar_t* watching,
                          const std::vector<CatalogNode>& offered) {
    registry.SetDword(L"WP_CurrentVisualIndex", static_cast<DWORD>(visualMode));
    WriteCatalog(show);
    tracePath = install + L"trace" + std::to_wstring(++runs) + L".txt";
    releaseFile = install + L"release" + std::to_wstring(runs);
    std::vector<std::wstring> environment = {L"KEL_TRACE=" + tracePath};
    if (!watching) environment.push_back(HoldLibraryStartEntry(releaseFile));
    ASSERT_TRUE(wallpaper.Start(ProgramFolder() + L"kelwall.exe", L"", environment));
    ASSERT_TRUE(WaitUntil(20000, [&] { return (control = FindWindowW(kControlWindowClass, kControlWindowTitle)) != nullptr; }));
    if (watching)
      ASSERT_TRUE(WaitForLine(std::wstring(L"SAVER_CHILD -> ") + watching, 40000));
    else
      ASSERT_TRUE(WaitUntil(20000, [&] { return !bridge.Calls("libvlc_new_held").empty(); }));
    std::vector<CatalogNode> all = show;
    all.insert(all.end(), offered.begin(), offered.end());
    WriteCatalog(all);
    PostMessageW(control, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitUntil(20000, [&] {
      return (dialog = FindWindowW(L"#32770", L"Kelvane Screen Saver Settings")) != nullptr;
    }));
    ASSERT_TRUE(WaitUntil(10000, [&] { return IsWindowVisible(GetDlgItem(dialog, IDC_PLAY)) != FALSE; }));
  }
  // Lets a show held in its start go on.
  void Release() { ASSERT_TRUE(WriteFileBytes(releaseFile, "go")); }
  // The position after the show's first choice in its trace, once it made it.
  size_t AfterTheFirstChoice() {
    size_t after = 0;
    EXPECT_TRUE(WaitUntil(40000, [&] {
      std::vector<TraceLine> lines = Trace();
      for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].text == L"SAVER_CHILD -> SAVER_SELECTNEXT_1") return (after = i + 1) != 0;
      return false;
    })) << "the show did not begin";
    return after;
  }
  void Close() {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLOSE_WALLPAPER, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CLOSE_WALLPAPER)));
    EXPECT_TRUE(wallpaper.Wait(30000));
  }

  // The button pressed as a user presses it; returns when the dialog has
  // handled it.
  void Click(int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }
  // Selects the show folder's child at the position (null: no selection) and
  // waits for the status line to show its path.
  void Select(int position, const std::wstring& path) {
    HWND tree = GetDlgItem(dialog, IDC_CATALOG_TREE);
    HTREEITEM item = nullptr;
    if (position >= 0) {
      HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
      // Opened as a user opens it: a folder's items come into the tree then.
      SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
      item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
      for (int i = 0; i < position && item; ++i)
        item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
      ASSERT_NE(item, nullptr);
    }
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (position < 0) {
      ASSERT_EQ(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0), 0);
      return;
    }
    ASSERT_TRUE(WaitUntil(5000, [&] {
      wchar_t text[1024] = {};
      SendDlgItemMessageW(dialog, IDC_STATUS_LINE, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
      return path == text;
    })) << WideToUtf8(path);
  }

  std::vector<TraceLine> Trace() const { return ReadShowTrace(tracePath); }
  bool WaitForLine(const std::wstring& text, DWORD ms = 30000) {
    return WaitUntil(ms, [&] { return FindTraceLine(Trace(), text) != nullptr; });
  }
  // Waits until the player given a media last is polled in the state.
  bool WaitForState(int state, DWORD ms = 10000) {
    return WaitUntil(ms, [&] {
      PlaybackView view = ReadPlayback(bridge.Calls(), 0);
      return !view.lastPlayer.empty() && view.players[view.lastPlayer].state == state;
    });
  }

  // What libvlc plays, read at a moment: the target, playing, the last thing
  // any player was given, not stopped, and no loading picture since `calls`;
  // the show watches it on the road of its kind and has not chosen again
  // since `lines` (with no road given: the show's action has not changed).
  void ExpectPlaying(const std::wstring& target, const std::wstring& road, size_t calls, size_t lines,
                     const std::string& where) {
    PlaybackView view = ReadPlayback(bridge.Calls(), calls);
    ASSERT_FALSE(view.lastPlayer.empty()) << where;
    const PlayerView& player = view.players[view.lastPlayer];
    EXPECT_EQ(player.path, WideToUtf8(target)) << where << ": libvlc plays something else";
    EXPECT_EQ(player.state, kPlaying) << where;
    EXPECT_FALSE(player.stopped) << where;
    EXPECT_EQ(view.loadingPictures, 0) << where << ": the loading picture came between";
    for (const std::string& path : view.madeFromPath) EXPECT_EQ(path, WideToUtf8(target)) << where << ": started too";
    std::vector<std::wstring> actions = ActionsFrom(Trace(), lines);
    if (road.empty()) {
      EXPECT_TRUE(actions.empty()) << where << ": the show left " << WideToUtf8(actions.front());
      return;
    }
    EXPECT_TRUE(Has(actions, road)) << where << ": not watched on " << WideToUtf8(road);
    EXPECT_FALSE(Has(actions, L"SAVER_SELECTNEXT_1")) << where << ": the show chose again";
  }

  RegistrySandbox registry;
  ScreenSaverSettingSandbox setting;
  BridgeLog bridge;
  std::wstring install;
  std::wstring folder;
  std::wstring tracePath;
  std::wstring releaseFile;
  ChildProcess wallpaper;
  HWND control = nullptr;
  HWND dialog = nullptr;
  int runs = 0;
};

// Waits out the time since `start`, for checks made at a moment after Play.
void SleepUntil(DWORD start, DWORD ms) {
  DWORD passed = GetTickCount() - start;
  if (passed < ms) Sleep(ms - passed);
}

struct PlayCase {
  const FromState* from;
  bool video;  // the dialog's item: the video or the audio
};

std::vector<PlayCase> AllPlayCases() {
  std::vector<PlayCase> cases;
  for (const FromState& from : kFromStates)
    for (bool video : {false, true}) cases.push_back({&from, video});
  return cases;
}

class DialogPlay : public WallpaperPlayback, public testing::WithParamInterface<PlayCase> {};

// From every state the show can be in, Play with an item selected stops what
// plays and plays the item within a second; at five seconds it still plays,
// watched on the road of its kind, with no loading picture in between and
// nothing else started. Pressed while the show is still starting, Play and
// Stop are answered when it begins, before anything of its catalog starts.
TEST_P(DialogPlay, PlaysTheSelectedItemFromEveryState) {
  const FromState& from = *GetParam().from;
  bool video = GetParam().video;
  bool starting = !from.watching;
  std::vector<CatalogNode> show = ShowItems(from.element);
  StartAndOpenDialog(from.visualMode, show, from.watching, {Item(L"AUDIO", L"target.wav"), Item(L"VIDEO", L"target.y4m")});
  if (HasFatalFailure()) return;
  std::string name = std::string(from.name) + (video ? " / video" : " / audio");
  if (std::wstring(from.element) != L"PICTURE" && !starting) {
    ASSERT_TRUE(WaitForState(kPlaying)) << name;
  }

  if (from.then == Then::Pause) {
    Click(IDC_PAUSE);
    ASSERT_TRUE(WaitForState(kPaused)) << name;
  } else if (from.then == Then::Stop) {
    size_t stopLines = Trace().size();
    size_t stopCalls = bridge.Calls().size();
    Click(IDC_STOP);
    if (starting) Release();
    ASSERT_TRUE(WaitForLine(L"dialog stop", 40000)) << name;
    DWORD stopped = GetTickCount();
    if (starting) {
      EXPECT_NE(FindTraceLine(Trace(), L"kept for the first choice: dialog stop"), nullptr) << name;
    }
    // The show waits for Play: nothing else is started meanwhile.
    SleepUntil(stopped, 5000);
    PlaybackView view = ReadPlayback(bridge.Calls(), stopCalls);
    if (starting) {
      EXPECT_TRUE(view.lastPlayer.empty()) << name << ": a player was given a media";
    } else {
      EXPECT_TRUE(view.players[view.lastPlayer].stopped) << name;
    }
    EXPECT_TRUE(view.madeFromPath.empty()) << name << ": the show went on after Stop";
    std::vector<std::wstring> actions = ActionsFrom(Trace(), stopLines);
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions.back(), L"SAVER_PLAYERSTOPPED_1") << name;
  }

  std::wstring target = folder + (video ? L"\\target.y4m" : L"\\target.wav");
  int position = static_cast<int>(show.size()) + (video ? 1 : 0);
  Select(position, target);
  std::wstring road = video ? L"SAVER_VIDEOPLAYING_1"
                            : from.visualMode == 1 ? L"SAVER_PICAUDIOPLAYING_1" : L"SAVER_AUDIOVISUALPLAYING_1";
  size_t calls = bridge.Calls().size();
  size_t lines = Trace().size();
  DWORD pressed = GetTickCount();
  Click(IDC_PLAY);
  if (starting && from.then == Then::Nothing) {
    // Timed from the show's first choice, which answers it; from there on the
    // show does not choose again.
    Release();
    lines = AfterTheFirstChoice();
    pressed = GetTickCount();
    EXPECT_NE(FindTraceLine(Trace(), L"kept for the first choice: dialog play"), nullptr) << name;
  }
  SleepUntil(pressed, 1000);
  ExpectPlaying(target, road, calls, lines, name + " after 1 s");
  SleepUntil(pressed, 5000);
  ExpectPlaying(target, road, calls, lines, name + " after 5 s");
  Close();
}

INSTANTIATE_TEST_SUITE_P(FromStateAndKind, DialogPlay, testing::ValuesIn(AllPlayCases()),
                         [](const testing::TestParamInfo<PlayCase>& info) {
                           return std::string(info.param.from->name) + (info.param.video ? "_video" : "_audio");
                         });

// Pause pauses what plays and a second Pause resumes it; Play with nothing
// selected resumes it too. Neither starts anything else.
TEST_F(WallpaperPlayback, PauseResumesWithPauseOrWithPlayWithoutASelection) {
  StartAndOpenDialog(0, ShowItems(L"VIDEO"), L"SAVER_VIDEOPLAYING_1", {Item(L"AUDIO", L"target.wav")});
  if (HasFatalFailure()) return;
  std::wstring video = folder + L"\\show.y4m";
  for (int resume : {IDC_PAUSE, IDC_PLAY}) {
    size_t calls = bridge.Calls().size();
    size_t lines = Trace().size();
    Click(IDC_PAUSE);
    ASSERT_TRUE(WaitForState(kPaused)) << resume;
    if (resume == IDC_PLAY) Select(-1, L"");
    Click(resume);
    ASSERT_TRUE(WaitForState(kPlaying)) << resume;
    ExpectPlaying(video, L"", calls, lines, resume == IDC_PAUSE ? "pause, pause" : "pause, play");
    EXPECT_TRUE(ReadPlayback(bridge.Calls(), calls).madeFromPath.empty()) << resume;
  }
  Close();
}

// The dialog's item is watched until it ends; then the show goes on with its
// next choice as before.
TEST_F(WallpaperPlayback, AfterTheDialogsItemEndsTheShowGoesOn) {
  StartAndOpenDialog(0, ShowItems(L"VIDEO"), L"SAVER_VIDEOPLAYING_1", {Item(L"AUDIO", L"short.wav")});
  if (HasFatalFailure()) return;
  Select(1, folder + L"\\short.wav");
  size_t calls = bridge.Calls().size();
  size_t lines = Trace().size();
  Click(IDC_PLAY);
  ASSERT_TRUE(WaitUntil(20000, [&] {
    std::vector<std::wstring> actions = ActionsFrom(Trace(), lines);
    return !actions.empty() && actions.back() == L"SAVER_VIDEOPLAYING_1" && Has(actions, L"SAVER_SELECTNEXT_1");
  }));
  std::vector<std::wstring> actions = ActionsFrom(Trace(), lines);
  std::vector<std::wstring> expected = {L"SAVER_PLAYERSTOPPED_1", L"SAVER_SELECTPLAY_1", L"SAVER_AUDIOVISUALLOADING_1",
                                        L"SAVER_AUDIOVISUALPLAYING_1", L"SAVER_SELECTNEXT_1", L"SAVER_VIDEOLOADING_1",
                                        L"SAVER_VIDEOPLAYING_1"};
  EXPECT_EQ(actions, expected);
  PlaybackView view = ReadPlayback(bridge.Calls(), calls);
  EXPECT_EQ(view.players[view.lastPlayer].path, WideToUtf8(folder + L"\\show.y4m"));
  Close();
}

// ---- what the desktop shows (libvlc's own outputs) ------------------------

// The show's video: RGB(0, 200, 0) in full-range YCbCr; the dialog's: RGB(0,
// 0, 200), each with a light bar sweeping across (an eighth of the width).
bool IsGreen(uint32_t rgb) {
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return g > 150 && g > r + 60 && g > b + 60;
}
bool IsBlue(uint32_t rgb) {
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return b > 150 && b > r + 60 && b > g + 60;
}

class WallpaperDesktop : public WallpaperPlayback {
 protected:
  void SetUp() override {
    WallpaperPlayback::SetUp();
    // Real outputs: the picture has to reach the screen.
    SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_OUTPUT", nullptr);
    ASSERT_TRUE(WriteFileBytes(folder + L"\\show.y4m", MakeY4m(320, 240, 240, 12, 117, 62, 44)));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\target.y4m", MakeY4m(320, 240, 240, 12, 23, 228, 112)));
  }
  // Percent of the points, above and below the dialog, that pass the test.
  int Share(const ScreenCapture& shot, bool (*test)(uint32_t)) {
    RECT box = {};
    GetWindowRect(dialog, &box);
    int passed = 0, total = 0;
    for (RECT area : {RECT{40, 60, shot.Width() - 40, box.top - 10},
                      RECT{40, box.bottom + 10, shot.Width() - 40, shot.Height() - 60}}) {
      if (area.bottom <= area.top) continue;
      int n = 0;
      passed += shot.Count(area, 16, test, &n);
      total += n;
    }
    return total ? passed * 100 / total : 0;
  }
  bool Shows(bool (*test)(uint32_t), int atLeast, int atMost = 100) {
    return WaitUntil(10000, [&] {
      ScreenCapture shot;
      int share = Share(shot, test);
      return share >= atLeast && share <= atMost;
    });
  }
  void Keep(const std::string& name) {
    std::wstring shots = ProgramFolder() + L"..\\test-shots\\";
    CreateDirectoryW(shots.c_str(), nullptr);
    ScreenCapture().SaveBmp(shots + Utf8ToWide("wallpaper-" + name + ".bmp"));
  }
};

// The wallpaper is seen on the desktop; after Stop the desktop comes back,
// and Play brings the dialog's video up as the new wallpaper.
TEST_F(WallpaperDesktop, StopGivesTheDesktopBackAndPlayShowsTheDialogsVideo) {
  StartAndOpenDialog(0, ShowItems(L"VIDEO"), L"SAVER_VIDEOPLAYING_1", {Item(L"VIDEO", L"target.y4m")});
  if (HasFatalFailure()) return;
  EXPECT_TRUE(Shows(IsGreen, 75)) << "the show's video is not the wallpaper";
  if (HasFailure()) Keep("playing");

  Click(IDC_STOP);
  EXPECT_TRUE(Shows(IsGreen, 0, 5)) << "the video stays on the desktop after Stop";
  if (HasFailure()) Keep("stopped");

  Select(1, folder + L"\\target.y4m");
  Click(IDC_PLAY);
  EXPECT_TRUE(Shows(IsBlue, 75)) << "the dialog's video is not the wallpaper";
  if (HasFailure()) Keep("played");
  Close();
}

}  // namespace
