// Sleeps for the number of seconds given (default 60), then exits. Tests copy
// it to "kel.scr" or "kelwall.exe" to stand for a running program.
#include <windows.h>
#include <cstdlib>

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  Sleep(static_cast<DWORD>(seconds) * 1000);
  return 0;
}
