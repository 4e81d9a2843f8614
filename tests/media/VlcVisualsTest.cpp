// Audio visualisations drawn by real libvlc (Debian's, through the Wine
// bridge, with its own outputs) into a real window, seen in a screenshot.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/Randomizer.h"
#include "media/VisualOptions.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/VlcFixture.h"
#include "support/XDisplay.h"

namespace {

constexpr int kPlaying = 3;
constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A black window of its own at a known place on the screen.
class BlackWindow {
 public:
  BlackWindow() {
    static const wchar_t kClass[] = L"KelVisualTestWindow";
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    window_ = CreateWindowExW(WS_EX_TOPMOST, kClass, L"visual", WS_POPUP | WS_VISIBLE, 40, 40, kWidth, kHeight,
                              nullptr, nullptr, wc.hInstance, nullptr);
    hasXWindow_ = window_ && WaitForXWindow(window_);
  }
  ~BlackWindow() { DestroyWindow(window_); }
  BlackWindow(const BlackWindow&) = delete;
  BlackWindow& operator=(const BlackWindow&) = delete;

  HWND Handle() const { return window_; }
  bool HasXWindow() const { return hasXWindow_; }
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  // How many pixels of the window on screen are clearly not black; -1 when
  // no screenshot could be taken.
  int LitPixels() const {
    RECT area;
    GetWindowRect(window_, &area);
    std::vector<uint32_t> pixels = GrabScreenArea(area);
    if (pixels.empty()) return -1;
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) {
      return ((p >> 16) & 0xFF) > 48 || ((p >> 8) & 0xFF) > 48 || (p & 0xFF) > 48;
    }));
  }

 private:
  HWND window_ = nullptr;
  bool hasXWindow_ = false;
};

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

INSTANTIATE_TEST_SUITE_P(Modes, VlcVisuals, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<VisualCase>& info) { return info.param.name; });

}  // namespace
