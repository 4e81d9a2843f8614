// The engine's rules as the wallpaper program is built: its own two registry
// values and defaults, its playback options and its single-instance rule.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/InstanceCheck.h"
#include "engine/ProgramVariant.h"
#include "engine/Settings.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "support/RegistrySandbox.h"
#include "wallpaper/WallpaperFixtures.h"

namespace {

using Options = std::vector<std::string>;

class WallpaperSettings : public testing::Test {
 protected:
  void SetUp() override { ResetSettingsToDefaults(); }
  void TearDown() override {
    GetVlcPlayer().ClearOptions();
    ResetSettingsToDefaults();
  }
  RegistrySandbox registry;
};

}  // namespace

TEST_F(WallpaperSettings, DefaultsAreRandomAndNoPower) {
  ASSERT_TRUE(IsWallpaperProgram());
  // kel's values are there but are not the wallpaper's.
  registry.SetDword(L"CurrentVisualIndex", 5);
  registry.SetDword(L"CurrentPowerIndex", 2);
  LoadSettings();
  EXPECT_EQ(CurrentVisualIndex, 3);
  EXPECT_EQ(CurrentPowerIndex, 0);
}

TEST_F(WallpaperSettings, ModesLiveInTheWallpapersOwnValues) {
  registry.SetDword(L"WP_CurrentVisualIndex", 7);
  registry.SetDword(L"WP_CurrentPowerIndex", 1);
  registry.SetDword(L"CurrentVisualIndex", 5);
  registry.SetDword(L"CurrentPowerIndex", 2);
  LoadSettings();
  EXPECT_EQ(CurrentVisualIndex, 7);
  EXPECT_EQ(CurrentPowerIndex, 1);

  registry.SetDword(L"WP_CurrentVisualIndex", 0xFFFFFFF0u);  // negative reads as -1
  LoadSettings();
  EXPECT_EQ(CurrentVisualIndex, -1);

  CurrentVisualIndex = 4;
  CurrentPowerIndex = 2;
  WriteCurrentIndexes();
  DWORD value = 0;
  ASSERT_TRUE(registry.GetDword(L"WP_CurrentVisualIndex", &value));
  EXPECT_EQ(value, 4u);
  ASSERT_TRUE(registry.GetDword(L"WP_CurrentPowerIndex", &value));
  EXPECT_EQ(value, 2u);
  // kel's two values are never written by the wallpaper.
  ASSERT_TRUE(registry.GetDword(L"CurrentVisualIndex", &value));
  EXPECT_EQ(value, 5u);
  ASSERT_TRUE(registry.GetDword(L"CurrentPowerIndex", &value));
  EXPECT_EQ(value, 2u);
}

// Every item but the loading picture plays as the wallpaper, with the power
// index set to "No Power"; the loading picture keeps the index.
TEST_F(WallpaperSettings, PlaybackOptionsEndAsAWallpaper) {
  struct Case {
    VisualMode mode;
    Options tail;
    int powerAfter;
  };
  const Case cases[] = {
      {VisualModeNone, {"ignore-config", "video-wallpaper", "disable-screensaver"}, PowerIndexNoPower},
      {VisualModeScope, {"ignore-config", "video-wallpaper", "disable-screensaver"}, PowerIndexNoPower},
      {VisualModeRandom, {"ignore-config", "video-wallpaper", "disable-screensaver"}, PowerIndexNoPower},
      {VisualModeWebImage, {"ignore-config", "video-wallpaper", "disable-screensaver"}, PowerIndexNoPower},
      {VisualModeWebMedia, {"ignore-config", "video-wallpaper", "disable-screensaver"}, PowerIndexNoPower},
      {VisualModeLoadingPicture, {"effect-list=none", "osd", "no-video-title-show", "one-instance", "ignore-config"},
       PowerIndexUsePower},
  };
  for (const Case& c : cases) {
    CurrentPowerIndex = PowerIndexUsePower;
    ApplyVisualOptions(c.mode);
    Options options = GetVlcPlayer().GetOptions();
    ASSERT_GE(options.size(), c.tail.size()) << "mode " << c.mode;
    Options tail(options.end() - c.tail.size(), options.end());
    EXPECT_EQ(tail, c.tail) << "mode " << c.mode;
    EXPECT_EQ(CurrentPowerIndex, c.powerAfter) << "mode " << c.mode;
    for (const std::string& option : options) EXPECT_NE(option, "no-disable-screensaver") << "mode " << c.mode;
  }
  // The keep mode touches nothing.
  CurrentPowerIndex = PowerIndexScreenSaver;
  ApplyVisualOptions(VisualModeKeep);
  EXPECT_EQ(CurrentPowerIndex, PowerIndexScreenSaver);
}

// The wallpaper counts itself once: any second process of either program
// blocks it.
TEST(WallpaperInstanceRule, AnySecondProgramBlocks) {
  {
    RunningPrograms programs;
    ASSERT_TRUE(programs.Start(L"kelwall.exe"));  // stands for this wallpaper
    EXPECT_FALSE(IsAnotherInstanceRunning(nullptr));
    ASSERT_TRUE(programs.Start(L"KELWALL.EXE"));
    EXPECT_TRUE(IsAnotherInstanceRunning(nullptr));
  }
  RunningPrograms programs;
  ASSERT_TRUE(programs.Start(L"kelwall.exe"));
  ASSERT_TRUE(programs.Start(L"kel.scr"));
  EXPECT_TRUE(IsAnotherInstanceRunning(nullptr));
}
