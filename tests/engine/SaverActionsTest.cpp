// The saver's action rules, driven state by state with a recording player in
// place of the list player, on the show's hand-driven clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ShowFixture.h"
#include "engine/Logic.h"
#include "engine/SaverPlayer.h"
#include "engine/SaverState.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/Randomizer.h"
#include "platform/WideText.h"
#include "support/AllocationCount.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"

namespace {

// What the recording player answers and what it was asked.
struct Recording {
  bool open = true;
  int state = 0;
  int kind = 0;
  bool pictureLoads = true;
  int playNextMedia = 0;
  int playNextAdvert = 0;
  int stops = 0;
  int listStops = 0;
  int pictures = 0;
  int pairedFinds = 0;
  int pairedLoads = 0;
  int polls = 0;  // player states asked
};
Recording g_rec;

const SaverPlayer kRecordingPlayer = {
    [] { return g_rec.open; },
    [] { return ++g_rec.playNextMedia, true; },
    [] { return ++g_rec.playNextAdvert, true; },
    [] { return g_rec.kind; },
    [] { return ++g_rec.polls, g_rec.state; },
    [] { return ++g_rec.stops, true; },
    [] { return ++g_rec.listStops, true; },
    [] { return ++g_rec.pictures, g_rec.pictureLoads; },
    [] { return ++g_rec.pairedFinds, true; },
    [] { return ++g_rec.pairedLoads, true; },
};

class SaverActions : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    g_rec = Recording();
    AdvertsEnabled = 0;
    AdvertsFirst = 1;
    LastAdvertTime = 0.0f;
    SetDialogPlayKind(0);
    ForcePictureRender = 0;
    Build();
    // Boot, intro and its hold, then the saver with its first choice (empty
    // lists: nothing to show yet).
    Step();
    Step();
    Step(1.1);
    Step();
    ASSERT_EQ(CurrentState(), L"SaverState");
    SetSaverPlayerForTests(&kRecordingPlayer);
    g_rec = Recording();
  }
  void TearDown() override {
    SetSaverPlayerForTests(nullptr);
    AdvertsEnabled = 0;
    AdvertsFirst = 1;
    ShowFixture::TearDown();
  }

  CScrSvrMachine* Child() { return GetScrSvrApp()->GetMachine()->GetState(L"SaverState")->GetChildMachine(); }
  void Enter(const wchar_t* action) { Child()->SetState(action); }
  // One frame at the given clock time.
  void StepAt(double seconds) {
    clock.Set(seconds);
    Step(0.0);
  }
  void AddPictures(int n) {
    for (int i = 0; i < n; ++i) AddPicture(L"p", L"C:\\pics\\p" + std::to_wstring(i) + L".png", L"C:\\pics", 2);
  }
};

// One update of each loading and playing action for every player state.
struct StateRow {
  int state;
  const wchar_t* ruleA;    // loading rule A (adverts, video): action after one update
  const wchar_t* ruleB;    // loading rule B (audio)
  const wchar_t* playing;  // playing rule
  bool playingStops;       // the playing rule stops the media player
};

const wchar_t* const kStay = nullptr;

const StateRow kStateRows[] = {
    {3, L"PLAYING", L"PLAYING", kStay, false},
    {2, kStay, kStay, kStay, false},
    {4, kStay, kStay, kStay, false},
    {1, kStay, kStay, L"SAVER_SELECTNEXT_1", true},
    {0, L"SAVER_SELECTNEXT_1", kStay, L"SAVER_SELECTNEXT_1", true},
    {5, L"SAVER_SELECTNEXT_1", L"SAVER_SELECTNEXT_1", L"SAVER_PLAYERSTOPPED_1", false},
    {6, L"SAVER_SELECTNEXT_1", L"SAVER_SELECTNEXT_1", L"SAVER_SELECTNEXT_1", true},
    {7, L"SAVER_SELECTNEXT_1", L"SAVER_SELECTNEXT_1", L"SAVER_SELECTNEXT_1", true},
    {42, kStay, kStay, L"SAVER_SELECTNEXT_1", true},
};

}  // namespace

TEST_F(SaverActions, PlayerStateRules) {
  struct Pair {
    const wchar_t* loading;
    const wchar_t* playing;
    char rule;
  };
  const Pair pairs[] = {
      {L"SAVER_VIDEOLOADING_1", L"SAVER_VIDEOPLAYING_1", 'A'},
      {L"SAVER_ADSLOADING_1", L"SAVER_ADSPLAYING_1", 'A'},
      {L"SAVER_AUDIOVISUALLOADING_1", L"SAVER_AUDIOVISUALPLAYING_1", 'B'},
      {L"SAVER_PICAUDIOLOADING_1", L"SAVER_PICAUDIOPLAYING_1", 'B'},
  };
  g_rec.open = false;  // a choice made on the way finds nothing and waits
  for (const StateRow& row : kStateRows) {
    for (const Pair& pair : pairs) {
      std::wstring where = std::wstring(pair.loading) + L" state " + std::to_wstring(row.state);
      g_rec.state = row.state;
      Enter(pair.loading);
      Step();
      const wchar_t* loadingNext = pair.rule == 'A' ? row.ruleA : row.ruleB;
      std::wstring expected = !loadingNext                           ? pair.loading
                              : std::wstring(loadingNext) == L"PLAYING" ? pair.playing
                                                                      : loadingNext;
      EXPECT_EQ(CurrentAction(), expected) << WideToUtf8(where);

      g_rec.stops = 0;
      Enter(pair.playing);
      Step();
      EXPECT_EQ(CurrentAction(), row.playing ? row.playing : pair.playing) << WideToUtf8(where) << " playing";
      EXPECT_EQ(g_rec.stops, row.playingStops ? 1 : 0) << WideToUtf8(where) << " playing";
    }
  }
}

// The first rule that matches picks the road; the choice is written back.
TEST_F(SaverActions, TheChoiceRules) {
  struct Row {
    int mode;
    int pictures;
    int kind;  // what the started media turned out to be
    bool adverts;
    const wchar_t* road;  // null: no road, the choice waits
    bool mediaStarted;
  };
  const Row rows[] = {
      {1, 2, 4, false, L"SAVER_PICONLYLOADING_1", false},  // pictures only: never asks for media
      {1, 0, 1, false, L"SAVER_AUDIOVISUALLOADING_1", true},
      {1, 0, 3, false, L"SAVER_AUDIOVISUALLOADING_1", true},  // a playlist plays as audio
      {0, 2, 4, false, L"SAVER_VIDEOLOADING_1", true},
      {0, 0, 6, false, L"SAVER_WEBMLOADING_1", true},
      {4, 2, 1, false, L"SAVER_AUDIOVISUALLOADING_1", true},
      {8, 0, 1, false, L"SAVER_AUDIOVISUALLOADING_1", true},
      {5, 0, 3, false, L"SAVER_AUDIOVISUALLOADING_1", true},
      {-1, 0, 1, false, nullptr, true},  // a mode outside 0-8
      {0, 0, 0, false, nullptr, true},   // nothing to play
      {0, 0, 0, true, L"SAVER_ADSLOADING_1", true},
  };
  for (const Row& row : rows) {
    std::string where = "mode " + std::to_string(row.mode) + " kind " + std::to_string(row.kind);
    ClearLists();
    AddPictures(row.pictures);
    CurrentVisualIndex = row.mode;
    AdvertsEnabled = row.adverts ? 1 : 0;
    ForcePictureRender = 0;
    g_rec = Recording();
    g_rec.kind = row.kind;
    registry.Clear();
    CurrentVisualIndex = row.mode;

    Enter(L"SAVER_SELECTNEXT_1");
    EXPECT_EQ(CurrentAction(), row.road ? row.road : L"SAVER_SELECTNEXT_1") << where;
    EXPECT_EQ(g_rec.playNextMedia, row.mediaStarted ? 1 : 0) << where;
    bool pictureRoad = row.road && std::wstring(row.road).find(L"PICONLY") != std::wstring::npos;
    EXPECT_EQ(ForcePictureRender, pictureRoad ? 1 : 0) << where;
    DWORD saved = 0;
    EXPECT_TRUE(registry.GetDword(L"CurrentMediaIndex", &saved)) << where;
  }
}

// In Local Image mode pictures and media come up in proportion to their
// counts: with 3 pictures and 1 media item, draws 0 to 2 give a picture.
TEST_F(SaverActions, LocalImageDrawsPicturesAndMediaByTheirCounts) {
  CurrentVisualIndex = 1;
  AddPictures(3);
  AddMedia(L"C:\\music\\a.wav", L"C:\\music", 1);
  g_rec.kind = 1;
  int pictureChoices = 0, mediaChoices = 0;
  for (unsigned seed = 1; seed < 60 * 12345; seed += 12345) {
    std::srand(seed);
    int draw = static_cast<int>(RandomFloat(0.0f, 4.0f));
    std::srand(seed);
    g_rec.playNextMedia = 0;
    Enter(L"SAVER_SELECTNEXT_1");
    if (draw < 3) {
      ++pictureChoices;
      EXPECT_EQ(CurrentAction(), L"SAVER_PICONLYLOADING_1") << seed;
      EXPECT_EQ(g_rec.playNextMedia, 0) << seed;
    } else {
      ++mediaChoices;
      EXPECT_EQ(CurrentAction(), L"SAVER_PICAUDIOLOADING_1") << seed;
      EXPECT_EQ(g_rec.playNextMedia, 1) << seed;
    }
  }
  EXPECT_GT(pictureChoices, 0);
  EXPECT_GT(mediaChoices, 0);
}

// A picture stays for more than the interval; without pictures (or outside
// Local Image mode) the show moves on at once.
TEST_F(SaverActions, PictureInterval) {
  CurrentVisualIndex = 1;
  SliderVal_PictureTimeout = 10;
  AddPictures(1);
  g_rec.open = false;
  clock.Set(200.0);
  Enter(L"SAVER_PICONLYPLAYING_1");
  StepAt(205.0);
  StepAt(210.0);  // exactly the interval is not enough
  EXPECT_EQ(CurrentAction(), L"SAVER_PICONLYPLAYING_1");
  StepAt(210.1);
  EXPECT_NE(CurrentAction(), L"SAVER_PICONLYPLAYING_1");

  ClearLists();
  Enter(L"SAVER_PICONLYPLAYING_1");
  Step();
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");
}

// With audio in Local Image mode the picture changes on the frame after the
// interval ran out; paired pictures come from the audio's folder.
TEST_F(SaverActions, PicturesChangeDuringAudio) {
  CurrentVisualIndex = 1;
  SliderVal_PictureTimeout = 2;
  AddPictures(2);
  g_rec.state = 3;
  for (bool paired : {false, true}) {
    PairImages = paired;
    g_rec.pictures = g_rec.pairedFinds = g_rec.pairedLoads = 0;
    clock.Set(300.0);
    Enter(L"SAVER_PICAUDIOPLAYING_1");
    StepAt(301.0);
    StepAt(302.1);  // due: the next frame loads
    EXPECT_EQ(PictureChangeDue, 1);
    EXPECT_EQ(ForcePictureRender, 1);
    EXPECT_EQ(g_rec.pictures + g_rec.pairedLoads, 0);
    StepAt(302.2);
    EXPECT_EQ(PictureChangeDue, 0);
    EXPECT_EQ(ForcePictureRender, 0);
    EXPECT_EQ(g_rec.pictures, paired ? 0 : 1);
    EXPECT_EQ(g_rec.pairedFinds, paired ? 1 : 0);
    EXPECT_EQ(g_rec.pairedLoads, paired ? 1 : 0);
    EXPECT_EQ(CurrentAction(), L"SAVER_PICAUDIOPLAYING_1");
  }
  PairImages = false;
}

// A web item is watched while it plays; not playing after its display time,
// it is stopped and left. An empty web list leaves at once, stopping nothing.
TEST_F(SaverActions, WebMediaDisplayTime) {
  g_rec.open = false;
  AddWebMedia(L"http://radio.example/stream", L"http://radio.example", 6);
  clock.Set(400.0);
  g_rec.state = 3;
  Enter(L"SAVER_WEBMPLAYING_1");
  StepAt(500.0);  // playing for as long as it plays
  EXPECT_EQ(CurrentAction(), L"SAVER_WEBMPLAYING_1");

  clock.Set(600.0);
  g_rec.state = 2;
  Enter(L"SAVER_WEBMPLAYING_1");
  StepAt(607.0);
  EXPECT_EQ(CurrentAction(), L"SAVER_WEBMPLAYING_1");
  EXPECT_EQ(g_rec.listStops, 0);
  StepAt(607.1);
  EXPECT_EQ(g_rec.listStops, 1);
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");

  ClearLists();
  g_rec.listStops = 0;
  Enter(L"SAVER_WEBMPLAYING_1");
  Step();
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");
  EXPECT_EQ(g_rec.listStops, 0);
}

// No dialog can play during the screen saver: a player that stopped on its
// own moves the show on. An item the dialog started is watched instead.
TEST_F(SaverActions, AStoppedPlayerMovesOn) {
  g_rec.open = false;
  Enter(L"SAVER_PLAYERSTOPPED_1");
  Step();
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");

  SetDialogPlayKind(4);
  SetLoadingPicturePending(true);
  Enter(L"SAVER_PLAYERSTOPPED_1");
  Step();  // the loading picture goes up first, then the dialog's item is watched
  EXPECT_EQ(CurrentAction(), L"SAVER_VIDEOLOADING_1");
  EXPECT_EQ(GetDialogPlayKind(), 0);
  EXPECT_FALSE(IsLoadingPicturePending());
}

// With nothing to show the choice rests about a second before it tries
// again, and answers a reload request meanwhile.
TEST_F(SaverActions, NothingToShowRetriesAndAnswersAReload) {
  CurrentVisualIndex = 0;
  clock.Set(700.0);
  Enter(L"SAVER_SELECTNEXT_1");
  EXPECT_EQ(g_rec.playNextMedia, 1);
  StepAt(700.5);
  EXPECT_EQ(g_rec.playNextMedia, 1);
  StepAt(701.1);
  EXPECT_EQ(g_rec.playNextMedia, 2);
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");

  trace.Clear();
  KEL_Logic::RequestCatalogReload();
  StepAt(701.2);
  EXPECT_TRUE(trace.Contains(L"SAVER_CHILD -> SAVER_SPLASH_1"));
  EXPECT_FALSE(IsCatalogReloadRequested());
}

// When every picture fails to load, the show rests before the next choice
// instead of spinning through them frame after frame.
TEST_F(SaverActions, PicturesThatAllFailDoNotSpin) {
  CurrentVisualIndex = 1;
  AddPictures(2);
  g_rec.pictureLoads = false;
  clock.Set(800.0);
  Enter(L"SAVER_SELECTNEXT_1");  // first failure: the next choice is tried
  for (int i = 0; i < 5; ++i) StepAt(800.0 + 0.066 * (i + 1));
  EXPECT_EQ(g_rec.pictures, 2);
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");
  StepAt(801.5);
  EXPECT_EQ(g_rec.pictures, 3);
}

// Adverts, when enabled: first of all, then whenever the interval has run.
TEST_F(SaverActions, AdvertRoad) {
  AdvertsEnabled = 1;
  AdvertsFirst = 1;
  AddAdvert(L"kelconfig\\AdMedia\\ad.wav", L"TODOADVERTISINGPARENT", 1);
  g_rec.open = false;
  Enter(L"SAVER_INIT_1");
  EXPECT_EQ(CurrentAction(), L"SAVER_ADSLOADING_1");
  EXPECT_EQ(AdvertsFirst, 0);
  EXPECT_EQ(g_rec.playNextAdvert, 1);
  EXPECT_EQ(GetCurrentMediaKind(), 4);  // an advert reads as video

  g_rec.state = 3;
  Step();
  EXPECT_EQ(CurrentAction(), L"SAVER_ADSPLAYING_1");
  CurrentVisualIndex = 1;
  AddPictures(1);
  clock.Set(900.0);
  g_rec.state = 6;
  Step(0.0);  // the advert ended: stopped, its time noted, a picture next
  EXPECT_EQ(g_rec.stops, 1);
  EXPECT_EQ(LastAdvertTime, 900.0f);
  EXPECT_EQ(CurrentAction(), L"SAVER_PICONLYLOADING_1");

  clock.Set(900.0 + 1799.0);
  Enter(L"SAVER_SELECTNEXT_1");
  EXPECT_EQ(CurrentAction(), L"SAVER_PICONLYLOADING_1");
  clock.Set(900.0 + 1800.5);
  Enter(L"SAVER_SELECTNEXT_1");
  EXPECT_EQ(CurrentAction(), L"SAVER_ADSLOADING_1");
  EXPECT_EQ(g_rec.playNextAdvert, 2);
}

// An action that waits for a moment has the loop wake just after it, so the
// frame that moves on comes then rather than up to a rest later; while
// nothing is due the loop rests its full 66 ms.
TEST_F(SaverActions, TheLoopWakesWhenAWaitEnds) {
  struct Case {
    const wchar_t* action;
    int state;
    double entered;
    double stepped;
    DWORD rest;
  } cases[] = {
      {L"SAVER_PICONLYPLAYING_1", 0, 200.0, 205.0, 66},       // interval 10: far off
      {L"SAVER_PICONLYPLAYING_1", 0, 200.0, 209.96875, 33},   // 31.25 ms before its end
      {L"SAVER_PICONLYPLAYING_1", 0, 200.0, 210.0, 1},        // exactly the interval: just after
      {L"SAVER_PICAUDIOPLAYING_1", 3, 300.0, 309.96875, 33},  // during audio too
      {L"SAVER_PICAUDIOPLAYING_1", 3, 300.0, 310.125, 1},     // ran out: the next frame loads at once
      {L"SAVER_WEBMPLAYING_1", 2, 600.0, 606.96875, 33},      // not playing: its display time
      {L"SAVER_WEBMPLAYING_1", 3, 600.0, 606.96875, 66},      // playing: watched at the loop's pace
      {L"SAVER_SELECTNEXT_1", 0, 700.0, 700.96875, 33},       // nothing to show: the retry
      {L"SAVER_VIDEOPLAYING_1", 3, 800.0, 806.96875, 66},     // playback has no moment due
  };
  CurrentVisualIndex = 1;
  SliderVal_PictureTimeout = 10;
  AddPictures(1);
  AddWebMedia(L"http://radio.example/stream", L"http://radio.example", 6);
  for (const Case& c : cases) {
    std::string where = WideToUtf8(c.action) + " at " + std::to_string(c.stepped);
    // A choice finds nothing to show only outside Local Image mode.
    CurrentVisualIndex = wcscmp(c.action, L"SAVER_SELECTNEXT_1") == 0 ? 0 : 1;
    g_rec.state = c.state;
    clock.Set(c.entered);
    Enter(c.action);
    StepAt(c.stepped);
    EXPECT_EQ(lastRest, c.rest) << where;
    EXPECT_EQ(CurrentAction(), c.action) << where;
  }
}

// While an item is held, a frame asks the player for its state only where
// the show watches playback, and then once; it presents nothing and
// allocates nothing.
TEST_F(SaverActions, AHeldItemCostsAtMostOnePollAFrame) {
  struct Case {
    const wchar_t* action;
    int state;
    int pollsPerFrame;
  } cases[] = {
      {L"SAVER_PICONLYPLAYING_1", 0, 0},
      {L"SAVER_PICAUDIOPLAYING_1", 3, 1},
      {L"SAVER_AUDIOVISUALPLAYING_1", 3, 1},
      {L"SAVER_VIDEOPLAYING_1", 3, 1},
      {L"SAVER_WEBMPLAYING_1", 3, 1},
      {L"SAVER_ADSPLAYING_1", 3, 1},
  };
  std::wstring folder = MakeTempFolder(L"kel-held");
  ASSERT_TRUE(WriteFileBytes(folder + L"p.png", MakePng(32, 32, 0xFF0000, 0x00FF00)));
  CurrentVisualIndex = 1;
  SliderVal_PictureTimeout = 60;
  AddPictures(1);
  AddWebMedia(L"http://radio.example/stream", L"http://radio.example", 6);
  CScrSvrDevice* device = GetScrSvrDevice();
  const int kFrames = 20;
  for (const Case& c : cases) {
    std::string where = WideToUtf8(c.action);
    ASSERT_TRUE(GetScrSvrApp()->LoadTexture(folder + L"p.png"));
    CurrentMediaIndex = -1;  // no current media item: the render gate stays open
    g_rec.state = c.state;
    clock.Set(1000.0);
    Enter(c.action);
    unsigned shown = device->GetPresentCount();
    Step();
    ASSERT_EQ(device->GetPresentCount(), shown + 1) << where << ": the picture went up";
    Step();
    int polls = g_rec.polls;
    unsigned presents = device->GetPresentCount();
    trace.Suspend();
    long allocations = 0;
    {
      AllocationCount count;
      for (int i = 0; i < kFrames; ++i) Step();
      allocations = count.Count();
    }
    trace.Resume();
    EXPECT_EQ(CurrentAction(), c.action) << where;
    EXPECT_EQ(g_rec.polls - polls, kFrames * c.pollsPerFrame) << where;
    EXPECT_EQ(device->GetPresentCount(), presents) << where;
    EXPECT_EQ(allocations, 0) << where;
  }
  GetScrSvrApp()->ReleaseTexture();
  RemoveTree(folder);
}
