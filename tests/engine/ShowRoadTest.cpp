#include <gtest/gtest.h>
#include <algorithm>

#include "ShowFixture.h"
#include "engine/IntroState.h"
#include "engine/Logic.h"
#include "engine/SaverActions.h"
#include "engine/SaverState.h"
#include "engine/SystemParams.h"
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
  float start = GetIntroStartTime();
  EXPECT_FLOAT_EQ(start, static_cast<float>(clock.Now()));

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

// The top-level states draw the picture over the whole window, unmodulated;
// without a picture the frame stays black.
TEST_F(ShowRoad, TheBackgroundCoversTheWindow) {
  Build();
  CScrSvrApp* app = GetScrSvrApp();
  IDirect3DDevice9* device = GetScrSvrDevice()->GetDevice();
  RECT all = {0, 0, 320, 240};
  auto frame = [&] {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    if (SUCCEEDED(device->BeginScene())) {
      GetScrSvrThread()->Render(device);
      device->EndScene();
    }
  };
  auto isRed = [](DWORD p) { return ((p >> 16) & 0xFF) > 240 && ((p >> 8) & 0xFF) < 16 && (p & 0xFF) < 16; };
  auto isBlack = [](DWORD p) { return (p & 0xFFFFFF) == 0; };

  frame();
  EXPECT_EQ(CountBackBufferPixels(device, all, isBlack), 320 * 240);
  std::wstring folder = MakeTempFolder(L"kel-background");
  ASSERT_TRUE(WriteFileBytes(folder + L"red.png", MakePng(16, 16, 0xFF0000, 0xFF0000)));
  ASSERT_TRUE(app->LoadTexture(folder + L"red.png"));
  frame();
  EXPECT_EQ(CountBackBufferPixels(device, all, isRed), 320 * 240);
  RemoveTree(folder);
}
