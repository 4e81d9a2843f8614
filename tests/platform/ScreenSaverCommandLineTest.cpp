#include <gtest/gtest.h>

#include "platform/ScreenSaverCommandLine.h"

namespace {

struct CommandCase {
  const wchar_t* line;
  ScreenSaverMode mode;
  bool windowGiven;
  ULONG_PTR window;
};

const CommandCase kCases[] = {
    {L"", ScreenSaverMode::Configure, false, 0},
    {nullptr, ScreenSaverMode::Configure, false, 0},
    {L"/s", ScreenSaverMode::Run, false, 0},
    {L"/S", ScreenSaverMode::Run, false, 0},
    {L"-s", ScreenSaverMode::Run, false, 0},
    {L"  /s  ", ScreenSaverMode::Run, false, 0},
    {L"/p 1234", ScreenSaverMode::Preview, true, 1234},
    {L"/P:99", ScreenSaverMode::Preview, true, 99},
    {L"/l 5", ScreenSaverMode::Preview, true, 5},
    {L"/p", ScreenSaverMode::Preview, false, 0},
    {L"/p bogus", ScreenSaverMode::Preview, false, 0},
    {L"/p 99999999999", ScreenSaverMode::Preview, false, 0},  // wider than a handle
    {L"/c", ScreenSaverMode::Configure, false, 0},
    {L"/c:4242", ScreenSaverMode::Configure, true, 4242},
    {L"/C 17", ScreenSaverMode::Configure, true, 17},
    {L"/a 77", ScreenSaverMode::ChangePassword, true, 77},
    {L"/a", ScreenSaverMode::ChangePassword, false, 0},
    {L"/x", ScreenSaverMode::Configure, false, 0},  // unknown switch: configure
    {L"/", ScreenSaverMode::Configure, false, 0},
    {L"s", ScreenSaverMode::Configure, false, 0},  // no switch character
    {L"\"/s\"", ScreenSaverMode::Run, false, 0},
};

}  // namespace

TEST(ScreenSaverCommandLine, ParsesEveryForm) {
  for (const CommandCase& c : kCases) {
    ScreenSaverCommand command = ParseScreenSaverCommandLine(c.line);
    SCOPED_TRACE(c.line ? c.line : L"(null)");
    EXPECT_EQ(command.mode, c.mode);
    EXPECT_EQ(command.windowGiven, c.windowGiven);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(command.window), c.window);
  }
}
