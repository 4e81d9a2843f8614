// The real kel.scr under Wine with real libvlc drawing a video into the
// show's window: a key or a mouse move from the X server ends the show, as
// it does over a picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "engine/SystemParams.h"
#include "media/CatalogFixtures.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/ShowTrace.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"
#include "support/XDisplay.h"

namespace {

struct InputCase {
  const char* name;
  // xdotool commands: what a user does while the video plays.
  const char* input;
};

// The mouse first settles (the saver takes its first position as the
// start), then moves well past the jitter the saver ignores.
const InputCase kInputs[] = {
    {"key", "key space"},
    {"mouse move", "mousemove_relative 1 1 sleep 0.5 mousemove_relative 60 40"},
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

class ShowInput : public testing::TestWithParam<InputCase> {
 protected:
  void SetUp() override {
    install = MakeTempFolder(L"kel-input");
    ASSERT_TRUE(InstallBridge(install));
    ASSERT_TRUE(MakeFolders(install + L"kelconfig\\Scripts\\dialogs"));
    ASSERT_TRUE(MakeFolders(install + L"kelconfig\\Backgrnds"));
    ASSERT_TRUE(MakeFolders(install + L"media"));
    ASSERT_TRUE(WriteFileBytes(install + L"kelconfig\\Backgrnds\\KEL_Loading.png", MakePng(64, 48, 0x000000, 0x808080)));
    // A video far longer than the test, so it is still drawing when the
    // input comes.
    std::wstring video = install + L"media\\long.y4m";
    ASSERT_TRUE(WriteFileBytes(video, MakeY4m(160, 120, 300, 10, 120, 60, 200)));
    CatalogNode item = {L"VIDEO", L"long.y4m", video, install + L"media"};
    ASSERT_TRUE(WriteFileBytes(install + L"kelconfig\\Scripts\\dialogs\\catalog.xml",
                               CatalogXml({{L"FOLDER0", L"media", install + L"media",
                                            install.substr(0, install.size() - 1), {item}}})));
    registry.SetText(L"KEL_TARGETDIR", install);
    registry.SetDword(L"CurrentVisualIndex", 0);
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
  ChildProcess show;
};

TEST_P(ShowInput, EndsTheShowWhileAVideoPlays) {
  std::wstring tracePath = install + L"trace.txt";
  ASSERT_TRUE(show.Start(ProgramFolder() + L"kel.scr", L"/s", L"KEL_TRACE=" + tracePath));
  ASSERT_TRUE(WaitUntil(30000, [&] {
    return FindTraceLine(ReadShowTrace(tracePath), L"SAVER_CHILD -> SAVER_VIDEOPLAYING_1") != nullptr;
  })) << "the video never played";
  // Let libvlc's window come up over the show's.
  Sleep(1500);
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
