#include <windows.h>

#include "platform/ScreenSaverLibrary.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  return RunScreenSaverLibrary(instance, commandLine);
}
