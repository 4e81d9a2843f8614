// The dialog's playback check boxes ("Show Name", "Blank Video", "Mute
// Audio") as a user meets them: items started on the show's own roads play
// through real libvlc (Debian's, through the Wine bridge, with its own video
// output) into a window on the screen, and their sound into a recorded sound
// device. Each item is watched from its start to its end.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "support/BlackWindow.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/VlcBridge.h"
#include "support/VlcFixture.h"

namespace {

constexpr int kPlaying = 3;
constexpr int kEnded = 6;
constexpr int kError = 7;
constexpr uint32_t kClipColour = 0x2040A0;
constexpr uint32_t kNextClipColour = 0x20A040;
constexpr int kClipSeconds = 4;
constexpr int kClipFps = 10;
constexpr double kToneLevel = 12000.0 / 32768.0;  // MakeAvi's and MakeWav's

// What the window showed and the sound device took while an item played.
struct Seen {
  std::vector<int> states;
  int mostLit = -1;    // lit pixels at the brightest moment
  int mostTitle = -1;  // white pixels in the picture's lower third, at most
  int framesOver = 0;  // screenshots the title was looked for in
  double loudest = -1;
};

bool Near(uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 40) return false;
  return true;
}

// The title is white text (with a dark outline) at the bottom of the
// picture; the clip itself has no white in it.
int TitlePixels(const std::vector<uint32_t>& pixels) {
  int count = 0;
  for (size_t i = pixels.size() / 3 * 2; i < pixels.size(); ++i) {
    uint32_t p = pixels[i];
    if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200) ++count;
  }
  return count;
}

// Screenshots from the item's start until it ends or fails, then the sound
// the device took. With a colour, the title is looked for only while the
// picture has it: an X window that libvlc closed leaves its last picture on
// the screen until the next one is drawn.
Seen WatchUntilDone(const BlackWindow& window, const std::wstring& soundFile, const uint32_t* over = nullptr) {
  Seen seen;
  WaitUntil(20000, [&] {
    BlackWindow::Pump();
    int state = GetPlayerState();
    if (seen.states.empty() || seen.states.back() != state) seen.states.push_back(state);
    if (state == kPlaying) {
      std::vector<uint32_t> pixels = window.Pixels();
      if (!pixels.empty()) {
        seen.mostLit = std::max(seen.mostLit, static_cast<int>(std::count_if(pixels.begin(), pixels.end(), IsLit)));
        if (!over || Near(pixels[pixels.size() / 2 + BlackWindow::kWidth / 2], *over)) {
          ++seen.framesOver;
          seen.mostTitle = std::max(seen.mostTitle, TitlePixels(pixels));
        }
      }
    }
    return state == kEnded || state == kError;
  });
  StopPlayer();
  StopListPlayer();
  seen.loudest = LoudestSample(soundFile);
  return seen;
}

// How the item is started: as a video, as a web item of the list player,
// as audio in the Scope visualisation.
enum class Road { Video, WebItem, AudioWithScope };

struct SettingCase {
  const char* name;
  bool showName, blankVideo, muteAudio;
  Road road;
  bool picture;  // the clip (or the visualisation) on screen
  bool title;    // the item's title over its picture
  bool sound;    // the tone at the sound device
};

const SettingCase kCases[] = {
    {"AllOff", false, false, false, Road::Video, true, false, true},
    {"ShowName", true, false, false, Road::Video, true, true, true},
    {"ShowNameOverAWebItem", true, false, false, Road::WebItem, true, true, true},
    {"BlankVideo", false, true, false, Road::Video, false, false, true},
    {"BlankVideoOfAWebItem", false, true, false, Road::WebItem, false, false, true},
    {"MuteAudio", false, false, true, Road::Video, true, false, false},
    {"MuteAudioOfAWebItem", false, false, true, Road::WebItem, true, false, false},
    {"MuteAudioUnderAVisualisation", false, false, true, Road::AudioWithScope, true, false, false},
    {"AllOn", true, true, true, Road::Video, false, false, false},
};

void PrintTo(const SettingCase& c, std::ostream* os) { *os << c.name; }

class PlaybackSettings : public VlcFixture {
 protected:
  PlaybackSettings() {
    dummyOutputs_ = false;
    recordSound_ = true;
  }

  // A catalog of the one item, started as the show starts its next item.
  void StartOnRoad(Road road, uint32_t clipColour = kClipColour, const wchar_t* clipName = L"Holiday clip.avi") {
    if (road == Road::AudioWithScope) {
      CurrentVisualIndex = 4;
      AddMedia(WriteMedia(L"tone.wav", MakeWav(kClipSeconds)), L"p", MediaKindAudio);
    } else {
      std::wstring clip = WriteMedia(clipName, MakeAvi(160, 120, kClipSeconds * kClipFps, kClipFps, clipColour));
      if (road == Road::WebItem)
        AddWebMedia(FileUrl(clip), L"p", MediaKindWebMedia);
      else
        AddMedia(clip, L"p", MediaKindVideo);
    }
    CurrentMediaIndex = -1;
    ASSERT_TRUE(PlayNextMedia());
  }
};

class PlaybackSetting : public PlaybackSettings, public testing::WithParamInterface<SettingCase> {};

TEST_P(PlaybackSetting, ShowsAndSoundsAsTheBoxSays) {
  const SettingCase& c = GetParam();
  BlackWindow window;
  SetVideoWindow(window.Handle());
  ASSERT_EQ(window.LitPixels(), 0) << "the window starts black";
  ShowName = c.showName;
  BlankVideo = c.blankVideo;
  MuteAudio = c.muteAudio;

  StartOnRoad(c.road);
  Seen seen = WatchUntilDone(window, SoundFile());
  ASSERT_TRUE(PlayedToTheEnd(seen.states));
  ASSERT_GE(seen.mostLit, 0) << "no screenshot";
  if (c.picture)
    EXPECT_GT(seen.mostLit, BlackWindow::kWidth * BlackWindow::kHeight / 200) << "no picture on screen";
  else
    EXPECT_EQ(seen.mostLit, 0) << "a picture was shown";
  // The visualisation's own lines may be white anywhere.
  if (c.road != Road::AudioWithScope) {
    if (c.title)
      EXPECT_GT(seen.mostTitle, 20) << "no title over the picture";
    else
      EXPECT_EQ(seen.mostTitle, 0) << "a title over the picture";
  }
  ASSERT_GE(seen.loudest, 0) << "the sound device took nothing";
  if (c.sound)
    EXPECT_GT(seen.loudest, kToneLevel / 2) << "the tone did not reach the sound device";
  else
    EXPECT_LT(seen.loudest, 0.001) << "the tone reached the sound device";
}

INSTANTIATE_TEST_SUITE_P(Boxes, PlaybackSetting, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

// "Show Name" changed between two items (the dialog's OK while the show
// runs) holds for the next item, also when that item follows without a stop.
TEST_F(PlaybackSettings, TitleSwitchedBetweenItemsHoldsForTheNext) {
  for (bool showName : {true, false}) {
    SCOPED_TRACE(showName ? "switched on" : "switched off");
    BlackWindow window;
    SetVideoWindow(window.Handle());
    ShowName = !showName;
    StartOnRoad(Road::Video);
    ASSERT_TRUE(WaitUntil(15000, [&] {
      BlackWindow::Pump();
      return window.LitPixels() > BlackWindow::kWidth * BlackWindow::kHeight / 2;
    })) << "the first item's picture";

    ShowName = showName;
    ClearLists();
    StartOnRoad(Road::Video, kNextClipColour, L"Next clip.avi");
    Seen seen = WatchUntilDone(window, SoundFile(), &kNextClipColour);
    ASSERT_TRUE(PlayedToTheEnd(seen.states));
    ASSERT_GT(seen.framesOver, 0) << "the next item's picture never showed";
    if (showName)
      EXPECT_GT(seen.mostTitle, 20) << "no title over the next item";
    else
      EXPECT_EQ(seen.mostTitle, 0) << "a title over the next item";
    ClearLists();
  }
}

}  // namespace
