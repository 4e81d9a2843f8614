#pragma once
#include <windows.h>

// The screen-saver command line: "/s" run, "/p <hwnd>" preview in a window,
// "/c[:hwnd]" configure, "/a <hwnd>" change password. Switches may start with
// '/' or '-', in either case; no argument and unknown switches configure, as
// the platform's own library does.
enum class ScreenSaverMode { Run, Preview, Configure, ChangePassword };

struct ScreenSaverCommand {
  ScreenSaverMode mode = ScreenSaverMode::Configure;
  HWND window = nullptr;  // preview parent, configure owner or password owner
  bool windowGiven = false;
};

ScreenSaverCommand ParseScreenSaverCommandLine(const wchar_t* commandLine);
