// PLAYLIST items through real libvlc (the bridge, with libvlc's own outputs,
// so a tone takes its real time): libvlc reads the playlist into entries, and
// the list player plays them one after another, local files and files from a
// web server inside this test alike.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/VlcPlayer.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/HttpServer.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"
#include "support/VlcFixture.h"

namespace {

constexpr int kPlaying = 3;
constexpr int kEnded = 6;
constexpr int kError = 7;
// libvlc reports a file's end about a second before its sound has been
// heard out (what the audio output still holds); a failed entry ends at once.
constexpr double kToneSeconds = 2.5;
constexpr double kHeardAtLeast = kToneSeconds - 1.5;

// One entry as the player went through it.
struct EntryRun {
  bool played = false;
  double seconds = 0;
};

// Plays the PLAYLIST item as the show's audio road does: whenever the
// playlist or an entry has ended or failed, the next entry; until none is
// left. The MRLs of the entries come from the bridge's log.
std::vector<EntryRun> PlayThrough(DWORD ms = 20000) {
  std::vector<EntryRun> entries;
  CurrentMediaIndex = -1;
  if (!PlayNextMedia()) return entries;
  DWORD start = GetTickCount();
  DWORD entryStart = 0;
  bool inEntry = false;
  while (GetTickCount() - start < ms) {
    int state = GetPlayerState();
    if (inEntry && state == kPlaying) entries.back().played = true;
    if (state == kEnded || state == kError) {
      if (inEntry) entries.back().seconds = (GetTickCount() - entryStart) / 1000.0;
      if (!PlayNextPlaylistEntry()) return entries;
      entries.push_back(EntryRun());
      entryStart = GetTickCount();
      inEntry = true;
    }
    Sleep(10);
  }
  ADD_FAILURE() << "the playlist did not end";
  return entries;
}

std::vector<std::string> EntryMrls(const BridgeLog& log) {
  std::vector<std::string> mrls;
  for (const BridgeCall& call : log.Calls("libvlc_media_get_mrl")) mrls.push_back(call.result);
  return mrls;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class PlaylistPlayback : public VlcFixture {
 protected:
  PlaylistPlayback() { dummyOutputs_ = false; }
  void SetUp() override {
    VlcFixture::SetUp();
    ASSERT_TRUE(server.Started());
    server.Serve("/web.wav", MakeWav(kToneSeconds, 22050, 660));
    CurrentVisualIndex = 0;
    WriteMedia(L"local.wav", MakeWav(kToneSeconds));
  }
  // The playlist file beside the tones, as the only media item.
  void UsePlaylist(const std::wstring& name, const std::string& text) {
    AddMedia(WriteMedia(name, text), MediaFolder(), 3);
  }
  std::string WebUrl(const std::string& path = "/web.wav") const { return WideToUtf8(server.Url(path)); }

  HttpServer server;
};

struct PlaylistFormat {
  const char* name;
  const wchar_t* file;
  // The playlist's text for a local entry and a web entry.
  std::string (*text)(const std::string& local, const std::string& web);
};

const PlaylistFormat kFormats[] = {
    {"m3u", L"list.m3u", [](const std::string& a, const std::string& b) { return a + "\r\n" + b + "\r\n"; }},
    {"m3u8", L"list.m3u8",
     [](const std::string& a, const std::string& b) {
       return "#EXTM3U\r\n#EXTINF:1,Local\r\n" + a + "\r\n#EXTINF:1,Web\r\n" + b + "\r\n";
     }},
    {"pls", L"list.pls",
     [](const std::string& a, const std::string& b) {
       return "[playlist]\r\nFile1=" + a + "\r\nTitle1=Local\r\nFile2=" + b + "\r\nNumberOfEntries=2\r\nVersion=2\r\n";
     }},
    {"xspf", L"list.xspf",
     [](const std::string& a, const std::string& b) {
       return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">"
              "<trackList><track><location>" + a + "</location></track><track><location>" + b +
              "</location></track></trackList></playlist>\n";
     }},
    {"asx", L"list.asx",
     [](const std::string& a, const std::string& b) {
       return "<asx version=\"3.0\"><entry><ref href=\"" + a + "\"/></entry><entry><ref href=\"" + b +
              "\"/></entry></asx>\n";
     }},
    {"wpl", L"list.wpl",
     [](const std::string& a, const std::string& b) {
       return "<?wpl version=\"1.0\"?>\n<smil><head><title>list</title></head><body><seq><media src=\"" + a +
              "\"/><media src=\"" + b + "\"/></seq></body></smil>\n";
     }},
};

class PlaylistFormats : public PlaylistPlayback, public testing::WithParamInterface<PlaylistFormat> {};

// Each entry is opened in the playlist's order and plays for its length;
// after the last one nothing is left.
TEST_P(PlaylistFormats, PlaysEveryEntryForItsLength) {
  const PlaylistFormat& format = GetParam();
  UsePlaylist(format.file, format.text("local.wav", WebUrl()));
  BridgeLog log;
  std::vector<EntryRun> entries = PlayThrough();

  std::vector<std::string> mrls = EntryMrls(log);
  ASSERT_EQ(mrls.size(), 2u);
  EXPECT_EQ(mrls[0].compare(0, 8, "file:///"), 0) << mrls[0];
  EXPECT_TRUE(EndsWith(mrls[0], "/local.wav")) << mrls[0];
  EXPECT_EQ(mrls[1], WebUrl());
  ASSERT_EQ(entries.size(), 2u);
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_TRUE(entries[i].played) << i;
    EXPECT_GE(entries[i].seconds, kHeardAtLeast) << i << ": it did not play for its length";
  }
  EXPECT_GE(server.Requests("/web.wav"), 1);
  // Each entry went to the media player with the playlist's options.
  std::vector<BridgeCall> set = log.Calls("libvlc_media_player_set_media");
  ASSERT_EQ(set.size(), 3u);  // the playlist, then its two entries
  for (const BridgeCall& entry : {set[1], set[2]}) {
    bool visual = false;
    for (const BridgeCall& option : log.Calls("libvlc_media_add_option"))
      visual = visual || (option.fields[0] == entry.fields[1] && option.fields[1] == "audio-visual=visual");
    EXPECT_TRUE(visual) << entry.fields[1];
  }
}

INSTANTIATE_TEST_SUITE_P(AsLibvlcReadsThem, PlaylistFormats, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<PlaylistFormat>& info) { return info.param.name; });

// Playlists that give nothing to hear are done with at once; one inside
// another is gone into; one that names itself ends.
struct PlaylistCase {
  const char* name;
  const wchar_t* file;
  std::string (*text)(const std::string& web404, const std::string& refused);
  std::vector<bool> played;  // per entry that was started
};

const PlaylistCase kCases[] = {
    {"empty", L"empty.m3u", [](const std::string&, const std::string&) { return std::string("#EXTM3U\r\n"); }, {}},
    {"every entry fails", L"failing.m3u",
     [](const std::string& web404, const std::string& refused) {
       return "missing.wav\r\n" + web404 + "\r\n" + refused + "\r\n";
     },
     {false, false, false}},
    {"nested", L"outer.m3u",
     [](const std::string&, const std::string&) { return std::string("inner.m3u\r\nlocal.wav\r\n"); },
     {false, true, true}},
    {"names itself", L"self.m3u", [](const std::string&, const std::string&) { return std::string("self.m3u\r\n"); },
     std::vector<bool>(CVlcPlayer::kMaxPlaylistDepth, false)},
};

class PlaylistCases : public PlaylistPlayback, public testing::WithParamInterface<PlaylistCase> {};

TEST_P(PlaylistCases, EndWhenNothingIsLeft) {
  const PlaylistCase& c = GetParam();
  WriteMedia(L"inner.m3u", "local.wav\r\n");
  UsePlaylist(c.file, c.text(WebUrl("/none.wav"), "http://127.0.0.1:1/refused.wav"));
  std::vector<EntryRun> entries = PlayThrough();
  ASSERT_EQ(entries.size(), c.played.size());
  for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].played, c.played[i]) << i;
  EXPECT_FALSE(PlayNextPlaylistEntry());
}

INSTANTIATE_TEST_SUITE_P(Playlists, PlaylistCases, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<PlaylistCase>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == ' ') c = '_';
                           return name;
                         });

// Any other start ends the playlist, and every reference the playlist took
// (the playlist kept, its entries, their lists) is given back.
TEST_F(PlaylistPlayback, AnotherItemEndsItAndEveryReferenceGoesBack) {
  UsePlaylist(L"outer.m3u", "inner.m3u\r\nlocal.wav\r\n");
  WriteMedia(L"inner.m3u", "local.wav\r\nlocal.wav\r\n");
  BridgeLog log;
  CurrentMediaIndex = -1;
  ASSERT_TRUE(PlayNextMedia());
  ASSERT_TRUE(WaitUntil(10000, [] { return GetPlayerState() == kEnded; }));
  ASSERT_TRUE(PlayNextPlaylistEntry());  // inner.m3u
  ASSERT_TRUE(WaitUntil(10000, [] { return GetPlayerState() == kEnded; }));
  ASSERT_TRUE(PlayNextPlaylistEntry());  // its first entry
  ASSERT_TRUE(PlayFile(MediaFolder() + L"local.wav"));
  EXPECT_FALSE(PlayNextPlaylistEntry());
  ReleasePlayer();

  int taken = 0, released = 0, lists = 0, listsReleased = 0;
  std::vector<std::string> entryLists;
  for (const BridgeCall& call : log.Calls()) {
    const std::string& f = call.function;
    if ((f == "libvlc_media_new_path" || f == "libvlc_media_list_item_at_index") && call.result != "null") ++taken;
    if (f == "libvlc_media_retain") ++taken;
    if (f == "libvlc_media_release") ++released;
    if (f == "libvlc_media_subitems" && call.result != "null") {
      ++lists;
      entryLists.push_back(call.result);
    }
    if (f == "libvlc_media_list_release")
      for (const std::string& list : entryLists)
        if (call.fields[0] == list) ++listsReleased;
  }
  EXPECT_GT(lists, 1);
  EXPECT_EQ(released, taken);
  EXPECT_EQ(listsReleased, lists);
}

}  // namespace
