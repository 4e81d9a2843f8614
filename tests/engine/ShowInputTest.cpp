// The real kel.scr under Wine with real libvlc drawing into the show's
// window (a video, a web stream, a visualisation): a key or a mouse move
// from the X server ends the show, as it does over a picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/SystemParams.h"
#include "media/CatalogFixtures.h"
#include "media/VisualOptions.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/ShowInstall.h"
#include "support/ShowTrace.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"
#include "support/VlcFixture.h"
#include "support/XDisplay.h"

namespace {

enum class Drawn { Video, WebStream, Visualisation };

struct InputCase {
  const char* name;
  Drawn drawn;
  // xdotool commands: what a user does while libvlc draws.
  const char* input;
};

const char kKey[] = "key space";
// The mouse first settles (the saver takes its first position as the
// start), then moves well past the jitter the saver ignores.
const char kMouseMove[] = "mousemove_relative 1 1 sleep 0.5 mousemove_relative 60 40";

const InputCase kInputs[] = {
    {"key over a video", Drawn::Video, kKey},
    {"mouse move over a video", Drawn::Video, kMouseMove},
    {"key over a web stream", Drawn::WebStream, kKey},
    {"mouse move over a visualisation", Drawn::Visualisation, kMouseMove},
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

RECT Screen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// Points of a 4-pixel grid that are lit and coloured: the show itself draws
// only black here (and its loading picture only greys).
int ColouredPoints(const std::vector<uint32_t>& pixels) {
  RECT screen = Screen();
  int width = screen.right, count = 0;
  for (size_t at = 0; at < pixels.size(); at += 4) {
    if ((at / width) % 4 != 0) continue;
    int r = (pixels[at] >> 16) & 0xFF, g = (pixels[at] >> 8) & 0xFF, b = pixels[at] & 0xFF;
    int high = std::max(r, std::max(g, b)), low = std::min(r, std::min(g, b));
    if (high > 48 && high - low > 40) ++count;
  }
  return count;
}

// Far fewer than the thinnest visualisation gives.
constexpr int kLibvlcDrawing = 100;

class ShowInput : public testing::TestWithParam<InputCase> {
 protected:
  void SetUp() override {
    install = MakeTempFolder(L"kel-input");
    ASSERT_TRUE(MakeShowInstall(install));
    // Media far longer than the test, so libvlc is still drawing when the
    // input comes.
    CatalogNode item;
    if (GetParam().drawn == Drawn::Visualisation) {
      std::wstring tone = install + L"media\\long.wav";
      ASSERT_TRUE(WriteFileBytes(tone, MakeWav(30.0)));
      item = {L"AUDIO", L"long.wav", tone, install + L"media"};
      playing = L"SAVER_AUDIOVISUALPLAYING_1";
    } else {
      std::wstring video = install + L"media\\long.y4m";
      ASSERT_TRUE(WriteFileBytes(video, MakeY4m(160, 120, 300, 10, 120, 60, 200)));
      if (GetParam().drawn == Drawn::WebStream) {
        item = {L"WEBM", L"long.y4m", FileUrl(video), install + L"media"};
        playing = L"SAVER_WEBMPLAYING_1";
      } else {
        item = {L"VIDEO", L"long.y4m", video, install + L"media"};
        playing = L"SAVER_VIDEOPLAYING_1";
      }
    }
    ASSERT_TRUE(WriteFileBytes(install + L"kelconfig\\Scripts\\dialogs\\catalog.xml",
                               CatalogXml({{L"FOLDER0", L"media", install + L"media",
                                            install.substr(0, install.size() - 1), {item}}})));
    registry.SetText(L"KEL_TARGETDIR", install);
    registry.SetDword(L"CurrentVisualIndex",
                      GetParam().drawn == Drawn::Visualisation ? VisualModeScope : VisualModeNone);
    registry.SetDword(L"RandomMedia", 0);
    registry.SetDword(L"CurrentMediaIndex", static_cast<DWORD>(-1));
    SetSystemValue(SPI_SETSCREENSAVETIMEOUT, 600);
    // libvlc's own outputs: its video window is what takes the input.
    SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_OUTPUT", nullptr);
  }
  void TearDown() override {
    show.Kill();
    RemoveTree(install);
  }

  RegistrySandbox registry;
  std::wstring install;
  std::wstring playing;  // the saver action that watches the item
  ChildProcess show;
};

TEST_P(ShowInput, EndsTheShowWhileLibvlcDraws) {
  std::wstring tracePath = install + L"trace.txt";
  ASSERT_TRUE(show.Start(ProgramFolder() + L"kel.scr", L"/s", L"KEL_TRACE=" + tracePath));
  ASSERT_TRUE(WaitUntil(30000, [&] {
    return FindTraceLine(ReadShowTrace(tracePath), L"SAVER_CHILD -> " + playing) != nullptr;
  })) << "the item never played: " << WideToUtf8(playing);
  // libvlc's picture over the show's black window: the video's field, or
  // the visualisation's coloured lines.
  int coloured = 0;
  ASSERT_TRUE(WaitUntil(30000, [&] {
    coloured = ColouredPoints(GrabScreenArea(Screen()));
    return coloured >= kLibvlcDrawing || !show.IsRunning();
  })) << "libvlc's picture never came on screen (" << coloured << " coloured points)";
  ASSERT_TRUE(show.IsRunning());

  ASSERT_TRUE(RunXdotool(GetParam().input)) << "xdotool did not run";
  EXPECT_TRUE(show.Wait(5000)) << "the show was still running 5 s after the " << GetParam().name;
  EXPECT_EQ(show.ExitCode(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ShowInput, testing::ValuesIn(kInputs),
                         [](const testing::TestParamInfo<InputCase>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == ' ') c = '_';
                           return name;
                         });

}  // namespace
