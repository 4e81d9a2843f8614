#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "media/Randomizer.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "support/TraceRecorder.h"

namespace {

using Options = std::vector<std::string>;

enum SettingBits { kShowName = 1, kBlankVideo = 2, kHighPriority = 4, kResetCache = 8, kMute = 16 };
constexpr int kAllSettings = kShowName | kBlankVideo | kHighPriority | kResetCache | kMute;

void ApplySettings(int bits) {
  ShowName = (bits & kShowName) != 0;
  BlankVideo = (bits & kBlankVideo) != 0;
  HighPriority = (bits & kHighPriority) != 0;
  ResetCache = (bits & kResetCache) != 0;
  MuteAudio = (bits & kMute) != 0;
}

class VisualOptions : public ::testing::Test {
 protected:
  void SetUp() override { ResetSettingsToDefaults(); }
  void TearDown() override {
    GetVlcPlayer().ClearOptions();
    ResetSettingsToDefaults();
  }
};

struct OptionCase {
  int mode;
  int settings;
  Options expected;
};

const OptionCase kCases[] = {
    {VisualModeLocalImage, 0,
     {"audio-visual=visual", "effect-list=none", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    {VisualModeNone, 0,
     {"audio-visual=visual", "effect-list=none", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    {VisualModeWebImage, 0, {"osd", "no-video-title-show", "one-instance", "ignore-config", "no-disable-screensaver"}},
    {VisualModeScope, 0,
     {"audio-visual=visual", "effect-list=scope", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    {VisualModeSpectrum, 0,
     {"audio-visual=visual", "effect-list=spectrum", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    {VisualModeSpectrometer, 0,
     {"audio-visual=visual", "effect-list=spectrometer", "osd", "no-video-title-show", "one-instance",
      "ignore-config", "no-disable-screensaver"}},
    {VisualModeVuMeter, 0,
     {"audio-visual=visual", "effect-list=vumeter", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    // Goom resets the plug-in cache whatever the setting says.
    {VisualModeGoom, 0,
     {"audio-visual=goom", "osd", "no-video-title-show", "one-instance", "ignore-config", "reset-plugins-cache",
      "no-disable-screensaver"}},
    {VisualModeLoadingPicture, 0,
     {"audio-visual=none", "effect-list=none", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    {VisualModeWebMedia, 0,
     {"audio-visual=visual", "effect-list=none", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    // Random with no effect order to draw from stays Random.
    {VisualModeRandom, 0,
     {"audio-visual=visual", "effect-list=none", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    {11, 0, {"osd", "no-video-title-show", "one-instance", "ignore-config", "no-disable-screensaver"}},
    {-7, 0, {"osd", "no-video-title-show", "one-instance", "ignore-config", "no-disable-screensaver"}},
    {VisualModeLocalImage, kShowName,
     {"audio-visual=visual", "effect-list=none", "osd", "video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    {VisualModeNone, kBlankVideo,
     {"audio-visual=visual", "effect-list=none", "osd", "no-video-title-show", "no-video", "one-instance",
      "ignore-config", "no-disable-screensaver"}},
    {VisualModeScope, kHighPriority,
     {"audio-visual=visual", "effect-list=scope", "osd", "no-video-title-show", "high-priority", "one-instance",
      "ignore-config", "no-disable-screensaver"}},
    {VisualModeSpectrum, kResetCache,
     {"audio-visual=visual", "effect-list=spectrum", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "reset-plugins-cache", "no-disable-screensaver"}},
    // Mute goes to the player, not into the table.
    {VisualModeVuMeter, kMute,
     {"audio-visual=visual", "effect-list=vumeter", "osd", "no-video-title-show", "one-instance", "ignore-config",
      "no-disable-screensaver"}},
    {VisualModeLocalImage, kAllSettings,
     {"audio-visual=visual", "effect-list=none", "osd", "video-title-show", "no-video", "high-priority",
      "one-instance", "ignore-config", "reset-plugins-cache", "no-disable-screensaver"}},
    {VisualModeGoom, kAllSettings,
     {"audio-visual=goom", "osd", "video-title-show", "no-video", "high-priority", "one-instance", "ignore-config",
      "reset-plugins-cache", "no-disable-screensaver"}},
    {VisualModeWebImage, kAllSettings,
     {"osd", "video-title-show", "no-video", "high-priority", "one-instance", "ignore-config", "reset-plugins-cache",
      "no-disable-screensaver"}},
    {VisualModeLoadingPicture, kAllSettings,
     {"audio-visual=none", "effect-list=none", "osd", "video-title-show", "no-video", "high-priority",
      "one-instance", "ignore-config", "reset-plugins-cache", "no-disable-screensaver"}},
};

TEST_F(VisualOptions, EveryModeAndSettingGivesItsOptionsAndUsePower) {
  for (const OptionCase& c : kCases) {
    ResetSettingsToDefaults();
    ApplySettings(c.settings);
    CurrentPowerIndex = PowerIndexNoPower;
    ApplyVisualOptions(static_cast<VisualMode>(c.mode));
    EXPECT_EQ(GetVlcPlayer().GetOptions(), c.expected) << "mode " << c.mode << " settings " << c.settings;
    EXPECT_EQ(CurrentPowerIndex, PowerIndexUsePower) << "mode " << c.mode;
  }
}

TEST_F(VisualOptions, KeepLeavesTheTableAndThePowerMode) {
  ShowName = true;
  ApplyVisualOptions(VisualModeScope);
  Options before = GetVlcPlayer().GetOptions();
  ShowName = false;
  CurrentPowerIndex = PowerIndexScreenSaver;
  ApplyVisualOptions(VisualModeKeep);
  EXPECT_EQ(GetVlcPlayer().GetOptions(), before);
  EXPECT_EQ(CurrentPowerIndex, PowerIndexScreenSaver);
}

// Random draws its effect from slot 3's shuffled order of the four effects.
TEST_F(VisualOptions, RandomFollowsTheEffectOrder) {
  const char* effects[] = {"effect-list=scope", "effect-list=spectrum", "effect-list=spectrometer",
                           "effect-list=vumeter"};
  std::srand(1234);
  Tam_Randomizer randomizer;
  randomizer.CreateSlots(4);
  randomizer.SetupSlot(3, 4);
  randomizer.ShuffleSlot(3);
  const Tam_RandomOID* order = randomizer.Slot(3);
  ASSERT_NE(order, nullptr);
  std::set<std::string> seen;
  for (int i = 1; i <= 3; ++i) {
    int expected = order->GetAt(i);
    ApplyVisualOptions(VisualModeRandom);
    Options options = GetVlcPlayer().GetOptions();
    ASSERT_GE(options.size(), 2u);
    EXPECT_EQ(options[0], "audio-visual=visual");
    EXPECT_EQ(options[1], effects[expected]) << "call " << i;
    seen.insert(options[1]);
  }
  EXPECT_EQ(seen.size(), 3u);
  // Every later pass is a whole permutation of the four.
  seen.clear();
  for (int i = 0; i < 4; ++i) {
    ApplyVisualOptions(VisualModeRandom);
    seen.insert(GetVlcPlayer().GetOptions()[1]);
  }
  EXPECT_EQ(seen.size(), 4u);
}

TEST_F(VisualOptions, TableHoldsThirtyAndSaysSoWhenFull) {
  CVlcPlayer& vlc = GetVlcPlayer();
  vlc.ClearOptions();
  TraceRecorder trace;
  for (int i = 0; i < CVlcPlayer::kMaxOptions; ++i) EXPECT_TRUE(vlc.AddOption("option-" + std::to_string(i)));
  EXPECT_FALSE(vlc.AddOption("one-too-many"));
  Options options = vlc.GetOptions();
  ASSERT_EQ(options.size(), 30u);
  EXPECT_EQ(options.back(), "option-29");
  EXPECT_EQ(trace.Matching(L"option table full").size(), 1u);

  // Long options are kept whole.
  std::string longOption = "sout=" + std::string(5000, 'x');
  vlc.ClearOptions();
  EXPECT_TRUE(vlc.GetOptions().empty());
  EXPECT_TRUE(vlc.AddOption(longOption));
  EXPECT_EQ(vlc.GetOptions(), Options{longOption});
}

}  // namespace
