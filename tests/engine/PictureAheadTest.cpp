// The next picture decoded ahead while one is held: the same pictures come up
// in the same order with the same indexes saved as without it, the change
// takes the picture decoded ahead, and a picture that fails is handled at its
// turn as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ShowFixture.h"
#include "engine/IntroState.h"
#include "engine/Settings.h"
#include "media/CatalogFixtures.h"
#include "media/ListPlayer.h"
#include "media/Randomizer.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"

namespace {

const uint32_t kColours[] = {0x2050A0, 0x208040, 0xA03020, 0x806020, 0x404040};

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// What one show put up, change by change.
struct ShowRun {
  std::vector<std::wstring> changes;  // "picture: <path>" or "picture failed: <path>"
  std::vector<int> indexes;           // CurrentPictureIndex after each
  std::vector<DWORD> saved;           // the stored CurrentPictureIndex after each
  std::vector<int> passPositions;     // the shuffled order's position after each
  int decodedAtTurn = 0;              // shown pictures decoded when their turn came
  int takenFromAhead = 0;             // shown pictures decoded in an earlier frame
  int wrongAhead = 0;                 // frames whose picture ahead is not the next one
  int aheadInChangeFrames = 0;        // pictures decoded ahead in the frame of a change
};

class PictureAhead : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    install = MakeTempFolder(L"kel-ahead");
    ASSERT_TRUE(MakeFolders(install + L"kelconfig\\Scripts\\dialogs"));
  }
  void TearDown() override {
    SetPicturesAheadForTests(true);
    ShowFixture::TearDown();
    RemoveTree(install);
  }

  // A catalog of n pictures; the one at `broken` (if any) is no picture.
  void WriteCatalog(int n, int broken) {
    std::vector<CatalogNode> items;
    pictures.clear();
    for (int i = 0; i < n; ++i) {
      std::wstring path = install + L"picture" + std::to_wstring(i) + L".png";
      ASSERT_TRUE(WriteFileBytes(
          path, i == broken ? std::string("not a picture") : MakeNumberedPng(64, 48, kColours[i % 5], 0xE0E0E0, i)));
      pictures.push_back(path);
      items.push_back({L"PICTURE", L"picture" + std::to_wstring(i), path, install});
    }
    ASSERT_TRUE(WriteFileBytes(install + L"kelconfig\\Scripts\\dialogs\\catalog.xml", CatalogXml(items)));
  }

  // The show in Local Image mode from a fresh start, stepped half a second a
  // frame until `count` pictures have come up.
  ShowRun Run(bool ahead, bool shuffled, size_t count) {
    ShowRun run;
    registry.Clear();
    registry.SetText(L"KEL_TARGETDIR", install);
    registry.SetDword(L"CurrentVisualIndex", 1);
    registry.SetDword(L"SliderVal_PictureTimeout", 5);
    registry.SetDword(L"RandomMedia", shuffled ? 1 : 0);
    registry.SetDword(L"CurrentPictureIndex", 2);
    SetPicturesAheadForTests(ahead);
    ResetIntroHoldForTests();
    Build();
    std::srand(4242);  // both runs shuffle alike
    trace.Clear();
    for (int frame = 0; frame < 3000 && run.changes.size() < count; ++frame) {
      size_t before = trace.Lines().size();
      Step(0.5);
      const std::vector<std::wstring>& lines = trace.Lines();
      bool changed = false, decodedAhead = false;
      for (size_t i = before; i < lines.size(); ++i) {
        if (StartsWith(lines[i], L"picture decoded ahead: ")) decodedAhead = true;
        bool shown = StartsWith(lines[i], L"picture: ");
        if (!shown && !StartsWith(lines[i], L"picture failed: ")) continue;
        changed = true;
        run.changes.push_back(lines[i]);
        run.indexes.push_back(CurrentPictureIndex);
        DWORD saved = 0;
        registry.GetDword(L"CurrentPictureIndex", &saved);
        run.saved.push_back(saved);
        const Tam_RandomOID* order = GetRandomizer()->Slot(0);
        run.passPositions.push_back(order ? order->Position() : -1);
        if (!shown) continue;
        std::wstring path = lines[i].substr(9);
        if (i > 0 && lines[i - 1] == L"picture decoded: " + path)
          ++run.decodedAtTurn;
        else if (std::find(lines.begin(), lines.begin() + i, L"picture decoded ahead: " + path) != lines.begin() + i)
          ++run.takenFromAhead;
      }
      if (changed && decodedAhead) ++run.aheadInChangeFrames;
      // Between changes at most one picture waits, and it is the next one.
      std::wstring next;
      const std::wstring& waiting = GetScrSvrApp()->PictureAheadPath();
      if (!changed && !waiting.empty() && (!NextPicturePath(&next) || next != waiting)) ++run.wrongAhead;
    }
    Destroy();
    return run;
  }

  std::wstring install;
  std::vector<std::wstring> pictures;
};

}  // namespace

TEST_F(PictureAhead, SameOrderSameIndexesAndTheChangeTakesThePictureDecodedAhead) {
  struct Row {
    const char* what;
    bool shuffled;
    int broken;  // -1: none
  };
  const Row rows[] = {
      {"in catalog order", false, -1},
      {"shuffled", true, -1},
      {"in catalog order, one picture broken", false, 0},
      {"shuffled, one picture broken", true, 1},
  };
  const size_t kChanges = 14;
  for (const Row& row : rows) {
    WriteCatalog(4, row.broken);
    ShowRun before = Run(false, row.shuffled, kChanges);
    ShowRun ahead = Run(true, row.shuffled, kChanges);
    ASSERT_EQ(before.changes.size(), kChanges) << row.what;
    EXPECT_EQ(ahead.changes, before.changes) << row.what;
    EXPECT_EQ(ahead.indexes, before.indexes) << row.what;
    EXPECT_EQ(ahead.saved, before.saved) << row.what;
    EXPECT_EQ(before.takenFromAhead, 0) << row.what;
    EXPECT_EQ(ahead.wrongAhead, 0) << row.what;
    EXPECT_EQ(ahead.aheadInChangeFrames, 0) << row.what << ": a change waited for the next picture";
    // Only the first picture, the one after a failed picture (it follows at
    // once, with no hold to decode it in), and in a shuffled order the first
    // of each new pass (its order is drawn only then) wait for their decoding.
    int unforeseeable = 1, failed = 0;
    auto failedAt = [&](size_t i) { return StartsWith(ahead.changes[i], L"picture failed: "); };
    for (size_t i = 0; i < ahead.changes.size(); ++i) {
      if (failedAt(i))
        ++failed;
      else if (i > 0 && (failedAt(i - 1) || (row.shuffled && ahead.passPositions[i] == 0)))
        ++unforeseeable;
    }
    EXPECT_EQ(failed > 0, row.broken >= 0) << row.what;
    EXPECT_EQ(ahead.decodedAtTurn, unforeseeable) << row.what;
    EXPECT_EQ(ahead.takenFromAhead, static_cast<int>(kChanges) - failed - unforeseeable) << row.what;
    if (!row.shuffled) {
      for (size_t i = 0; i < before.indexes.size(); ++i)
        EXPECT_EQ(before.indexes[i], (3 + static_cast<int>(i)) % 4) << i;
    }
  }
}

// The file that NextPicturePath names is the one the next change loads, by
// each chooser; where it cannot tell, it says so.
TEST_F(PictureAhead, TheNextPictureIsForeseenWithoutMovingAnything) {
  Build();
  std::wstring folder = install;
  std::vector<std::wstring> files;
  for (int i = 0; i < 5; ++i) {
    files.push_back(folder + L"p" + std::to_wstring(i) + (i == 2 ? L".jpg" : L".png"));
    ASSERT_TRUE(WriteFileBytes(files.back(), i == 2 ? std::string("broken") : MakePng(8, 8, kColours[i], 0)));
  }
  const wchar_t* parents[] = {L"X:\\pics\\A", L"X:\\pics\\B", L"X:\\pics\\B", L"X:\\pics\\C", L"X:\\pics\\B"};
  struct Row {
    const char* what;
    bool shuffled;
    bool paired;
    int mediaKind;  // of the current media item
  };
  const Row rows[] = {
      {"in order", false, false, 1},
      {"shuffled", true, false, 1},
      {"paired with the audio item's folder", false, true, 1},
      {"paired, but the current item is no audio", false, true, 4},
  };
  for (const Row& row : rows) {
    ClearLists();
    for (int i = 0; i < 5; ++i) AddPicture(L"p", files[i], parents[i], 2);
    AddMedia(L"X:\\pics\\B\\disc 1\\song.wav", L"X:\\pics\\B\\disc 1", row.mediaKind);
    CurrentMediaIndex = 0;
    CurrentPictureIndex = -1;
    GetListPlayer()->pairedPictureIndex = -1;
    RandomMedia = row.shuffled;
    GetRandomizer()->SetupSlot(0, 5);
    if (row.shuffled) GetRandomizer()->ShuffleSlot(0);
    auto change = [&] {
      if (row.paired) {
        FindPairedPicture();
        LoadPairedPicture();
      } else {
        LoadNextPicture();
      }
    };
    change();  // the chooser in use is the last one used
    int foreseen = 0;
    for (int i = 0; i < 12; ++i) {
      std::wstring next;
      bool known = NextPicturePath(&next);
      const Tam_RandomOID* order = GetRandomizer()->Slot(0);
      bool orderEnds = row.shuffled && order->Position() == order->Size() - 1;
      EXPECT_EQ(known, !orderEnds) << row.what << " " << i;
      trace.Clear();
      change();
      std::vector<std::wstring> loaded = trace.Matching(L"picture");
      std::wstring last;
      for (const std::wstring& line : loaded)
        if (StartsWith(line, L"picture: "))
          last = line.substr(9);
        else if (StartsWith(line, L"picture failed: "))
          last = line.substr(16);
      if (known) {
        ++foreseen;
        EXPECT_EQ(next, last) << row.what << " " << i;
      }
    }
    EXPECT_GE(foreseen, 9) << row.what;
  }
  RandomMedia = false;
}

// A picture decoded ahead is taken only by a change to that same file; one
// to another file decodes its own and leaves it waiting for its turn.
TEST_F(PictureAhead, APictureDecodedAheadWaitsForItsOwnFile) {
  Build();
  CScrSvrApp* app = GetScrSvrApp();
  std::wstring first = install + L"first.png", second = install + L"second.png";
  ASSERT_TRUE(WriteFileBytes(first, MakePng(8, 8, kColours[0], 0)));
  ASSERT_TRUE(WriteFileBytes(second, MakePng(8, 8, kColours[1], 0)));
  ASSERT_TRUE(app->PreparePicture(first));
  EXPECT_EQ(app->PictureAheadPath(), first);
  trace.Clear();
  ASSERT_TRUE(app->LoadTexture(second));
  EXPECT_TRUE(trace.Contains(L"picture decoded: " + second));
  EXPECT_EQ(app->PictureAheadPath(), first);
  trace.Clear();
  ASSERT_TRUE(app->LoadTexture(first));
  EXPECT_FALSE(trace.Contains(L"picture decoded: " + first));
  EXPECT_TRUE(trace.Contains(L"picture: " + first));
  EXPECT_TRUE(app->PictureAheadPath().empty());
}
