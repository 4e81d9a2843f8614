// Playback through real libvlc (Debian's, reached through the Wine bridge),
// with dummy audio and video outputs.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <thread>

#include "engine/Logic.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"
#include "support/TraceRecorder.h"
#include "support/VlcBridge.h"
#include "support/VlcFixture.h"

namespace {

constexpr int kPlaying = 3;
constexpr int kPaused = 4;
constexpr int kStopped = 5;
constexpr int kEnded = 6;
constexpr int kError = 7;

const std::vector<std::string> kNoneOptions = {"audio-visual=visual", "effect-list=none", "osd",
                                               "no-video-title-show", "one-instance",      "ignore-config",
                                               "no-disable-screensaver"};

// The texts handed to one media, in order.
std::vector<std::string> OptionsOf(const BridgeLog& log, const std::string& media) {
  std::vector<std::string> options;
  for (const BridgeCall& call : log.Calls("libvlc_media_add_option"))
    if (call.fields.size() == 2 && call.fields[0] == media) options.push_back(call.fields[1]);
  return options;
}

// Polls the state and says whether it stays put for the whole time.
bool StaysInState(int state, DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    if (GetPlayerState() != state) return false;
    Sleep(50);
  }
  return true;
}

using VlcPlayback = VlcFixture;

// Long enough for the polls to see it playing before it ends.
constexpr double kShortSeconds = 2.0;

TEST_F(VlcPlayback, ShortWavPlaysToItsEndWithTheOptionsInSlotOrder) {
  BridgeLog log;
  ApplyVisualOptions(VisualModeNone);
  std::wstring wav = WriteMedia(L"short.wav", MakeWav(kShortSeconds));
  ASSERT_TRUE(PlayFile(wav));
  ASSERT_TRUE(PlayedToTheEnd(StatesUntilDone()));

  std::vector<BridgeCall> created = log.Calls("libvlc_media_new_path");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].fields[0], WideToUtf8(wav));
  EXPECT_EQ(created[0].fields[1].front(), '/') << "the bridge hands libvlc a Unix path";
  const std::string media = created[0].result;
  EXPECT_EQ(OptionsOf(log, media), kNoneOptions);
  // Options first, then the player takes the media and our reference goes
  // (what comes before the media is the instance of its visual options).
  std::vector<std::string> order;
  for (const std::string& f : log.Functions())
    if (f == "libvlc_media_new_path" || (!order.empty() && f != "libvlc_media_add_option" && f != "libvlc_audio_set_mute"))
      order.push_back(f);
  // The list player is left an empty list first, so the end of this item
  // starts nothing of its own.
  std::vector<std::string> expected = {"libvlc_media_new_path", "libvlc_media_list_player_set_media_list",
                                       "libvlc_media_player_set_media", "libvlc_media_player_play",
                                       "libvlc_media_release"};
  EXPECT_EQ(order, expected);
}

// Pausing sets the pause: a second power event must not resume the item.
TEST_F(VlcPlayback, PauseHoldsThroughASecondPauseResumesAndStops) {
  ASSERT_TRUE(PlayFile(WriteMedia(L"long.wav", MakeWav(6.0))));
  ASSERT_TRUE(ReachesState(kPlaying));
  EXPECT_TRUE(PausePlayer(true));
  ASSERT_TRUE(ReachesState(kPaused));
  EXPECT_TRUE(PausePlayer(true));
  EXPECT_TRUE(StaysInState(kPaused, 600));
  EXPECT_TRUE(PausePlayer(false));
  EXPECT_TRUE(ReachesState(kPlaying));
  EXPECT_TRUE(StopPlayer());
  EXPECT_TRUE(ReachesState(kStopped)) << "state " << GetPlayerState();
}

TEST_F(VlcPlayback, LoadingPictureRoadPlaysThePngOnce) {
  std::wstring folder = InstallFolder() + L"kelconfig\\Backgrnds\\";
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(WriteFileBytes(folder + L"KEL_Loading.png", MakePng(64, 48, 0x203040, 0xE0C020)));
  BridgeLog log;
  LoadingPicturePending = 1;
  KEL_Logic::ShowLoadingPicture();
  EXPECT_EQ(LoadingPicturePending, 0);
  EXPECT_TRUE(ReachesState(kPlaying)) << "state " << GetPlayerState();

  std::vector<BridgeCall> created = log.Calls("libvlc_media_new_path");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].fields[0], WideToUtf8(folder + L"KEL_Loading.png"));
  std::vector<std::string> options = OptionsOf(log, created[0].result);
  ASSERT_GE(options.size(), 2u);
  EXPECT_EQ(options[0], "audio-visual=none");
  EXPECT_EQ(options[1], "effect-list=none");

  KEL_Logic::ShowLoadingPicture();
  EXPECT_EQ(log.Calls("libvlc_media_new_path").size(), 1u) << "shown once per run";
}

TEST_F(VlcPlayback, WebItemPlaysThroughTheListPlayerAndPausesThere) {
  std::wstring web = WriteMedia(L"web clip.wav", MakeWav(6.0));
  AddMedia(WriteMedia(L"first.wav", MakeWav(0.5)), L"p", 1);
  AddWebMedia(FileUrl(web), L"p", 6);
  BridgeLog log;
  CurrentMediaIndex = 0;
  ASSERT_TRUE(PlayNextMedia());
  EXPECT_EQ(CurrentMediaIndex, 1);
  EXPECT_EQ(GetCurrentMediaKind(), 6);
  ASSERT_TRUE(ReachesState(kPlaying)) << "list player state " << GetPlayerState();
  EXPECT_EQ(GetVlcPlayer().ListPlayerState(), kPlaying);

  std::vector<BridgeCall> played = log.Calls("libvlc_media_list_player_play_item");
  ASSERT_EQ(played.size(), 1u);
  std::vector<std::string> options = OptionsOf(log, played[0].fields[1]);
  ASSERT_FALSE(options.empty());
  EXPECT_EQ(options.front(), "audio-visual=visual");
  EXPECT_EQ(options.back(), "no-disable-screensaver");
  EXPECT_TRUE(log.Calls("libvlc_media_new_path").empty()) << "web media never go by path";

  EXPECT_TRUE(PauseListPlayer(true));
  ASSERT_TRUE(ReachesState(kPaused));
  EXPECT_TRUE(PauseListPlayer(true));
  EXPECT_TRUE(StaysInState(kPaused, 600));
  EXPECT_TRUE(PauseListPlayer(false));
  EXPECT_TRUE(ReachesState(kPlaying));
  EXPECT_TRUE(StopListPlayer());
  EXPECT_NE(GetPlayerState(), kPlaying);
}

// The list player shares the media player: when a file played directly ends,
// it must not go on with a web item of its list the show never chose.
TEST_F(VlcPlayback, AFileThatEndsStartsNoWebItem) {
  // A stream that would still be playing when the wait for the end runs out.
  AddWebMedia(FileUrl(WriteMedia(L"stream.wav", MakeWav(60.0, 8000))), L"p", 6);
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(PlayFile(WriteMedia(L"short" + std::to_wstring(round) + L".wav", MakeWav(2.0))));
    EXPECT_TRUE(PlayedToTheEnd(StatesUntilDone())) << round;
    EXPECT_TRUE(StaysInState(kEnded, 1500)) << round << ": state " << GetVlcPlayer().MediaPlayerState();
  }
  // The web item still plays when chosen.
  CurrentMediaIndex = -1;
  ASSERT_TRUE(PlayNextMedia());
  EXPECT_TRUE(ReachesState(kPlaying));
  StopListPlayer();
}

// libvlc ends a file it cannot open (ended or error); either moves the show on.
TEST_F(VlcPlayback, MissingFilesEndWithoutPlaying) {
  for (const std::wstring& path : {MediaFolder() + L"missing.wav", std::wstring(L"C:\\no such folder\\missing.wav")}) {
    ASSERT_TRUE(PlayFile(path));
    std::vector<int> states = StatesUntilDone();
    ASSERT_FALSE(states.empty());
    EXPECT_TRUE(states.back() == kEnded || states.back() == kError) << "last state " << states.back();
    EXPECT_EQ(std::find(states.begin(), states.end(), kPlaying), states.end()) << WideToUtf8(path);
  }
}

// Paths go to libvlc as UTF-8, so names outside the ANSI code page play.
TEST_F(VlcPlayback, NonAsciiNamePlaysWithItsSlashesTurned) {
  std::wstring name = L"Gr\u00fc\u00dfe \u0437\u0432\u0443\u043a \u97f3.wav";
  std::wstring wav = WriteMedia(name, MakeWav(kShortSeconds));
  std::wstring forward = wav;
  for (wchar_t& c : forward)
    if (c == L'\\') c = L'/';
  AddMedia(forward, L"p", 1);
  BridgeLog log;
  CurrentMediaIndex = -1;
  ASSERT_TRUE(PlayNextMedia());
  EXPECT_TRUE(PlayedToTheEnd(StatesUntilDone()));
  std::vector<BridgeCall> created = log.Calls("libvlc_media_new_path");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].fields[0], WideToUtf8(wav));
}

TEST_F(VlcPlayback, CatalogReloadRebuildsTheMediaList) {
  std::wstring a = WriteMedia(L"a.wav", MakeWav(0.5));
  std::wstring b = WriteMedia(L"b.wav", MakeWav(0.5));
  std::wstring c = WriteMedia(L"c.wav", MakeWav(kShortSeconds));
  AddWebMedia(FileUrl(a), L"p", 6);
  AddWebMedia(FileUrl(b), L"p", 6);
  ClearLists();
  BridgeLog log;
  AddWebMedia(FileUrl(c), L"p", 6);
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), 1);
  EXPECT_EQ(player_->media[0].listIndex, 0);
  CurrentMediaIndex = -1;
  ASSERT_TRUE(PlayNextMedia());
  // One location in each instance's list: the one in use, and the one the
  // web item's options brought into use.
  std::vector<BridgeCall> created = log.Calls("libvlc_media_new_location");
  std::vector<BridgeCall> played = log.Calls("libvlc_media_list_player_play_item");
  ASSERT_GE(created.size(), 1u);
  for (const BridgeCall& call : created) EXPECT_EQ(call.fields[0], WideToUtf8(FileUrl(c)));
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0].fields[1], created.back().result) << "entry 0 must be the reloaded location";
  EXPECT_TRUE(PlayedToTheEnd(StatesUntilDone()));
}

// Goom's fresh players get the stored locations, the list and the window
// back at once, so web media still play and video still has its window.
TEST_F(VlcPlayback, GoomRecreatesThePlayersWithLocationsListAndWindow) {
  TestWindow window;
  ASSERT_TRUE(window.HasXWindow());
  SetVideoWindow(window.Handle());
  std::wstring web = WriteMedia(L"web.wav", MakeWav(kShortSeconds));
  AddWebMedia(FileUrl(web), L"p", 6);
  BridgeLog log;
  ApplyVisualOptions(VisualModeGoom);

  std::vector<std::string> options = GetVlcPlayer().GetOptions();
  ASSERT_FALSE(options.empty());
  EXPECT_EQ(options.front(), "audio-visual=goom");
  EXPECT_NE(std::find(options.begin(), options.end(), "reset-plugins-cache"), options.end());

  std::vector<std::string> functions = log.Functions();
  std::vector<std::string> expected = {
      "libvlc_media_list_player_stop",   "libvlc_media_player_stop",
      "libvlc_media_list_release",       "libvlc_media_list_release",
      "libvlc_media_list_player_release", "libvlc_media_player_release",
      "libvlc_media_player_new",         "libvlc_media_list_player_new",
      "libvlc_media_list_new",           "libvlc_media_list_new",
      "libvlc_video_set_mouse_input",    "libvlc_video_set_key_input",
      "libvlc_media_new_location",
      "libvlc_media_list_lock",          "libvlc_media_list_add_media",
      "libvlc_media_list_unlock",        "libvlc_media_release",
      "libvlc_media_list_player_set_media_list", "libvlc_media_list_player_set_media_player",
      "libvlc_media_player_set_hwnd"};
  ASSERT_GE(functions.size(), expected.size());
  functions.resize(expected.size());
  EXPECT_EQ(functions, expected);

  std::string player = log.Calls("libvlc_media_player_new")[0].result;
  std::string listPlayer = log.Calls("libvlc_media_list_player_new")[0].result;
  std::string list = log.Calls("libvlc_media_list_new")[0].result;
  EXPECT_EQ(log.Calls("libvlc_media_list_add_media")[0].fields[0], list);
  EXPECT_EQ(log.Calls("libvlc_media_list_player_set_media_list")[0].fields,
            (std::vector<std::string>{listPlayer, list}));
  EXPECT_EQ(log.Calls("libvlc_media_list_player_set_media_player")[0].fields,
            (std::vector<std::string>{listPlayer, player}));
  std::vector<BridgeCall> bound = log.Calls("libvlc_media_player_set_hwnd");
  ASSERT_EQ(bound.size(), 1u);
  EXPECT_EQ(bound[0].fields[0], player);
  EXPECT_NE(bound[0].fields[2], "0") << "the window's X11 window reaches libvlc";
  EXPECT_EQ(GetVlcPlayer().GetOutputWindow(), window.Handle());

  // Goom has no plug-in here; the audio still plays.
  ASSERT_TRUE(PlayFile(WriteMedia(L"goom.wav", MakeWav(kShortSeconds))));
  EXPECT_TRUE(PlayedToTheEnd(StatesUntilDone()));
  CurrentMediaIndex = -1;
  ASSERT_TRUE(PlayNextMedia());
  EXPECT_TRUE(PlayedToTheEnd(StatesUntilDone())) << "web item after Goom";
}

// The window thread pauses and polls while the worker replaces the players.
TEST_F(VlcPlayback, PauseFromAnotherThreadWhileThePlayersAreReplaced) {
  AddWebMedia(FileUrl(WriteMedia(L"web.wav", MakeWav(4.0))), L"p", 6);
  ASSERT_TRUE(PlayFile(WriteMedia(L"long.wav", MakeWav(4.0))));
  std::atomic<bool> done{false};
  std::atomic<int> calls{0};
  std::thread window([&] {
    while (!done) {
      PausePlayer(true);
      PauseListPlayer(true);
      GetPlayerState();
      GetVlcPlayer().ListPlayerState();
      PausePlayer(false);
      ++calls;
    }
  });
  for (int i = 0; i < 25; ++i) {
    GetVlcPlayer().RecreatePlayers();
    ASSERT_TRUE(PlayFile(MediaFolder() + L"long.wav"));
  }
  done = true;
  window.join();
  EXPECT_GT(calls.load(), 0);
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), 1);
  EXPECT_TRUE(StopPlayer());
}

TEST_F(VlcPlayback, EveryMediaReferenceIsReleasedAndTheListLockHeld) {
  BridgeLog log;
  std::wstring web = FileUrl(WriteMedia(L"web.wav", MakeWav(0.5)));
  AddWebMedia(web, L"p", 6);
  AddWebMedia(web, L"p", 6);
  ASSERT_TRUE(PlayFile(WriteMedia(L"a.wav", MakeWav(0.5))));
  CurrentMediaIndex = 0;
  ASSERT_TRUE(PlayNextMedia());
  EXPECT_GE(GetVlcPlayer().ListItemDuration(1), 1u);
  EXPECT_EQ(GetVlcPlayer().ListItemDuration(5), 3u);
  GetVlcPlayer().IsListItemPlaying(0);
  ClearLists();
  ApplyVisualOptions(VisualModeGoom);
  ReleasePlayer();

  int taken = 0, released = 0;
  bool locked = false;
  for (const BridgeCall& call : log.Calls()) {
    const std::string& f = call.function;
    if ((f == "libvlc_media_new_path" || f == "libvlc_media_new_location" ||
         f == "libvlc_media_list_item_at_index") && call.result != "null")
      ++taken;
    if (f == "libvlc_media_release") ++released;
    if (f == "libvlc_media_list_lock") locked = true;
    if (f == "libvlc_media_list_unlock") locked = false;
    if (f == "libvlc_media_list_add_media" || f == "libvlc_media_list_item_at_index" ||
        f == "libvlc_media_list_count") {
      EXPECT_TRUE(locked) << f << " without the list lock";
    }
  }
  EXPECT_GT(taken, 0);
  EXPECT_EQ(released, taken);
  // Each list made is released; the players and the instance go at close.
  // (the web list and the list player's empty one were made before the log)
  EXPECT_EQ(log.Calls("libvlc_media_list_release").size(), log.Calls("libvlc_media_list_new").size() + 2);
  EXPECT_EQ(log.Calls("libvlc_media_player_release").size(), log.Calls("libvlc_media_player_new").size() + 1);
  EXPECT_EQ(log.Calls("libvlc_release").size(), log.Calls("libvlc_new").size() + 1);
  EXPECT_FALSE(GetVlcPlayer().IsOpen());
}

TEST_F(VlcPlayback, MuteReachesThePlayer) {
  BridgeLog log;
  MuteAudio = true;
  ApplyVisualOptions(VisualModeScope);
  MuteAudio = false;
  ApplyVisualOptions(VisualModeScope);
  std::vector<BridgeCall> mutes = log.Calls("libvlc_audio_set_mute");
  ASSERT_EQ(mutes.size(), 2u);
  EXPECT_EQ(mutes[0].fields[1], "1");
  EXPECT_EQ(mutes[1].fields[1], "0");
}

// The visual options reach libvlc_new: each set in use plays on an instance
// of its own, made at its first item and kept for the next one, with
// players bound to the window, muted as asked and without mouse or key
// input; the player left is stopped. A mode without a visualisation asks
// for none: it plays on the start-up instance.
TEST_F(VlcPlayback, EachVisualModePlaysOnAnInstanceMadeWithItsOptions) {
  TestWindow window;
  ASSERT_TRUE(window.HasXWindow());
  SetVideoWindow(window.Handle());
  MuteAudio = true;
  std::wstring wav = WriteMedia(L"short.wav", MakeWav(0.3));
  BridgeLog log;
  const std::string kStartUp = "the start-up instance";
  const struct {
    VisualMode mode;
    const char* effect;  // null: no visualisation, no instance arguments
    bool made;
  } kItems[] = {
      {VisualModeScope, "--effect-list=scope", true},
      {VisualModeSpectrum, "--effect-list=spectrum", true},
      {VisualModeScope, "--effect-list=scope", false},
      {VisualModeNone, nullptr, false},
      {VisualModeLocalImage, nullptr, false},
  };
  std::map<std::string, std::string> effectOfInstance;
  for (const auto& item : kItems) {
    const std::string effect = item.effect ? item.effect : kStartUp;
    size_t made = log.Calls("libvlc_new").size();
    ApplyVisualOptions(item.mode);
    ASSERT_TRUE(PlayFile(wav));
    EXPECT_TRUE(ReachesState(kEnded)) << effect;
    std::vector<BridgeCall> started = log.Calls("libvlc_new");
    EXPECT_EQ(started.size(), made + (item.made ? 1 : 0)) << effect;
    EXPECT_EQ(GetVlcPlayer().GetInstanceArguments(),
              item.effect ? (std::vector<std::string>{"--audio-visual=visual", item.effect}) : std::vector<std::string>{});
    if (item.made && started.size() == made + 1) {
      const BridgeCall& call = started.back();
      ASSERT_GE(call.fields.size(), 3u);  // then the bridge's dummy outputs
      EXPECT_EQ(call.fields[1], "--audio-visual=visual");
      EXPECT_EQ(call.fields[2], effect);
      effectOfInstance[call.result] = effect;
    }
  }
  ASSERT_EQ(effectOfInstance.size(), 2u);

  // Every item went to a player of its own options' instance; the start-up
  // instance's player was made before the log.
  std::map<std::string, std::string> instanceOfPlayer;
  for (const BridgeCall& call : log.Calls("libvlc_media_player_new")) instanceOfPlayer[call.result] = call.fields[0];
  std::vector<BridgeCall> given = log.Calls("libvlc_media_player_set_media");
  ASSERT_EQ(given.size(), 5u);
  for (size_t i = 0; i < given.size(); ++i) {
    auto made = instanceOfPlayer.find(given[i].fields[0]);
    EXPECT_EQ(made == instanceOfPlayer.end() ? kStartUp : effectOfInstance[made->second],
              kItems[i].effect ? kItems[i].effect : kStartUp)
        << i;
  }
  // Each new player: no mouse or key input, the window, the mute.
  for (const auto& player : instanceOfPlayer) {
    auto madeFor = [&](const char* function, const char* value) {
      for (const BridgeCall& call : log.Calls(function))
        if (call.fields.size() >= 2 && call.fields[0] == player.first && (!value || call.fields[1] == value))
          return true;
      return false;
    };
    EXPECT_TRUE(madeFor("libvlc_video_set_mouse_input", "0")) << player.first;
    EXPECT_TRUE(madeFor("libvlc_video_set_key_input", "0")) << player.first;
    EXPECT_TRUE(madeFor("libvlc_media_player_set_hwnd", nullptr)) << player.first;
    EXPECT_TRUE(madeFor("libvlc_audio_set_mute", "1")) << player.first;
  }
  // The player left is stopped before another instance's plays.
  std::vector<BridgeCall> calls = log.Calls();
  std::string playing;
  for (const BridgeCall& call : calls) {
    if (call.function == "libvlc_media_player_play") {
      playing = call.fields[0];
    } else if (call.function == "libvlc_media_player_set_media" && !playing.empty() && call.fields[0] != playing) {
      bool stopped = false;
      for (const BridgeCall& earlier : calls) {
        if (&earlier == &call) break;
        if (earlier.function == "libvlc_media_player_stop" && earlier.fields[0] == playing) stopped = true;
      }
      EXPECT_TRUE(stopped) << playing << " was left playing";
    }
  }
  ReleasePlayer();
  EXPECT_EQ(log.Calls("libvlc_release").size(), 3u) << "every instance goes at close";
}

// A kept instance comes back with the web list as it is now, not as it was
// when that instance was last in use.
TEST_F(VlcPlayback, AKeptInstanceComesBackWithTheCurrentWebList) {
  std::wstring a = WriteMedia(L"a.wav", MakeWav(0.3));
  std::wstring b = WriteMedia(L"b.wav", MakeWav(0.3));
  AddWebMedia(FileUrl(a), L"p", 6);
  CurrentMediaIndex = -1;
  ASSERT_TRUE(PlayNextMedia());
  ASSERT_TRUE(ReachesState(kEnded));
  ApplyVisualOptions(VisualModeScope);
  ASSERT_TRUE(PlayFile(a));
  ASSERT_TRUE(ReachesState(kEnded));
  ClearLists();
  BridgeLog log;
  AddWebMedia(FileUrl(b), L"p", 6);
  CurrentMediaIndex = -1;
  ASSERT_TRUE(PlayNextMedia());
  EXPECT_TRUE(ReachesState(kEnded));
  EXPECT_TRUE(log.Calls("libvlc_new").empty()) << "the web item's instance was kept";
  std::vector<BridgeCall> played = log.Calls("libvlc_media_list_player_play_item");
  ASSERT_EQ(played.size(), 1u);
  std::string location;
  for (const BridgeCall& call : log.Calls("libvlc_media_new_location"))
    if (call.result == played[0].fields[1]) location = call.fields[0];
  EXPECT_EQ(location, WideToUtf8(FileUrl(b)));
}

// The start-up argument is one text of any length.
TEST_F(VlcPlayback, LongInstallFolderReachesLibvlcWhole) {
  ReleasePlayer();
  std::wstring folder = L"C:\\";
  while (folder.size() < 3000) folder += L"a very long install folder name\\";
  KEL_TARGETDIR = folder;
  BridgeLog log;
  InitPlayer(nullptr);
  ASSERT_TRUE(GetVlcPlayer().IsOpen());
  std::vector<BridgeCall> started = log.Calls("libvlc_new");
  ASSERT_EQ(started.size(), 1u);
  ASSERT_FALSE(started[0].fields.empty());
  EXPECT_EQ(started[0].fields[0], "-I--aout=dummy--vout=dummy--plugin-path=" + WideToUtf8(folder) + "plugins");
  ASSERT_TRUE(PlayFile(WriteMedia(L"a.wav", MakeWav(0.5))));
  EXPECT_TRUE(ReachesState(kEnded));
}

// A sent message answered by the window thread, and whether it came while
// that thread was inside a pause (so while it waited for the wrapper's lock).
std::atomic<int> g_answered{0};
std::atomic<int> g_answeredInPause{0};
std::atomic<bool> g_inPause{false};
constexpr UINT kProbe = WM_APP + 7;

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kProbe) return DefWindowProcW(window, message, wParam, lParam);
  ++g_answered;
  if (g_inPause) ++g_answeredInPause;
  return 1;
}

// libvlc may tell the output window's thread about its video window while
// the worker holds the wrapper's lock, so that thread keeps answering sent
// messages while it waits for the lock. The window thread here answers
// messages only inside its pause calls.
TEST_F(VlcPlayback, WindowThreadAnswersSentMessagesWhileItWaitsForThePlayers) {
  ASSERT_TRUE(PlayFile(WriteMedia(L"long.wav", MakeWav(4.0))));
  g_answered = 0;
  g_answeredInPause = 0;
  std::atomic<HWND> handle{nullptr};
  std::atomic<bool> ready{false}, registered{false}, done{false}, senderDone{false}, unbound{false};
  std::atomic<int> pauses{0};
  std::thread windowThread([&] {
    TestWindow window;
    EXPECT_TRUE(window.HasXWindow());
    SetWindowLongPtrW(window.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProbeProc));
    handle = window.Handle();
    ready = true;
    while (!registered) Sleep(1);
    while (!done) {
      g_inPause = true;
      PausePlayer(true);
      PauseListPlayer(true);
      PausePlayer(false);
      g_inPause = false;
      ++pauses;
    }
    // Answer the sender's last message, then wait to be unbound.
    while (!senderDone || !unbound) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  });
  while (!ready) Sleep(1);
  if (!handle) {
    done = senderDone = unbound = registered = true;
    windowThread.join();
    FAIL() << "no window";
  }
  SetVideoWindow(handle);
  registered = true;
  std::thread sender([&] {
    while (!done) SendMessageW(handle, kProbe, 0, 0);
    senderDone = true;
  });
  int rounds = 0;
  // The threads must be joined whatever happens, so no ASSERT in here.
  for (; rounds < 10 || (g_answeredInPause == 0 && rounds < 300); ++rounds) {
    GetVlcPlayer().RecreatePlayers();
    if (!PlayFile(MediaFolder() + L"long.wav")) {
      ADD_FAILURE() << "round " << rounds << " did not start";
      break;
    }
  }
  done = true;
  sender.join();
  SetVideoWindow(nullptr);
  unbound = true;
  windowThread.join();
  EXPECT_GT(pauses.load(), 0);
  EXPECT_GT(g_answeredInPause.load(), 0) << "after " << rounds << " rounds, " << g_answered << " answered";
  EXPECT_TRUE(StopPlayer());
}

// Sets an environment variable while it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) {
    SetEnvironmentVariableW(name, value);
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const wchar_t* name_;
};

// libvlc loads but libvlc_new fails: no player, nothing else reaches libvlc,
// and the show goes on.
TEST_F(VlcPlayback, LibvlcThatWillNotStartLeavesNoPlayer) {
  ReleasePlayer();
  ScopedEnvironment failNew(L"KEL_VLC_BRIDGE_FAIL_NEW", L"1");
  TraceRecorder trace;
  BridgeLog log;
  InitPlayer(nullptr);
  std::vector<BridgeCall> started = log.Calls("libvlc_new");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].result, "null");
  EXPECT_EQ(trace.Matching(L"libvlc: libvlc_new failed").size(), 1u);

  AddMedia(WriteMedia(L"a.wav", MakeWav(0.2)), L"p", 1);
  EXPECT_TRUE(AddWebMedia(FileUrl(MediaFolder() + L"a.wav"), L"p", 6));
  AddAdvert(L"ad.wav", L"TODOADVERTISINGPARENT", 4);
  CurrentMediaIndex = 0;
  ExpectNoPlayback();
  EXPECT_EQ(CurrentMediaIndex, 1) << "the show still moves on";
  ApplyVisualOptions(VisualModeGoom);
  EXPECT_FALSE(PlayNextMedia());
  EXPECT_FALSE(PlayNextAdvert());
  KEL_Logic::ShowLoadingPicture();
  ClearLists();
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), 0);
  for (const std::string& function : log.Functions()) EXPECT_EQ(function, "libvlc_new");
}

}  // namespace
