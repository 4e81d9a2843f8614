// The list player's choosers: in order and shuffled, adverts, pairing, and
// pictures loaded (and skipped) as the show's texture.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <thread>

#include "engine/Logic.h"
#include "engine/ScrSvrApp.h"
#include "engine/ScrSvrThread.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/Randomizer.h"
#include "media/VlcPlayer.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
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

// The window thread asks for the current kind and path on power events while
// the worker reloads the catalogs and ends one show and starts the next. It
// must only ever see no entry or an entry that was in the list.
TEST_F(ListPlayerChoice, CurrentKindAndPathHoldUpWhileTheListsAreReloaded) {
  const std::wstring paths[] = {L"C:\\music\\a.wav", L"C:\\video\\b.avi", L"C:\\lists\\c.m3u",
                                FileUrl(MediaFolder() + L"d.wav")};
  const int kinds[] = {1, 4, 3, 6};
  const std::wstring unchanged = L"unchanged";
  std::atomic<bool> done{false};
  std::atomic<int> reads{0}, badKinds{0}, badPaths{0};
  std::thread window([&] {
    while (!done) {
      int kind = GetCurrentMediaKind();
      if (kind != 0 && std::find(std::begin(kinds), std::end(kinds), kind) == std::end(kinds)) ++badKinds;
      std::wstring path = unchanged;
      GetCurrentMediaPath(path);
      if (path != unchanged && std::find(std::begin(paths), std::end(paths), path) == std::end(paths)) ++badPaths;
      ++reads;
    }
  });
  // Rounds until the reader has had its turns too, whatever the scheduling.
  for (int round = 0; round < 30 || (reads < 1000 && round < 3000); ++round) {
    if (round % 5 == 4) {
      player_.reset();
      player_.reset(new KEL_TamListPlayer());
    }
    ClearLists();
    for (int i = 0; i < 1000; ++i) {
      int k = i % 4;
      if (kinds[k] == 6)
        AddWebMedia(paths[k], L"web", kinds[k]);
      else
        AddMedia(paths[k], L"p", kinds[k]);
      CurrentMediaIndex = i;
    }
  }
  done = true;
  window.join();
  EXPECT_GE(reads.load(), 1000);
  EXPECT_EQ(badKinds.load(), 0);
  EXPECT_EQ(badPaths.load(), 0);
  EXPECT_EQ(GetMediaCount(), 1000);
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), 250);
}

// The location libvlc's media list holds at an index, from the bridge's log:
// the latest media made for the item handed back there.
std::string LocationAt(const BridgeLog& log, int index) {
  libvlc_media_t* item = GetVlcPlayer().ListItemAt(index);
  if (!item) return "(none)";
  GetVlcPlayer().ReleaseMedia(item);
  std::string handle = log.Calls("libvlc_media_list_item_at_index").back().result;
  std::string location = "(unknown)";
  for (const BridgeCall& call : log.Calls("libvlc_media_new_location"))
    if (call.result == handle) location = call.fields[0];
  return location;
}

struct RemovalCase {
  const char* call;
  int (*remove)(const std::wstring&);
  std::wstring path;
  int result;
  // What each list holds afterwards, by path.
  std::vector<std::wstring> media, adverts, pictures, nodes;
};

template <typename Entry>
std::vector<std::wstring> PathsOf(const std::vector<Entry>& list) {
  std::vector<std::wstring> paths;
  for (const Entry& entry : list) paths.push_back(entry.path);
  return paths;
}

// Removal takes the first entry with exactly that path; the kind counts
// follow, and web entries keep resolving to their own location in libvlc.
TEST_F(ListPlayerChoice, RemovalTakesTheFirstEntryWithThePath) {
  const std::wstring a = L"C:\\music\\a.wav", v = L"C:\\video\\v.avi", p = L"C:\\lists\\p.m3u";
  const std::wstring w1 = L"http://example.invalid/1", w2 = L"http://example.invalid/2",
                     w3 = L"http://example.invalid/3";
  const std::wstring ad1 = InstallFolder() + L"kelconfig/ad1.wav", ad2 = InstallFolder() + L"kelconfig/ad2.wav";
  const std::wstring pic1 = L"C:\\pics\\1.png", pic2 = L"C:\\pics\\2.png";
  const std::wstring n1 = L"C:\\music", n2 = L"C:\\pics";
  const std::vector<std::wstring> media = {a, w1, v, w2, p, a, w3};
  const std::vector<std::wstring> adverts = {ad1, ad2}, pictures = {pic1, pic2}, nodes = {n1, n2};
  auto media0 = [](const std::wstring& path) { return static_cast<int>(RemoveMedia(path)); };
  auto always = [](const std::wstring& path) { return static_cast<int>(RemoveMediaAlways(path)); };
  auto index = [](const std::wstring& path) { return RemoveMediaIndex(path); };
  auto advert = [](const std::wstring& path) { return static_cast<int>(RemoveAdvert(path)); };
  auto picture = [](const std::wstring& path) { return static_cast<int>(RemovePicture(path)); };
  auto node = [](const std::wstring& path) { return static_cast<int>(RemoveCatalogNode(path)); };
  const RemovalCase cases[] = {
      {"RemoveMedia", media0, a, 1, {w1, v, w2, p, a, w3}, adverts, pictures, nodes},
      {"RemoveMedia", media0, L"C:\\MUSIC\\A.WAV", 0, media, adverts, pictures, nodes},
      {"RemoveMediaAlways", always, v, 1, {a, w1, w2, p, a, w3}, adverts, pictures, nodes},
      {"RemoveMediaAlways", always, L"C:\\none.wav", 1, media, adverts, pictures, nodes},
      {"RemoveMediaIndex", index, w2, 3, {a, w1, v, p, a, w3}, adverts, pictures, nodes},
      {"RemoveMediaIndex", index, w1, 1, {a, v, w2, p, a, w3}, adverts, pictures, nodes},
      {"RemoveMediaIndex", index, w3, 6, {a, w1, v, w2, p, a}, adverts, pictures, nodes},
      {"RemoveMediaIndex", index, p, 4, {a, w1, v, w2, a, w3}, adverts, pictures, nodes},
      {"RemoveMediaIndex", index, ad1, -1, media, adverts, pictures, nodes},
      {"RemoveAdvert", advert, ad2, 1, media, {ad1}, pictures, nodes},
      {"RemoveAdvert", advert, L"kelconfig/ad1.wav", 0, media, adverts, pictures, nodes},
      {"RemovePicture", picture, pic1, 1, media, adverts, {pic2}, nodes},
      {"RemovePicture", picture, L"two", 0, media, adverts, pictures, nodes},
      {"RemoveCatalogNode", node, n2, 1, media, adverts, pictures, {n1}},
      {"RemoveCatalogNode", node, a, 0, media, adverts, pictures, nodes},
  };
  for (const RemovalCase& c : cases) {
    const std::string what = std::string(c.call) + " " + WideToUtf8(c.path);
    BridgeLog log;
    ClearLists();
    for (const std::wstring& path : media) {
      if (path.compare(0, 4, L"http") == 0)
        AddWebMedia(path, L"web", 6);
      else
        AddMedia(path, L"p", path == a ? 1 : path == v ? 4 : 3);
    }
    AddAdvert(L"kelconfig/ad1.wav", L"TODOADVERTISINGPARENT", 4);
    AddAdvert(L"kelconfig/ad2.wav", L"TODOADVERTISINGPARENT", 4);
    AddPicture(L"one", pic1, L"C:\\pics", 2);
    AddPicture(L"two", pic2, L"C:\\pics", 2);
    AddCatalogNode(n1, L"");
    AddCatalogNode(n2, L"");

    EXPECT_EQ(c.remove(c.path), c.result) << what;
    EXPECT_EQ(PathsOf(player_->media), c.media) << what;
    EXPECT_EQ(PathsOf(player_->adverts), c.adverts) << what;
    EXPECT_EQ(PathsOf(player_->pictures), c.pictures) << what;
    EXPECT_EQ(PathsOf(player_->catalogNodes), c.nodes) << what;
    int counts[7] = {};
    for (const MediaEntry& entry : player_->media) ++counts[entry.kind];
    EXPECT_EQ(GetAudioCount(), counts[1]) << what;
    EXPECT_EQ(GetPlaylistCount(), counts[3]) << what;
    EXPECT_EQ(GetVideoCount(), counts[4]) << what;
    EXPECT_EQ(GetWebMediaCount(), counts[6]) << what;
    EXPECT_EQ(GetMediaCount(), static_cast<int>(c.media.size())) << what;
    EXPECT_EQ(GetAdvertCount(), static_cast<int>(c.adverts.size())) << what;
    EXPECT_EQ(GetPictureCount(), static_cast<int>(c.pictures.size())) << what;
    // Web entries are numbered 0, 1, ... in list order, and each number
    // finds that entry's own location in libvlc's media list.
    EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), counts[6]) << what;
    int web = 0;
    for (const MediaEntry& entry : player_->media) {
      if (entry.kind != 6) {
        EXPECT_EQ(entry.listIndex, -1) << what;
        continue;
      }
      EXPECT_EQ(entry.listIndex, web++) << what;
      EXPECT_EQ(LocationAt(log, entry.listIndex), WideToUtf8(entry.path)) << what;
    }
    EXPECT_EQ(GetVlcPlayer().ListItemAt(web), nullptr) << what << ": a location too many";
  }
  // A web entry added after a removal takes the next free number.
  BridgeLog log;
  ClearLists();
  AddWebMedia(w1, L"web", 6);
  AddWebMedia(w2, L"web", 6);
  EXPECT_TRUE(RemoveMedia(w1));
  AddWebMedia(w3, L"web", 6);
  ASSERT_EQ(player_->media.size(), 2u);
  EXPECT_EQ(player_->media[1].listIndex, 1);
  EXPECT_EQ(LocationAt(log, 0), WideToUtf8(w2));
  EXPECT_EQ(LocationAt(log, 1), WideToUtf8(w3));
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), 2);
}

// The player's window and whether the current web entry is what the list
// player plays.
TEST_F(ListPlayerChoice, PlayerWindowAndCurrentListItem) {
  EXPECT_EQ(GetPlayerWindow(), nullptr);
  {
    TestWindow window;
    ASSERT_TRUE(window.HasXWindow());
    SetVideoWindow(window.Handle());
    EXPECT_EQ(GetPlayerWindow(), window.Handle());
    SetVideoWindow(nullptr);
  }
  AddMedia(WriteMedia(L"a.wav", MakeWav(0.2)), L"p", 1);
  AddWebMedia(L"http://example.invalid/unplayed", L"web", 6);
  AddWebMedia(FileUrl(WriteMedia(L"web.wav", MakeWav(6.0))), L"web", 6);
  CurrentMediaIndex = 1;
  ASSERT_TRUE(PlayNextMedia());
  ASSERT_EQ(CurrentMediaIndex, 2);
  ASSERT_TRUE(ReachesState(3));
  EXPECT_TRUE(IsCurrentListItemPlaying());
  CurrentMediaIndex = 0;
  EXPECT_FALSE(IsCurrentListItemPlaying()) << "not web media";
  CurrentMediaIndex = 7;
  EXPECT_FALSE(IsCurrentListItemPlaying()) << "no entry";
  CurrentMediaIndex = 2;
  EXPECT_TRUE(StopListPlayer());
  EXPECT_TRUE(WaitUntil(15000, [] { return !IsCurrentListItemPlaying(); }));
}

// Pictures become the texture of the show's application object, which the
// worker-thread object builds on its window with the Direct3D device.
class PictureLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    UseDummyOutputs();
    window_.reset(new TestWindow());
    ASSERT_TRUE(window_->HasXWindow());
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
