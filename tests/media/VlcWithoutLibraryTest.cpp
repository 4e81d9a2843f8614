// The show without libvlc: an install folder without libvlc.dll (and none
// anywhere else on the search path), or no list player at all (the screen
// saver's configure mode). Nothing may crash; everything reports failure.
#include <gtest/gtest.h>

#include <memory>

#include "engine/Logic.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "support/TestPaths.h"
#include "support/TraceRecorder.h"
#include "support/VlcFixture.h"

namespace {

constexpr int kError = 7;

class WithoutLibvlc : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettingsToDefaults();
    install_ = MakeTempFolder(L"kel-novlc");
    KEL_TARGETDIR = install_;
  }
  void TearDown() override {
    ReleasePlayer();
    GetVlcPlayer().ClearListLocations();
    RemoveTree(install_);
    ResetSettingsToDefaults();
  }
  std::wstring install_;
};

TEST_F(WithoutLibvlc, EveryWrapperOperationReportsFailure) {
  TraceRecorder trace;
  CVlcPlayer& vlc = GetVlcPlayer();
  EXPECT_FALSE(vlc.OpenLibrary(install_));
  EXPECT_FALSE(vlc.IsOpen());
  EXPECT_EQ(trace.Matching(L"libvlc: not found").size(), 1u);

  EXPECT_EQ(vlc.NewMediaFromPath(L"C:\\a.wav"), nullptr);
  EXPECT_FALSE(vlc.PlayMedia(nullptr));
  EXPECT_FALSE(vlc.AddListLocation(L"http://example.invalid/stream"));
  EXPECT_EQ(vlc.GetListLocationCount(), 1) << "kept for when libvlc comes";
  EXPECT_EQ(vlc.ListItemAt(0), nullptr);
  EXPECT_EQ(vlc.PlayListItem(nullptr), -1);
  EXPECT_EQ(vlc.ListItemDuration(0), 3u);
  EXPECT_FALSE(vlc.IsListItemPlaying(0));
  EXPECT_FALSE(vlc.MediaPlayerPause(true));
  EXPECT_FALSE(vlc.MediaPlayerPause(false));
  EXPECT_FALSE(vlc.ListPlayerPause(true));
  EXPECT_FALSE(vlc.MediaPlayerStop());
  EXPECT_FALSE(vlc.ListPlayerStop());
  EXPECT_EQ(vlc.MediaPlayerState(), kError);
  EXPECT_EQ(vlc.ListPlayerState(), kError);
  EXPECT_FALSE(vlc.MediaPlayerSetPosition(0.5f));
  EXPECT_FALSE(vlc.MediaPlayerWillPlay());
  EXPECT_FALSE(vlc.ReleaseMedia(nullptr));
  vlc.SetOutputWindow(GetDesktopWindow());
  EXPECT_EQ(vlc.GetOutputWindow(), nullptr);
  vlc.SetMute(true);
  vlc.RecreatePlayers();
  vlc.ClearListLocations();
  EXPECT_EQ(vlc.GetListLocationCount(), 0);
  EXPECT_TRUE(vlc.CloseLibrary());
  vlc.SetOutputWindow(nullptr);
}

// The show goes on: the index moves, the state reads as an error so the
// watching actions move on, and the loading picture road returns.
TEST_F(WithoutLibvlc, ShowGoesOnWithoutPlayback) {
  KEL_TamListPlayer player;
  InitPlayer(nullptr);
  EXPECT_FALSE(GetVlcPlayer().IsOpen());
  AddMedia(L"C:/music/a.wav", L"C:/music", 1);
  AddWebMedia(L"http://example.invalid/stream", L"web", 6);
  CurrentMediaIndex = -1;
  EXPECT_FALSE(PlayNextMedia());
  EXPECT_EQ(CurrentMediaIndex, 0);
  EXPECT_EQ(GetPlayerState(), kError);
  EXPECT_FALSE(PlayNextMedia());
  EXPECT_EQ(CurrentMediaIndex, 1);
  EXPECT_EQ(GetPlayerState(), kError);
  EXPECT_FALSE(PausePlayer(true));
  EXPECT_FALSE(PauseListPlayer(true));
  EXPECT_FALSE(StopPlayer());
  EXPECT_FALSE(StopListPlayer());
  EXPECT_FALSE(PlayFile(L"C:\\a.wav"));
  ApplyVisualOptions(VisualModeGoom);
  SetVideoWindow(GetDesktopWindow());
  LoadingPicturePending = 1;
  KEL_Logic::ShowLoadingPicture();
  EXPECT_EQ(LoadingPicturePending, 0);
  ExpectNoPlayback();
  EXPECT_TRUE(RemoveMedia(L"http://example.invalid/stream"));
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), 0);
  ClearLists();
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), 0);
}

// A file of that name that is not libvlc 3 counts as no libvlc.
TEST_F(WithoutLibvlc, ABrokenLibvlcDllIsNoLibvlc) {
  ASSERT_TRUE(WriteFileBytes(install_ + L"libvlc.dll", "MZ this is not a library"));
  KEL_TamListPlayer player;
  InitPlayer(nullptr);
  EXPECT_FALSE(GetVlcPlayer().IsOpen());
  EXPECT_EQ(GetPlayerState(), kError);
}

TEST_F(WithoutLibvlc, AnyLengthOfInstallFolder) {
  std::wstring folder = L"C:\\";
  while (folder.size() < 5000) folder += L"a very long install folder name\\";
  KEL_TARGETDIR = folder;
  KEL_TamListPlayer player;
  InitPlayer(nullptr);
  EXPECT_FALSE(GetVlcPlayer().IsOpen());
  AddAdvert(L"kelconfig/AdMedia/ad.wav", L"TODOADVERTISINGPARENT", 4);
  EXPECT_EQ(player.adverts[0].path, folder + L"kelconfig/AdMedia/ad.wav");
  EXPECT_FALSE(PlayNextAdvert());
  EXPECT_EQ(CurrentAdvertisingIndex, 0);
}

// The screen saver's configure mode has no worker thread and so no list
// player; the dialog's buttons still call in.
TEST_F(WithoutLibvlc, NoListPlayerAtAll) {
  ASSERT_EQ(GetListPlayer(), nullptr);
  EXPECT_FALSE(AddMedia(L"C:\\a.wav", L"C:\\", 1));
  EXPECT_FALSE(AddWebMedia(L"http://example.invalid/", L"web", 6));
  EXPECT_EQ(GetMediaCount(), 0);
  EXPECT_FALSE(PlayNextMedia());
  EXPECT_FALSE(PlayNextAdvert());
  EXPECT_FALSE(LoadNextPicture());
  EXPECT_FALSE(FindPairedPicture());
  EXPECT_FALSE(LoadPairedPicture());
  EXPECT_EQ(GetCurrentMediaKind(), 0);
  std::wstring path = L"unchanged";
  GetCurrentMediaPath(path);
  EXPECT_EQ(path, L"unchanged");
  EXPECT_EQ(GetPlayerState(), kError);
  EXPECT_FALSE(PausePlayer(true));
  EXPECT_FALSE(PauseListPlayer(false));
  EXPECT_FALSE(StopPlayer());
  EXPECT_FALSE(PlayFile(L"C:\\a.wav"));
  EXPECT_FALSE(RemoveMedia(L"C:\\a.wav"));
  EXPECT_TRUE(RemoveMediaAlways(L"C:\\a.wav"));
  EXPECT_EQ(RemoveMediaIndex(L"C:\\a.wav"), -1);
  EXPECT_FALSE(RemoveAdvert(L"C:\\a.wav"));
  EXPECT_FALSE(RemovePicture(L"C:\\a.png"));
  EXPECT_FALSE(RemoveCatalogNode(L"C:\\"));
  ExpectNoPlayback();
  ClearLists();
}

}  // namespace
