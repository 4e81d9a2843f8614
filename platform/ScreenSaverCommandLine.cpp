#include "platform/ScreenSaverCommandLine.h"

#include <cwctype>

namespace {

const wchar_t* SkipBlanks(const wchar_t* p) {
  while (*p == L' ' || *p == L'\t' || *p == L'"') ++p;
  return p;
}

// Reads an optional window handle given as a decimal number after ':' or blanks.
bool ReadWindow(const wchar_t* p, HWND* window) {
  if (*p == L':') ++p;
  p = SkipBlanks(p);
  if (*p < L'0' || *p > L'9') return false;
  unsigned long long value = 0;
  while (*p >= L'0' && *p <= L'9') {
    value = value * 10 + static_cast<unsigned>(*p - L'0');
    if (value > 0xFFFFFFFFull) return false;  // handles are 32 bits wide
    ++p;
  }
  *window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
  return true;
}

}  // namespace

ScreenSaverCommand ParseScreenSaverCommandLine(const wchar_t* commandLine) {
  ScreenSaverCommand command;
  if (!commandLine) return command;
  const wchar_t* p = SkipBlanks(commandLine);
  if (*p != L'/' && *p != L'-') return command;
  ++p;
  wchar_t letter = static_cast<wchar_t>(std::towlower(*p));
  if (letter) ++p;
  switch (letter) {
    case L's':
      command.mode = ScreenSaverMode::Run;
      break;
    case L'p':
    case L'l':
      command.mode = ScreenSaverMode::Preview;
      command.windowGiven = ReadWindow(p, &command.window);
      break;
    case L'a':
      command.mode = ScreenSaverMode::ChangePassword;
      command.windowGiven = ReadWindow(p, &command.window);
      break;
    case L'c':
    default:
      command.mode = ScreenSaverMode::Configure;
      command.windowGiven = letter == L'c' && ReadWindow(p, &command.window);
      break;
  }
  return command;
}
