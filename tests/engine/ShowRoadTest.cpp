#include <gtest/gtest.h>
#include <algorithm>

#include "ShowFixture.h"
#include "engine/FrameRest.h"
#include "engine/IntroState.h"
#include "engine/Logic.h"
#include "engine/SaverActions.h"
#include "engine/SaverState.h"
#include "engine/Settings.h"
#include "engine/SystemParams.h"
#include "media/CatalogFixtures.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"

using ShowRoad = ShowFixture;

TEST_F(ShowRoad, BuildsAndTearsDownInItsFixedOrder) {
  Build();
  EXPECT_EQ(GetScrSvrThread(), thread.get());
  EXPECT_EQ(thread->GetWindow(), window);
  Destroy();
  EXPECT_EQ(GetScrSvrThread(), nullptr);
  EXPECT_EQ(GetScrSvrApp(), nullptr);
  EXPECT_EQ(GetScrSvrDevice(), nullptr);
  std::vector<std::wstring> steps = trace.Matching(L"build:");
  EXPECT_EQ(steps, (std::vector<std::wstring>{L"build: COM", L"build: settings", L"build: player", L"build: logic",
                                              L"build: randomizer", L"build: device", L"build: application"}));
  steps = trace.Matching(L"teardown:");
  EXPECT_EQ(steps, (std::vector<std::wstring>{L"teardown: player", L"teardown: randomizer", L"teardown: logic",
                                              L"teardown: application", L"teardown: device", L"teardown: done"}));
  // "BootState" is entered while the application object is built, before any frame.
  auto lines = trace.Lines();
  auto boot = std::find(lines.begin(), lines.end(), L"AppHarrowbell1_MainMachine -> BootState");
  auto app = std::find(lines.begin(), lines.end(), L"build: application");
  EXPECT_LT(boot, app);
}

TEST_F(ShowRoad, FromBootThroughTheIntroHoldToTheSaver) {
  Build();
  EXPECT_EQ(CurrentState(), L"BootState");
  EXPECT_EQ(CurrentAction(), L"BOOT_ACT_SPLASH");
  EXPECT_FALSE(GetScrSvrApp()->HasTexture());

  Step();  // pass 1: the splash moves on, the state stays
  EXPECT_EQ(CurrentState(), L"BootState");
  EXPECT_EQ(CurrentAction(), L"BOOT_ACT_OUTROEXIT");

  Step();  // pass 2: the intro starts and takes its start time
  EXPECT_EQ(CurrentState(), L"IntroState");
  EXPECT_EQ(CurrentAction(), L"INTRO_ACT_SPLASH_1");
  double start = GetIntroStartTime();
  EXPECT_DOUBLE_EQ(start, clock.Now());

  // Exactly one second is not enough: the hold is strict. The loop rests its
  // full frame while the end is far, then wakes just after it.
  clock.Set(start + 0.5);
  Step(0.0);
  EXPECT_EQ(lastRest, 66u);
  clock.Set(start + 0.96875);
  Step(0.0);
  EXPECT_NEAR(lastRest, 33.0, 1.0);
  clock.Set(start + 1.0);
  Step(0.0);
  EXPECT_EQ(CurrentAction(), L"INTRO_ACT_SPLASH_1");
  EXPECT_LE(lastRest, 2u);
  Step(0.01);
  EXPECT_EQ(CurrentAction(), L"INTRO_ACT_OUTRO_1");
  EXPECT_EQ(CurrentState(), L"IntroState");

  ForcePictureRender = 1;
  Step();  // the intro hands over; leaving it clears the forced render
  EXPECT_EQ(CurrentState(), L"SaverState");
  EXPECT_EQ(ForcePictureRender, 0);
  // The splash's first update ran in the same frame and went on to the choice.
  EXPECT_EQ(CurrentAction(), L"SAVER_SELECTNEXT_1");
  EXPECT_EQ(trace.Matching(L"AppHarrowbell1_MainMachine -> HelpState").size(), 0u);
}

namespace {
class ShowRoadAt : public ShowFixture, public testing::WithParamInterface<double> {};
}  // namespace

// Days after the start the intro's hold ends as it does a minute after it:
// within a frame of its second, in as many frames, without the loop spinning.
TEST_P(ShowRoadAt, TheIntroHoldEndsOnTimeWhateverTheClockReads) {
  const double starts[2] = {100.0, GetParam()};
  PacedRun runs[2];
  for (int i = 0; i < 2; ++i) {
    std::string where = "at " + std::to_string(starts[i]);
    ResetIntroHoldForTests();
    clock.Set(starts[i]);
    Build();
    Step();
    Step();
    ASSERT_EQ(CurrentAction(), L"INTRO_ACT_SPLASH_1") << where;
    double began = GetIntroStartTime();
    EXPECT_DOUBLE_EQ(began, clock.Now()) << where;
    runs[i] = StepPacedUntil(began, [&] { return CurrentAction() != L"INTRO_ACT_SPLASH_1"; });
    EXPECT_GT(runs[i].ended, 1.0) << where;
    EXPECT_LE(runs[i].ended, 1.0 + (kFrameRestMs + 2) / 1000.0) << where;
    EXPECT_EQ(runs[i].spins, 0) << where;
    Destroy();
  }
  EXPECT_EQ(runs[1].frames, runs[0].frames);
}

INSTANTIATE_TEST_SUITE_P(ClockReadings, ShowRoadAt, testing::ValuesIn(LongRunClockReadings()), ClockReadingName);

TEST_F(ShowRoad, TheSaverStateBuildsItsTwentyActions) {
  Build();
  for (int i = 0; i < 3; ++i) Step();
  Step(1.1);
  Step();
  ASSERT_EQ(CurrentState(), L"SaverState");
  CScrSvrState* saver = GetScrSvrApp()->GetMachine()->GetState(L"SaverState");
  ASSERT_NE(saver->GetChildMachine(), nullptr);
  EXPECT_EQ(saver->GetChildMachine()->GetStateCount(), 20);
  for (const SaverActionEntry& entry : kSaverActions) {
    CScrSvrState* action = saver->GetAction(entry.name);
    ASSERT_NE(action, nullptr) << entry.name;
    bool outro = std::wstring(entry.name) == L"SAVER_OUTRO_1";
    CScrSvrTransition* first = action->GetTransition(0);
    if (outro) {
      EXPECT_EQ(action->GetTransitionCount(), 0);
    } else {
      ASSERT_NE(first, nullptr);
      std::wstring target;
      first->GetName(target);
      EXPECT_EQ(target, L"SAVER_OUTRO_1") << entry.name;
    }
  }
  // Init switched to the splash once; the state's Enter entered it again.
  EXPECT_EQ(trace.Matching(L"SAVER_CHILD -> SAVER_SPLASH_1").size(), 1u);
}

// The system parameters found on entry are in force again after the show.
TEST_F(ShowRoad, SystemParametersAreRestoredAtTheEnd) {
  ASSERT_TRUE(SetSystemValue(SPI_SETSCREENSAVETIMEOUT, 600));
  SetSystemFlag(SPI_SETSCREENSAVEACTIVE, true);
  Build();
  for (int i = 0; i < 3; ++i) Step();
  Step(1.1);
  Step();
  ASSERT_EQ(CurrentState(), L"SaverState");
  const SavedSystemParameters& saved = GetSavedSystemParameters();
  EXPECT_TRUE(saved.screenSaveTimeout.valid);
  EXPECT_EQ(saved.screenSaveTimeout.value, 600);
  int dummy = 0;
  EXPECT_EQ(saved.lowPowerTimeout.valid, GetSystemValueChecked(SPI_GETLOWPOWERTIMEOUT, &dummy));

  bool lowPowerTimeoutRead = saved.lowPowerTimeout.valid;
  SetSystemValue(SPI_SETSCREENSAVETIMEOUT, 120);  // something changed them meanwhile
  SetSystemFlag(SPI_SETSCREENSAVEACTIVE, false);
  trace.Clear();
  Destroy();
  EXPECT_EQ(GetSystemValue(SPI_GETSCREENSAVETIMEOUT), 600);
  bool active = false;
  ASSERT_TRUE(GetSystemFlagChecked(SPI_GETSCREENSAVEACTIVE, &active));
  EXPECT_TRUE(active);
  // Each write-back is recorded as it is made, with the value and the answer.
  std::vector<std::wstring> records = trace.Matching(L"system parameter restored: ");
  auto has = [&](const std::wstring& text) {
    return std::find(records.begin(), records.end(), L"system parameter restored: " + text) != records.end();
  };
  EXPECT_TRUE(has(L"SPI_SETSCREENSAVEACTIVE 1 accepted"));
  EXPECT_TRUE(has(L"SPI_SETSCREENSAVETIMEOUT 600 accepted"));
  // A parameter this system cannot read is not written back at all.
  EXPECT_EQ(std::count_if(records.begin(), records.end(),
                          [](const std::wstring& r) { return r.find(L"SPI_SETLOWPOWERTIMEOUT") != std::wstring::npos; }),
            lowPowerTimeoutRead ? 1 : 0);
}

// Ended before the saver state was ever entered: nothing is written back, so
// the user's settings are not replaced by zeros.
TEST_F(ShowRoad, EndingDuringTheIntroLeavesTheSystemParametersAlone) {
  ASSERT_TRUE(SetSystemValue(SPI_SETSCREENSAVETIMEOUT, 300));
  SetSystemFlag(SPI_SETSCREENSAVEACTIVE, true);
  Build();
  Step();
  Step();
  ASSERT_EQ(CurrentState(), L"IntroState");
  Destroy();
  EXPECT_TRUE(trace.Matching(L"system parameter restored: ").empty());
  EXPECT_EQ(GetSystemValue(SPI_GETSCREENSAVETIMEOUT), 300);
  bool active = false;
  ASSERT_TRUE(GetSystemFlagChecked(SPI_GETSCREENSAVEACTIVE, &active));
  EXPECT_TRUE(active);
}

// As a new user meets the show: nothing stored but the install folder, so
// the built-in Local Image mode and no picture interval, and a catalog of
// three pictures. Each picture stays five seconds, one after the other.
TEST_F(ShowRoad, OnAFreshInstallEachPictureStaysFiveSeconds) {
  std::wstring install = MakeTempFolder(L"kel-fresh");
  ASSERT_TRUE(MakeFolders(install + L"kelconfig\\Scripts\\dialogs"));
  std::vector<std::wstring> paths;
  std::vector<CatalogNode> items;
  for (int i = 0; i < 3; ++i) {
    std::wstring name = L"picture" + std::to_wstring(i) + L".png";
    paths.push_back(install + name);
    ASSERT_TRUE(WriteFileBytes(paths.back(), MakePng(32, 24, 0x400000u * (i + 1), 0xFFFFFF)));
    items.push_back({L"PICTURE", name, paths.back(), install.substr(0, install.size() - 1)});
  }
  ASSERT_TRUE(WriteFileBytes(install + L"kelconfig\\Scripts\\dialogs\\catalog.xml", CatalogXml(items)));
  registry.SetText(L"KEL_TARGETDIR", install);

  Build();
  ASSERT_EQ(CurrentVisualIndex, 1);
  std::vector<double> shownAt;
  double giveUp = clock.Now() + 60.0;
  while (shownAt.size() < 4 && clock.Now() < giveUp) {
    Step();
    while (shownAt.size() < trace.Matching(L"picture: ").size()) shownAt.push_back(clock.Now());
  }
  std::vector<std::wstring> shown = trace.Matching(L"picture: ");
  ASSERT_EQ(shown.size(), 4u);
  for (const std::wstring& line : shown)
    EXPECT_NE(std::find(paths.begin(), paths.end(), line.substr(9)), paths.end()) << WideToUtf8(line);
  EXPECT_NE(shown[0], shown[1]);
  EXPECT_NE(shown[1], shown[2]);
  EXPECT_NE(shown[0], shown[2]);
  EXPECT_EQ(shown[3], shown[0]);
  // Up more than five seconds, and gone within the frames that notice it.
  for (size_t i = 1; i < shownAt.size(); ++i) {
    EXPECT_GT(shownAt[i] - shownAt[i - 1], 5.0) << i;
    EXPECT_LT(shownAt[i] - shownAt[i - 1], 5.0 + 3 * 0.066) << i;
  }
  // The show keeps to the minimum without storing anything.
  EXPECT_FALSE(registry.HasValue(L"SliderVal_PictureTimeout"));
  Destroy();
  RemoveTree(install);
}

TEST_F(ShowRoad, PicturesLoadAsTheBackgroundTexture) {
  Build();
  CScrSvrApp* app = GetScrSvrApp();
  std::wstring folder = MakeTempFolder(L"kel-texture");
  ASSERT_TRUE(WriteFileBytes(folder + L"red.png", MakePng(64, 32, 0xFF0000, 0x00FF00)));
  EXPECT_TRUE(app->LoadTexture(folder + L"red.png"));
  EXPECT_TRUE(app->HasTexture());
  Step();
  app->ReleaseTexture();
  EXPECT_FALSE(app->HasTexture());
  EXPECT_FALSE(app->LoadTexture(folder + L"missing.png"));
  EXPECT_FALSE(app->HasTexture());
  ASSERT_TRUE(WriteFileBytes(folder + L"broken.png", "not a picture"));
  EXPECT_TRUE(app->LoadTexture(folder + L"red.png"));
  EXPECT_FALSE(app->LoadTexture(folder + L"broken.png"));  // the old one is let go
  EXPECT_FALSE(app->HasTexture());
  Step();
  RemoveTree(folder);
}
