// The settings dialog as the wallpaper program builds it: its own two
// settings, its controls, and the commands that act on the running show.
#include <gtest/gtest.h>

#include "engine/Logic.h"
#include "engine/Settings.h"
#include "engine/ShowRequests.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/DialogFixture.h"

TEST(WallpaperDialog, OffersTheWallpapersControlsAndKeepsWhatItCannotUse) {
  DialogFixture f;
  // Stored modes the wallpaper cannot play stay checked and are written back.
  f.Registry().SetDword(L"WP_CurrentVisualIndex", 1);
  f.Registry().SetDword(L"SliderVal_PictureTimeout", 17);
  f.Registry().SetDword(L"PairImages", 1);
  ASSERT_TRUE(f.Open());
  for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP}) EXPECT_TRUE(f.Visible(id) && f.Enabled(id)) << id;
  for (int id : {IDC_CLOSE_WALLPAPER, IDC_WALLPAPER_LABEL, IDC_IDLE_OPTIONS}) EXPECT_TRUE(f.Enabled(id)) << id;
  for (int id : {IDC_VISUAL_LOCAL_IMAGE, IDC_VISUAL_GOOM, IDC_INTERVAL_SLIDER, IDC_INTERVAL_VALUE,
                 IDC_INTERVAL_LABEL, IDC_PAIR_IMAGES})
    EXPECT_FALSE(f.Enabled(id)) << id;
  for (int id : {IDC_POWER_NONE, IDC_POWER_SCREEN_SAVER, IDC_POWER_USE})
    EXPECT_FALSE(f.Visible(id) || f.Enabled(id)) << id;
  EXPECT_TRUE(f.Checked(IDC_VISUAL_LOCAL_IMAGE));
  // The show's own logic serves the dialog: it makes none of its own.
  EXPECT_EQ(nullptr, GetLogic());
  f.Ok();
  ASSERT_TRUE(f.Ended());
  EXPECT_EQ(1u, f.Dword(L"WP_CurrentVisualIndex"));
  EXPECT_EQ(17u, f.Dword(L"SliderVal_PictureTimeout"));
  EXPECT_EQ(1u, f.Dword(L"PairImages"));
}

// A stored mode on a disabled radio gives way to the one the user clicks.
TEST(WallpaperDialog, AClickedModeReplacesAStoredOneItCannotPlay) {
  DialogFixture f;
  f.Registry().SetDword(L"WP_CurrentVisualIndex", 1);
  ASSERT_TRUE(f.Open());
  ASSERT_TRUE(f.Checked(IDC_VISUAL_LOCAL_IMAGE));
  f.Click(IDC_VISUAL_RANDOM);
  EXPECT_TRUE(f.Checked(IDC_VISUAL_RANDOM));
  EXPECT_FALSE(f.Checked(IDC_VISUAL_LOCAL_IMAGE));
  f.Ok();
  ASSERT_TRUE(f.Ended());
  EXPECT_EQ(3u, f.Dword(L"WP_CurrentVisualIndex"));
}

TEST(WallpaperDialog, UsesItsOwnModeAndPowerValuesAndOkReloadsTheCatalog) {
  DialogFixture f;
  f.Registry().SetDword(L"CurrentVisualIndex", 6);
  f.Registry().SetDword(L"CurrentPowerIndex", 2);
  SetCatalogReloadRequested(false);
  ASSERT_TRUE(f.Open());
  // No "WP_" value yet: the wallpaper's default, Random, whatever kel keeps.
  EXPECT_TRUE(f.Checked(IDC_VISUAL_RANDOM));
  EXPECT_FALSE(f.Checked(IDC_VISUAL_SPECTROMETER));
  f.Ok();
  ASSERT_TRUE(f.Ended());
  EXPECT_EQ(3u, f.Dword(L"WP_CurrentVisualIndex"));
  EXPECT_EQ(0u, f.Dword(L"WP_CurrentPowerIndex"));
  EXPECT_EQ(6u, f.Dword(L"CurrentVisualIndex"));
  EXPECT_EQ(2u, f.Dword(L"CurrentPowerIndex"));
  EXPECT_TRUE(IsCatalogReloadRequested());
  SetCatalogReloadRequested(false);
}

TEST(WallpaperDialog, MuteTakesEffectAtOnceAndCancelLeavesTheRegistry) {
  DialogFixture f;
  f.Registry().SetDword(L"MuteAudio", 0);
  DropShowRequests();
  ASSERT_TRUE(f.Open());
  EXPECT_FALSE(MuteAudio);
  f.Click(IDC_MUTE_AUDIO);
  // In memory at once (the running player gets it at the show's next frame:
  // the end-to-end run sees libvlc muted).
  EXPECT_TRUE(MuteAudio);
  f.Cancel();
  ASSERT_TRUE(f.Ended());
  EXPECT_EQ(0u, f.Dword(L"MuteAudio"));
  EXPECT_TRUE(MuteAudio);
  DropShowRequests();
  MuteAudio = false;
}
