// The saver's action rules, driven state by state with a recording player in
// place of the list player, on the show's hand-driven clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ShowFixture.h"
#include "engine/FrameRest.h"
#include "engine/Logic.h"
#include "engine/SaverPlayer.h"
#include "engine/SaverState.h"
#include "engine/Settings.h"
#include "engine/ShowRequests.h"
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
  int failingLoad = 0;  // the one picture load (counted from 1) that fails
  int playNextMedia = 0;
  int playNextAdvert = 0;
  int stops = 0;
  int listStops = 0;
  int entriesLeft = 0;  // playlist entries still to start
  int entriesStarted = 0;
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
    [] {
      if (g_rec.entriesLeft == 0) return false;
      --g_rec.entriesLeft;
      ++g_rec.entriesStarted;
      return true;
    },
    [] { return ++g_rec.pictures, g_rec.pictureLoads && g_rec.pictures != g_rec.failingLoad; },
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
    LastAdvertTime = 0.0;
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

// The same, for each of a few clock readings.
class SaverActionsAt : public SaverActions, public testing::WithParamInterface<double> {};

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
      {-1, 0, 1, false, L"SAVER_AUDIOVISUALLOADING_1", true},  // a mode outside 0-8 still plays audio
      {42, 0, 1, false, L"SAVER_AUDIOVISUALLOADING_1", true},
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
  SliderVal_PictureTimeout = 7;
  AddPictures(2);
  g_rec.state = 3;
  for (bool paired : {false, true}) {
    PairImages = paired;
    g_rec.pictures = g_rec.pairedFinds = g_rec.pairedLoads = 0;
    clock.Set(300.0);
    Enter(L"SAVER_PICAUDIOPLAYING_1");
    StepAt(301.0);
    StepAt(307.1);  // due: the next frame loads
    EXPECT_EQ(PictureChangeDue, 1);
    EXPECT_EQ(ForcePictureRender, 1);
    EXPECT_EQ(g_rec.pictures + g_rec.pairedLoads, 0);
    StepAt(307.2);
    EXPECT_EQ(PictureChangeDue, 0);
    EXPECT_EQ(ForcePictureRender, 0);
    EXPECT_EQ(g_rec.pictures, paired ? 0 : 1);
    EXPECT_EQ(g_rec.pairedFinds, paired ? 1 : 0);
    EXPECT_EQ(g_rec.pairedLoads, paired ? 1 : 0);
    EXPECT_EQ(CurrentAction(), L"SAVER_PICAUDIOPLAYING_1");
  }
  PairImages = false;
}

// The interval a picture stays, on the picture-only road and during audio,
// for each stored value: anything below the slider's minimum (the 0 of a
// fresh install among them) counts as the minimum; longer ones are kept.
TEST_F(SaverActions, StoredIntervalsAndTheTimePicturesStay) {
  struct Case {
    int stored;
    double stays;
  };
  const Case cases[] = {{0, 5.0},   {-3, 5.0},  {1, 5.0},   {4, 5.0},    {5, 5.0},
                        {10, 10.0}, {60, 60.0}, {90, 90.0}, {3600, 3600.0}};
  CurrentVisualIndex = 1;
  AddPictures(3);
  g_rec.open = false;
  double base = 1000.0;
  for (const Case& c : cases) {
    SliderVal_PictureTimeout = c.stored;
    base += 4000.0;
    clock.Set(base);
    Enter(L"SAVER_PICONLYPLAYING_1");
    StepAt(base + 0.066);
    StepAt(base + c.stays);
    EXPECT_EQ(CurrentAction(), L"SAVER_PICONLYPLAYING_1") << c.stored;
    StepAt(base + c.stays + 0.066);
    EXPECT_NE(CurrentAction(), L"SAVER_PICONLYPLAYING_1") << c.stored;

    g_rec.state = 3;
    base += 4000.0;
    clock.Set(base);
    Enter(L"SAVER_PICAUDIOPLAYING_1");
    StepAt(base + 0.066);
    StepAt(base + c.stays);
    EXPECT_EQ(PictureChangeDue, 0) << c.stored;
    StepAt(base + c.stays + 0.066);
    EXPECT_EQ(PictureChangeDue, 1) << c.stored;
    EXPECT_EQ(CurrentAction(), L"SAVER_PICAUDIOPLAYING_1") << c.stored;
  }
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
// own moves the show on. An item the dialog started is watched instead, as
// it is: no loading picture replaces it.
TEST_F(SaverActions, AStoppedPlayerMovesOn) {
  g_rec.open = false;
  Enter(L"SAVER_PLAYERSTOPPED_1");
  Step();
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");

  SetDialogPlayKind(4);
  SetLoadingPicturePending(true);
  Enter(L"SAVER_PLAYERSTOPPED_1");
  Step();
  EXPECT_EQ(CurrentAction(), L"SAVER_VIDEOLOADING_1");
  EXPECT_EQ(GetDialogPlayKind(), 0);
  EXPECT_TRUE(IsLoadingPicturePending());
  EXPECT_TRUE(trace.Matching(L"KEL_Loading").empty());
}

// The dialog's item is watched on the road of its kind; a kind no road takes
// goes on with the next choice instead of leaving the show without one.
TEST_F(SaverActions, TheDialogsItemIsWatchedByItsKind) {
  struct Row {
    int kind;
    int mode;
    int pictures;
    const wchar_t* road;
  };
  const Row rows[] = {
      {4, 3, 0, L"SAVER_VIDEOLOADING_1"},
      {4, 1, 2, L"SAVER_VIDEOLOADING_1"},
      {1, 0, 0, L"SAVER_AUDIOVISUALLOADING_1"},
      {1, 4, 2, L"SAVER_AUDIOVISUALLOADING_1"},
      {1, 1, 2, L"SAVER_PICAUDIOLOADING_1"},
      {1, -1, 0, L"SAVER_AUDIOVISUALLOADING_1"},
      {1, 42, 0, L"SAVER_AUDIOVISUALLOADING_1"},
      {3, 0, 0, L"SAVER_PLAYLISTLOADING_1"},
      {2, 0, 0, L"SAVER_SELECTNEXT_1"},  // no road: the next choice
      {5, 4, 0, L"SAVER_SELECTNEXT_1"},
  };
  g_rec.open = false;  // the next choice finds nothing and waits there
  for (const Row& row : rows) {
    std::string where = "kind " + std::to_string(row.kind) + " mode " + std::to_string(row.mode);
    ClearLists();
    AddPictures(row.pictures);
    CurrentVisualIndex = row.mode;
    SetDialogPlayKind(row.kind);
    Enter(L"SAVER_PLAYERSTOPPED_1");
    Step();
    EXPECT_EQ(CurrentAction(), row.road) << where;
    EXPECT_EQ(GetDialogPlayKind(), 0) << where;
  }
}

// The dialog's Play reaches the show at its next frame, whatever the show
// was watching, and the show then watches the dialog's item on its road;
// its Stop leaves the show at the stopped player.
TEST_F(SaverActions, TheDialogsPlayAndStopTakeOverFromEveryAction) {
  const wchar_t* const from[] = {L"SAVER_PICONLYPLAYING_1",     L"SAVER_PICAUDIOPLAYING_1",
                                 L"SAVER_AUDIOVISUALPLAYING_1", L"SAVER_VIDEOPLAYING_1",
                                 L"SAVER_WEBMPLAYING_1",        L"SAVER_VIDEOLOADING_1",
                                 L"SAVER_PLAYERSTOPPED_1",      L"SAVER_SELECTNEXT_1"};
  CurrentVisualIndex = 4;
  AddWebMedia(L"http://radio.example/stream", L"http://radio.example", 6);
  for (const wchar_t* action : from) {
    for (int kind : {1, 4}) {
      std::string where = WideToUtf8(action) + " kind " + std::to_string(kind);
      g_rec.state = 3;
      Enter(action);
      RequestDialogPlay(L"C:\\media\\item", kind);
      EXPECT_EQ(CurrentAction(), action) << where << ": before the next frame";
      Step();
      EXPECT_EQ(CurrentAction(), kind == 4 ? L"SAVER_VIDEOLOADING_1" : L"SAVER_AUDIOVISUALLOADING_1") << where;
      EXPECT_EQ(trace.Matching(L"dialog play " + std::to_wstring(kind) + L": C:\\media\\item").size(), 1u) << where;
      Step();
      EXPECT_EQ(CurrentAction(), kind == 4 ? L"SAVER_VIDEOPLAYING_1" : L"SAVER_AUDIOVISUALPLAYING_1") << where;
      trace.Clear();
    }
  }
  // Actions that would not notice a stopped player for a while, or at all.
  CurrentVisualIndex = 1;
  AddPictures(1);
  for (const wchar_t* action : {L"SAVER_WEBMPLAYING_1", L"SAVER_PICONLYPLAYING_1"}) {
    g_rec.state = 3;
    Enter(action);
    trace.Clear();
    RequestPlaybackStop();
    g_rec.state = 5;
    Step();  // the request, then the stopped rule in the same frame
    EXPECT_TRUE(trace.Contains(L"SAVER_CHILD -> SAVER_PLAYERSTOPPED_1")) << WideToUtf8(action);
    EXPECT_TRUE(trace.Contains(L"dialog stop")) << WideToUtf8(action);
  }
}

// A playlist plays its entries one after the other on the audio roads: the
// end of the playlist (read by libvlc) or of an entry starts the next entry,
// which the road's loading action waits for; after the last one the show
// chooses again. The video road has no entries to ask for.
TEST_F(SaverActions, PlaylistEntriesFollowOneAnother) {
  struct Road {
    const wchar_t* loading;
    const wchar_t* playing;
    bool entries;
  };
  const Road roads[] = {
      {L"SAVER_AUDIOVISUALLOADING_1", L"SAVER_AUDIOVISUALPLAYING_1", true},
      {L"SAVER_PICAUDIOLOADING_1", L"SAVER_PICAUDIOPLAYING_1", true},
      {L"SAVER_PLAYLISTLOADING_1", L"SAVER_PLAYLISTPLAYING_1", true},
      {L"SAVER_VIDEOLOADING_1", L"SAVER_VIDEOPLAYING_1", false},
  };
  g_rec.open = false;
  CurrentVisualIndex = 1;
  AddPictures(1);
  for (const Road& road : roads) {
    for (int end : {6, 7}) {
      std::string where = WideToUtf8(road.playing) + " end " + std::to_string(end);
      g_rec = Recording();
      g_rec.open = false;
      g_rec.entriesLeft = 2;
      // The playlist itself ends while its road still waits for it.
      Enter(road.loading);
      g_rec.state = end;
      Step();
      if (!road.entries) {
        EXPECT_NE(CurrentAction(), road.loading) << where;  // left for the next choice
        EXPECT_EQ(g_rec.entriesStarted, 0) << where;
        Enter(road.playing);
        Step();
        EXPECT_EQ(g_rec.entriesStarted, 0) << where;
        EXPECT_EQ(g_rec.stops, 1) << where;
        continue;
      }
      EXPECT_EQ(CurrentAction(), road.loading) << where;
      EXPECT_EQ(g_rec.entriesStarted, 1) << where;
      g_rec.state = 0;  // the entry on its way
      Step();
      EXPECT_EQ(CurrentAction(), road.loading) << where;
      g_rec.state = 3;
      Step();
      EXPECT_EQ(CurrentAction(), road.playing) << where;
      // The first entry ends: the second one is waited for.
      g_rec.state = end;
      Step();
      EXPECT_EQ(CurrentAction(), road.loading) << where;
      EXPECT_EQ(g_rec.entriesStarted, 2) << where;
      EXPECT_EQ(g_rec.stops, 0) << where;
      g_rec.state = 3;
      Step();
      EXPECT_EQ(CurrentAction(), road.playing) << where;
      // The last one ends: stopped, and the next choice.
      g_rec.state = end;
      Step();
      EXPECT_EQ(g_rec.stops, 1) << where;
      EXPECT_NE(CurrentAction(), road.playing) << where;
      EXPECT_NE(CurrentAction(), road.loading) << where;
    }
  }
}

// A web item that fails is left at the next frame: an error, or its end
// before it ever played. One still on its way keeps its display time; one the
// user paused is kept.
TEST_F(SaverActions, AWebItemThatFailsIsLeftAtOnce) {
  struct Row {
    const char* name;
    int first, then;  // the state at the first frame, and at every later one
    int leftAtFrame;  // 0: stays; -1: the first frame after its display time
  };
  const Row rows[] = {
      {"error", 7, 7, 1},
      {"ended before playing", 1, 6, 2},
      {"ended after playing", 3, 6, -1},
      {"opening", 1, 1, -1},
      {"buffering", 2, 2, -1},
      {"idle", 0, 0, -1},
      {"paused", 3, 4, 0},
  };
  const double kFrame = 0.066;
  const int kDisplayFrame = static_cast<int>(7.0 / kFrame) + 1;  // first frame past 7 s
  g_rec.open = false;
  AddWebMedia(L"http://radio.example/stream", L"http://radio.example", 6);
  for (const Row& row : rows) {
    g_rec.listStops = 0;
    clock.Set(2000.0);
    Enter(L"SAVER_WEBMPLAYING_1");
    int left = 0;
    for (int frame = 1; frame <= 3 * kDisplayFrame && !left; ++frame) {
      g_rec.state = frame == 1 ? row.first : row.then;
      StepAt(2000.0 + kFrame * frame);
      if (CurrentAction() != L"SAVER_WEBMPLAYING_1") left = frame;
    }
    EXPECT_EQ(left, row.leftAtFrame < 0 ? kDisplayFrame : row.leftAtFrame) << row.name;
    EXPECT_EQ(g_rec.listStops, left ? 1 : 0) << row.name;
  }
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

// A picture that fails among good ones costs a frame, not an interval of
// black screen: the next picture comes at once and is held as usual.
TEST_F(SaverActions, AFailedPictureIsLeftAtOnce) {
  CurrentVisualIndex = 1;
  AddPictures(3);
  g_rec.failingLoad = 2;
  clock.Set(900.0);
  Enter(L"SAVER_SELECTNEXT_1");
  StepAt(900.001);
  EXPECT_EQ(CurrentAction(), L"SAVER_PICONLYPLAYING_1");
  StepAt(905.1);  // the first one's interval is over; the second fails
  EXPECT_EQ(g_rec.pictures, 2);
  EXPECT_LE(lastRest, 1u) << "the frame after a failed picture waits";
  StepAt(905.101);
  EXPECT_EQ(g_rec.pictures, 3);
  StepAt(905.102);
  EXPECT_EQ(CurrentAction(), L"SAVER_PICONLYPLAYING_1");
  StepAt(910.0);
  EXPECT_EQ(g_rec.pictures, 3) << "the third is held for its interval";
  StepAt(910.2);
  EXPECT_EQ(g_rec.pictures, 4);
}

// When every picture fails to load, the show rests before the next choice
// instead of spinning through them frame after frame.
TEST_F(SaverActions, PicturesThatAllFailDoNotSpin) {
  CurrentVisualIndex = 1;
  AddPictures(2);
  g_rec.pictureLoads = false;
  clock.Set(800.0);
  Enter(L"SAVER_SELECTNEXT_1");
  EXPECT_EQ(g_rec.pictures, 1);
  // A failed picture is not held: the next frame tries the next one. That one
  // fails too, so every picture failed: the show rests about a second.
  StepAt(800.002);
  EXPECT_EQ(g_rec.pictures, 2);
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");
  for (int i = 0; i < 14; ++i) StepAt(800.002 + 0.066 * (i + 1));
  EXPECT_EQ(g_rec.pictures, 2);
  StepAt(801.1);
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
  EXPECT_EQ(LastAdvertTime, 900.0);
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

namespace {

using SaverPace = SaverActionsAt;

// One frame late at most: the loop's rest and a little work.
constexpr double kOneFrame = (kFrameRestMs + 2) / 1000.0;

}  // namespace

// Days after the start, the waits end as they do a minute after it: a
// 5-second picture, the 7-second wait for a web item that does not play, and
// the choice's retry when there is nothing to show each end once, within a
// frame of their moment, in as many frames as at 100 s, without the loop
// spinning on the deadline.
TEST_P(SaverPace, WaitsEndOnTimeWhateverTheClockReads) {
  SliderVal_PictureTimeout = 5;
  AddPictures(1);
  AddWebMedia(L"http://radio.example/stream", L"http://radio.example", 6);
  struct Wait {
    const char* name;
    int visualMode;
    const wchar_t* action;
    int state;
    double seconds;
  } waits[] = {
      {"picture", 1, L"SAVER_PICONLYPLAYING_1", 0, 5.0},
      {"web item", 1, L"SAVER_WEBMPLAYING_1", 2, 7.0},
      {"nothing to show", 0, L"SAVER_SELECTNEXT_1", 0, 1.0},
  };
  for (const Wait& w : waits) {
    PacedRun runs[2];
    const double starts[2] = {100.0, GetParam()};
    for (int i = 0; i < 2; ++i) {
      std::string where = std::string(w.name) + " at " + std::to_string(starts[i]);
      CurrentVisualIndex = w.visualMode;
      g_rec.state = w.state;
      g_rec.open = w.visualMode == 0;  // opened, the choice finds nothing to show
      g_rec.listStops = 0;
      g_rec.playNextMedia = 0;
      clock.Set(starts[i]);
      Enter(w.action);
      int tries = g_rec.playNextMedia;
      runs[i] = StepPacedUntil(starts[i], [&] {
        return w.visualMode == 0 ? g_rec.playNextMedia > tries : CurrentAction() != w.action;
      });
      EXPECT_GT(runs[i].ended, w.seconds) << where;
      EXPECT_LE(runs[i].ended, w.seconds + kOneFrame) << where;
      EXPECT_EQ(runs[i].spins, 0) << where;
      if (w.state == 2) {
        EXPECT_EQ(g_rec.listStops, 1) << where;
      }
      if (w.visualMode == 0) {
        EXPECT_EQ(g_rec.playNextMedia, tries + 1) << where;
      }
    }
    EXPECT_EQ(runs[1].frames, runs[0].frames) << w.name << " at " << GetParam();
  }
}

INSTANTIATE_TEST_SUITE_P(ClockReadings, SaverPace, testing::ValuesIn(LongRunClockReadings()), ClockReadingName);

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
