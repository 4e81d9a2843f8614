// The list player's choosers: in order and shuffled, adverts, pairing, and
// pictures loaded (and skipped) as the show's texture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>

#include "engine/Logic.h"
#include "engine/ScrSvrApp.h"
#include "engine/ScrSvrThread.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/Randomizer.h"
#include "platform/WideText.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"
#include "support/VlcFixture.h"

namespace {

using ListPlayerChoice = VlcFixture;

// The Windows paths that reached libvlc_media_new_path, in order.
std::vector<std::wstring> PlayedPaths(const BridgeLog& log) {
  std::vector<std::wstring> paths;
  for (const BridgeCall& call : log.Calls("libvlc_media_new_path")) paths.push_back(Utf8ToWide(call.fields[0]));
  return paths;
}

TEST_F(ListPlayerChoice, MediaInOrderStartAtZeroAndWrap) {
  std::wstring a = WriteMedia(L"a.wav", MakeWav(0.2));
  std::wstring b = WriteMedia(L"b.wav", MakeWav(0.2));
  AddMedia(a, L"p", 1);
  AddMedia(b, L"p", 4);
  AddPicture(L"pic", WriteMedia(L"p.png", MakePng(4, 4, 0, 0)), L"p", 2);
  EXPECT_EQ(GetMediaCount(), 2);
  EXPECT_EQ(GetAudioCount(), 1);
  EXPECT_EQ(GetVideoCount(), 1);
  EXPECT_EQ(GetPictureCount(), 1);
  BridgeLog log;
  CurrentMediaIndex = -1;  // a negative stored index
  std::vector<int> indexes;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(PlayNextMedia());
    indexes.push_back(CurrentMediaIndex);
  }
  EXPECT_EQ(indexes, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(PlayedPaths(log), (std::vector<std::wstring>{a, b, a}));
  EXPECT_EQ(GetCurrentMediaKind(), 1);
  std::wstring path;
  GetCurrentMediaPath(path);
  EXPECT_EQ(path, a);
}

TEST_F(ListPlayerChoice, MediaShuffledFollowTheMediaSlot) {
  const int n = 5;
  for (int i = 0; i < n; ++i) AddMedia(WriteMedia(L"m" + std::to_wstring(i) + L".wav", MakeWav(0.1)), L"p", 1);
  std::srand(99);
  Tam_Randomizer randomizer;
  randomizer.CreateSlots(4);
  randomizer.SetupSlot(1, n);
  randomizer.ShuffleSlot(1);
  std::vector<int> order;
  for (int i = 0; i < n; ++i) order.push_back(randomizer.Slot(1)->GetAt(i));
  RandomMedia = true;
  CurrentMediaIndex = 3;
  // The first pass yields entries 1..n-1; every later pass is a whole order.
  for (int i = 1; i < n; ++i) {
    ASSERT_TRUE(PlayNextMedia());
    EXPECT_EQ(CurrentMediaIndex, order[i]) << "step " << i;
  }
  std::set<int> seen;
  for (int i = 0; i < n; ++i) {
    ASSERT_TRUE(PlayNextMedia());
    seen.insert(CurrentMediaIndex);
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(n));
}

// Without a randomizer the shuffled choice falls back to the first entry.
TEST_F(ListPlayerChoice, ShuffledWithoutRandomizerPlaysTheFirst) {
  AddMedia(WriteMedia(L"a.wav", MakeWav(0.1)), L"p", 1);
  AddMedia(WriteMedia(L"b.wav", MakeWav(0.1)), L"p", 1);
  RandomMedia = true;
  CurrentMediaIndex = 1;
  ASSERT_TRUE(PlayNextMedia());
  EXPECT_EQ(CurrentMediaIndex, 0);
}

TEST_F(ListPlayerChoice, AdvertsComeFromTheInstallFolderByPath) {
  std::wstring folder = InstallFolder() + L"kelconfig\\AdMedia\\";
  ASSERT_TRUE(CreateDirectoryW((InstallFolder() + L"kelconfig").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder + L"ad.wav", MakeWav(0.2)));
  AddAdvert(L"kelconfig/AdMedia/ad.wav", L"TODOADVERTISINGPARENT", 6);
  EXPECT_EQ(GetAdvertCount(), 1);
  EXPECT_EQ(GetMediaCount(), 0);
  EXPECT_FALSE(PlayNextMedia());
  BridgeLog log;
  CurrentAdvertisingIndex = -1;
  ASSERT_TRUE(PlayNextAdvert());
  EXPECT_EQ(CurrentAdvertisingIndex, 0);
  EXPECT_EQ(PlayedPaths(log), std::vector<std::wstring>{folder + L"ad.wav"});
  AdvertPlaying = 1;
  EXPECT_EQ(GetCurrentMediaKind(), 4) << "an advert counts as video";
  AdvertPlaying = 0;
  EXPECT_TRUE(ReachesState(6));
}

TEST_F(ListPlayerChoice, OnlyPicturesStartNothing) {
  AddPicture(L"a", L"C:\\pics\\a.png", L"C:\\pics", 2);
  AddCatalogNode(L"C:\\pics", L"");
  BridgeLog log;
  EXPECT_FALSE(PlayNextMedia());
  EXPECT_TRUE(PlayedPaths(log).empty());
  EXPECT_EQ(GetCurrentMediaKind(), 0);
  std::wstring path = L"unchanged";
  GetCurrentMediaPath(path);
  EXPECT_EQ(path, L"unchanged");
  EXPECT_EQ(GetWebMediaDuration(), 7);
  // Without the show's application object no picture can be loaded.
  EXPECT_FALSE(LoadNextPicture());
}

struct PairCase {
  const wchar_t* audioParent;
  int audioKind;
  std::vector<const wchar_t*> pictureParents;
  int startIndex;
  bool found;
  int index;  // paired index afterwards
};

TEST_F(ListPlayerChoice, PairedPictureSharesTheLeadingFolderIgnoringCase) {
  const PairCase cases[] = {
      // The picture's folder leads the audio item's folder, in any case.
      {L"C:\\Music\\Album\\CD1", 1, {L"C:\\Other", L"c:\\music\\ALBUM", L"C:\\Music\\Album"}, -1, true, 1},
      // The search goes on after the last pairing and wraps.
      {L"C:\\Music\\Album\\CD1", 1, {L"C:\\Other", L"c:\\music\\ALBUM", L"C:\\Music\\Album"}, 1, true, 2},
      {L"C:\\Music\\Album\\CD1", 1, {L"C:\\Music", L"D:\\x", L"D:\\y"}, 0, true, 0},
      // The audio folder may lead the picture's too.
      {L"C:\\Music", 1, {L"D:\\x", L"C:\\Music\\Album\\Art"}, -1, true, 1},
      // Not audio: no key, the index goes round once and one more step.
      {L"C:\\Music", 4, {L"C:\\Music", L"C:\\Music", L"C:\\Music"}, 0, false, 1},
      {L"C:\\Music", 1, {L"D:\\x", L""}, -1, false, 0},
      {L"", 1, {L"C:\\Music"}, -1, false, 0},
  };
  for (const PairCase& c : cases) {
    ClearLists();
    AddMedia(L"C:\\Music\\song.wav", c.audioParent, c.audioKind);
    for (const wchar_t* parent : c.pictureParents) AddPicture(L"p", L"C:\\p.png", parent, 2);
    CurrentMediaIndex = 0;
    player_->pairedPictureIndex = c.startIndex;
    EXPECT_EQ(FindPairedPicture(), c.found) << WideToUtf8(c.audioParent);
    EXPECT_EQ(GetPairedPictureIndex(), c.index) << WideToUtf8(c.audioParent);
  }
  ClearLists();
  player_->pairedPictureIndex = 4;
  EXPECT_FALSE(FindPairedPicture()) << "no pictures";
  EXPECT_EQ(GetPairedPictureIndex(), 4);
}

TEST_F(ListPlayerChoice, PairedPictureBeforeAnyFindIsNotLoaded) {
  AddPicture(L"p", L"C:\\p.png", L"C:\\", 2);
  EXPECT_EQ(GetPairedPictureIndex(), -1);
  EXPECT_FALSE(LoadPairedPicture());
}

// Pictures become the texture of the show's application object, which the
// worker-thread object builds on its window with the Direct3D device.
class PictureLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    UseDummyOutputs();
    window_.reset(new TestWindow());
    folder_ = MakeTempFolder(L"kel-pictures");
    thread_.reset(new CScrSvrThread(window_->Handle()));
    ASSERT_NE(GetScrSvrApp(), nullptr);
    ASSERT_NE(GetListPlayer(), nullptr);
  }
  void TearDown() override {
    thread_.reset();
    window_.reset();
    RemoveTree(folder_);
    ResetSettingsToDefaults();
  }
  std::wstring Picture(const std::wstring& name, bool good) {
    std::wstring path = folder_ + name;
    EXPECT_TRUE(WriteFileBytes(path, good ? MakePng(16, 8, 0x102030, 0x405060) : std::string("not a picture")));
    return path;
  }

  RegistrySandbox registry_;
  std::unique_ptr<TestWindow> window_;
  std::unique_ptr<CScrSvrThread> thread_;
  std::wstring folder_;
};

TEST_F(PictureLoading, PicturesCycleAndAFailedOneIsSkipped) {
  AddPicture(L"0", Picture(L"0.png", true), L"p", 2);
  AddPicture(L"1", Picture(L"1.png", false), L"p", 2);
  AddPicture(L"2", Picture(L"2.png", true), L"p", 2);
  AddPicture(L"3", Picture(L"3.png", true), L"p", 2);
  CurrentPictureIndex = -1;
  struct Step {
    bool loaded;
    int index;
  };
  // The next call goes on past the failed picture to the one after it.
  const Step steps[] = {{true, 0}, {false, 1}, {true, 2}, {true, 3}, {true, 0}};
  for (const Step& step : steps) {
    EXPECT_EQ(LoadNextPicture(), step.loaded) << "index " << step.index;
    EXPECT_EQ(CurrentPictureIndex, step.index);
    EXPECT_EQ(GetScrSvrApp()->HasTexture(), step.loaded);
  }
  // A failure on the last picture: the next call wraps to the first.
  ClearLists();
  AddPicture(L"0", Picture(L"0.png", true), L"p", 2);
  AddPicture(L"1", Picture(L"1.png", false), L"p", 2);
  CurrentPictureIndex = 0;
  EXPECT_FALSE(LoadNextPicture());
  EXPECT_EQ(CurrentPictureIndex, 1);
  EXPECT_TRUE(LoadNextPicture());
  EXPECT_EQ(CurrentPictureIndex, 0);
}

TEST_F(PictureLoading, ShuffledPicturesFollowThePictureSlot) {
  const int n = 4;
  for (int i = 0; i < n; ++i) AddPicture(L"p", Picture(std::to_wstring(i) + L".png", true), L"p", 2);
  std::srand(5);
  GetRandomizer()->SetupSlot(0, n);
  GetRandomizer()->ShuffleSlot(0);
  std::vector<int> order;
  for (int i = 0; i < n; ++i) order.push_back(GetRandomizer()->Slot(0)->GetAt(i));
  RandomMedia = true;
  for (int i = 1; i < n; ++i) {
    EXPECT_TRUE(LoadNextPicture());
    EXPECT_EQ(CurrentPictureIndex, order[i]);
  }
}

TEST_F(PictureLoading, PairedPictureLoadsAndAFailedOneMovesOn) {
  AddMedia(L"C:\\Music\\Album\\song.wav", L"C:\\Music\\Album", 1);
  AddPicture(L"bad", Picture(L"bad.png", false), L"C:\\Music", 2);
  AddPicture(L"good", Picture(L"good.png", true), L"C:\\Music\\Album", 2);
  CurrentMediaIndex = 0;
  ASSERT_TRUE(FindPairedPicture());
  EXPECT_EQ(GetPairedPictureIndex(), 0);
  EXPECT_FALSE(LoadPairedPicture());
  EXPECT_EQ(GetPairedPictureIndex(), 1);
  EXPECT_TRUE(LoadPairedPicture());
  EXPECT_TRUE(GetScrSvrApp()->HasTexture());
}

}  // namespace
