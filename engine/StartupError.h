#pragma once
#include <string>

// A failure that stops the show before its first frame (no COM apartment, no
// Direct3D, no device), with the text the user is shown.
struct StartupError {
  std::wstring text;
};
