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
// stays with the media.
const ModeCase kModes[] = {
    {VisualModeNone, {"--audio-visual=visual", "--effect-list=none"}},
    {VisualModeLocalImage, {"--audio-visual=visual", "--effect-list=none"}},
    {VisualModeWebImage, {}},
    {VisualModeScope, {"--audio-visual=visual", "--effect-list=scope"}},
    {VisualModeSpectrum, {"--audio-visual=visual", "--effect-list=spectrum"}},
    {VisualModeSpectrometer, {"--audio-visual=visual", "--effect-list=spectrometer"}},
    {VisualModeVuMeter, {"--audio-visual=visual", "--effect-list=vumeter"}},
    {VisualModeGoom, {"--audio-visual=goom"}},
    {VisualModeLoadingPicture, {"--audio-visual=none", "--effect-list=none"}},
    {VisualModeWebMedia, {"--audio-visual=visual", "--effect-list=none"}},
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

}  // namespace
