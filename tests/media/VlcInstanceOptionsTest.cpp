#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Settings.h"
#include "media/VisualOptions.h"
#include "media/VlcInstanceOptions.h"
#include "media/VlcPlayer.h"

namespace {

using Arguments = std::vector<std::string>;

struct ModeCase {
  VisualMode mode;
  Arguments expected;
};

// What each mode's option table hands to libvlc_new; the rest of the table
// stays with the media. Modes without a visualisation hand over nothing.
const ModeCase kModes[] = {
    {VisualModeNone, {}},
    {VisualModeLocalImage, {}},
    {VisualModeWebImage, {}},
    {VisualModeScope, {"--audio-visual=visual", "--effect-list=scope"}},
    {VisualModeSpectrum, {"--audio-visual=visual", "--effect-list=spectrum"}},
    {VisualModeSpectrometer, {"--audio-visual=visual", "--effect-list=spectrometer"}},
    {VisualModeVuMeter, {"--audio-visual=visual", "--effect-list=vumeter"}},
    {VisualModeGoom, {"--audio-visual=goom"}},
    {VisualModeLoadingPicture, {}},
    {VisualModeWebMedia, {}},
};

TEST(VlcInstanceOptions, EachModeGivesItsVisualOptionsAsLibvlcArguments) {
  ResetSettingsToDefaults();
  for (int settings = 0; settings < 2; ++settings) {
    ShowName = BlankVideo = HighPriority = ResetCache = MuteAudio = settings != 0;
    for (const ModeCase& c : kModes) {
      ApplyVisualOptions(c.mode);
      EXPECT_EQ(InstanceArgumentsFor(GetVlcPlayer().GetOptions()), c.expected) << "mode " << c.mode;
    }
  }
  GetVlcPlayer().ClearOptions();
  ResetSettingsToDefaults();
}

TEST(VlcInstanceOptions, OnlyInstanceOptionsAreTakenWithOrWithoutNo) {
  const struct {
    const char* option;
    bool instance;
  } kCases[] = {
      {"audio-visual=visual", true}, {"effect-list=scope", true}, {"no-audio-visual", true},
      {"effect-list", true},         {"osd", false},              {"no-video-title-show", false},
      {"audio-visualx=1", false},    {"effect", false},           {"", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(IsInstanceOption(c.option), c.instance) << c.option;
  EXPECT_EQ(InstanceArgumentsFor({"osd", "effect-list=vumeter", "one-instance", "audio-visual=visual"}),
            (Arguments{"--effect-list=vumeter", "--audio-visual=visual"}));
}

// libvlc's visual filter given the effect "none" draws nothing and reports
// failures; no visualisation is libvlc's default, so such options stay out.
TEST(VlcInstanceOptions, OptionsAskingForNoVisualisationStayOut) {
  const struct {
    Arguments options;
    Arguments expected;
  } kCases[] = {
      {{"audio-visual=visual", "effect-list=none", "osd"}, {}},
      {{"effect-list=none", "audio-visual=visual"}, {}},
      {{"audio-visual=none", "effect-list=none"}, {}},
      {{"audio-visual=none"}, {}},
      {{"audio-visual=visual", "effect-list=none", "video-wallpaper"}, {"--video-wallpaper"}},
      {{"audio-visual=visual", "effect-list=scope"}, {"--audio-visual=visual", "--effect-list=scope"}},
      {{"audio-visual=visual"}, {"--audio-visual=visual"}},  // libvlc's default effect
      {{"audio-visual=goom", "effect-list=none"}, {"--audio-visual=goom"}},
      {{"effect-list=none", "audio-visual=visual", "effect-list=vumeter"},
       {"--audio-visual=visual", "--effect-list=vumeter"}},
  };
  for (const auto& c : kCases) {
    std::string shown;
    for (const std::string& option : c.options) shown += option + " ";
    EXPECT_EQ(InstanceArgumentsFor(c.options), c.expected) << shown;
  }
}

TEST(VlcInstanceOptions, TheLastTitleOptionSaysWhetherTheTitleShows) {
  const struct {
    Arguments options;
    bool shown;
  } kCases[] = {
      {{"osd", "video-title-show", "one-instance"}, true},
      {{"osd", "no-video-title-show", "one-instance"}, false},
      {{"no-video-title-show", "video-title-show"}, true},
      {{"video-title-show", "no-video-title-show"}, false},
      {{"osd"}, false},  // libvlc's player shows none of its own accord
      {{"video-title-show-x"}, false},
  };
  for (const auto& c : kCases) EXPECT_EQ(ShowsTitle(c.options), c.shown) << c.options.size() << " " << c.options[0];
  ResetSettingsToDefaults();
  for (bool showName : {false, true}) {
    ShowName = showName;
    ApplyVisualOptions(VisualModeNone);
    EXPECT_EQ(ShowsTitle(GetVlcPlayer().GetOptions()), showName);
  }
  GetVlcPlayer().ClearOptions();
  ResetSettingsToDefaults();
}

}  // namespace
