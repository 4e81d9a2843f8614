// Audio visualisations, and the loading picture, drawn by real libvlc
// (Debian's, through the Wine bridge, with its own outputs) into a real
// window, seen in a screenshot.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "engine/Logic.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/Randomizer.h"
#include "media/VisualOptions.h"
#include "support/BlackWindow.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"
#include "support/VlcFixture.h"

namespace {

constexpr int kPlaying = 3;
constexpr int kWidth = BlackWindow::kWidth;
constexpr int kHeight = BlackWindow::kHeight;

constexpr int kEnded = 6;
// Enough of the window lit to be an effect, not a stray pixel.
constexpr int kDrawn = kWidth * kHeight / 200;

struct VisualCase {
  const char* name;
  VisualMode mode;
  bool drawn;
};

const VisualCase kCases[] = {
    {"Scope", VisualModeScope, true},
    {"Spectrum", VisualModeSpectrum, true},
    {"Spectrometer", VisualModeSpectrometer, true},
    {"VuMeter", VisualModeVuMeter, true},
    {"Random", VisualModeRandom, true},
    {"None", VisualModeNone, false},
};

void PrintTo(const VisualCase& c, std::ostream* os) { *os << c.name; }

class VlcVisuals : public VlcFixture, public testing::WithParamInterface<VisualCase> {
 protected:
  VlcVisuals() { dummyOutputs_ = false; }
};

class VlcLoadingPicture : public VlcFixture {
 protected:
  VlcLoadingPicture() { dummyOutputs_ = false; }
};

TEST_P(VlcVisuals, ToneShowsItsVisualisationInTheWindow) {
  // Random draws from the show's shuffled order of the four effects.
  Tam_Randomizer randomizer;
  randomizer.CreateSlots(4);
  randomizer.SetupSlot(3, 4);
  randomizer.ShuffleSlot(3);

  BlackWindow window;
  ASSERT_TRUE(window.HasXWindow()) << "Wine made no X11 window for the test's window";
  SetVideoWindow(window.Handle());
  ASSERT_EQ(window.LitPixels(), 0) << "the window starts black";

  ApplyVisualOptions(GetParam().mode);
  if (GetParam().drawn) {
    // Far longer than the effect takes to fill its picture: the tone still
    // playing when the effect is seen shows the sound went through.
    ASSERT_TRUE(PlayFile(WriteMedia(L"tone.wav", MakeWav(60.0, 22050, 440.0))));
    ASSERT_TRUE(ReachesState(kPlaying));
    int lit = 0;
    bool seen = WaitUntil(60000, [&] {
      BlackWindow::Pump();
      lit = window.LitPixels();
      return lit > kDrawn || GetPlayerState() != kPlaying;
    });
    ASSERT_EQ(GetPlayerState(), kPlaying) << "the tone stopped: no sound device?";
    ASSERT_GE(lit, 0) << "no screenshot";
    EXPECT_TRUE(seen && lit > kDrawn) << "no visualisation on screen (" << lit << " pixels lit)";
  } else {
    // The whole tone plays, and the window is black in every screenshot
    // taken meanwhile.
    ASSERT_TRUE(PlayFile(WriteMedia(L"tone.wav", MakeWav(4.0, 22050, 440.0))));
    ASSERT_TRUE(ReachesState(kPlaying));
    int mostLit = 0, shots = 0;
    bool ended = WaitUntil(60000, [&] {
      BlackWindow::Pump();
      int lit = window.LitPixels();
      if (lit != 0) mostLit = lit < 0 ? mostLit : std::max(mostLit, lit);
      if (lit >= 0) ++shots;
      return GetPlayerState() == kEnded;
    });
    ASSERT_TRUE(ended) << "the tone did not play to its end; state " << GetPlayerState();
    ASSERT_GT(shots, 0) << "no screenshot";
    EXPECT_EQ(mostLit, 0) << "something was drawn without a visualisation";
  }
  StopPlayer();
}

// The loading picture, as libvlc shows it, keeps its own proportions like
// every picture of the show: a 16:5 picture in a 4:3 window fills its width
// and a band of 100 rows across the middle, the rest stays black.
TEST_F(VlcLoadingPicture, KeepsItsProportions) {
  std::wstring folder = InstallFolder() + L"kelconfig\\Backgrnds\\";
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(WriteFileBytes(folder + L"KEL_Loading.png", MakePng(640, 200, 0x2050A0, 0x2050A0)));
  BlackWindow window;
  SetVideoWindow(window.Handle());
  LoadingPicturePending = 1;
  KEL_Logic::ShowLoadingPicture();
  ASSERT_TRUE(ReachesState(kPlaying));
  const int band = kWidth * 100;  // rows 70 to 169; a row either side may be blended
  ASSERT_TRUE(WaitUntil(5000, [&] {
    BlackWindow::Pump();
    return window.LitPixels(71, 169) == kWidth * 98;
  })) << "lit inside the band: " << window.LitPixels(70, 170) << " of " << band;
  EXPECT_EQ(window.LitPixels(0, 69), 0) << "above the band";
  EXPECT_EQ(window.LitPixels(171, kHeight), 0) << "below the band";
  EXPECT_LE(window.LitPixels(), band + 2 * kWidth);
  StopPlayer();
}

INSTANTIATE_TEST_SUITE_P(Modes, VlcVisuals, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<VisualCase>& info) { return info.param.name; });

}  // namespace
