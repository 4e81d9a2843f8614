#include "support/CurrentDirectoryMarker.h"

#include <windows.h>

#include <stdexcept>

#include "support/TestPaths.h"

namespace {
const char kMarkerText[] = "the current directory's own file";
}

CurrentDirectoryMarker::CurrentDirectoryMarker() : folder_(MakeTempFolder(L"kel-cwd")) {
  wchar_t current[MAX_PATH * 4] = {};
  DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, current);
  if (length == 0 || length >= MAX_PATH * 4) throw std::runtime_error("the current directory is unknown");
  previous_ = current;
  if (!WriteFileBytes(folder_ + L"marker.txt", kMarkerText) || !SetCurrentDirectoryW(folder_.c_str()))
    throw std::runtime_error("the marked current directory could not be set up");
}

CurrentDirectoryMarker::~CurrentDirectoryMarker() {
  SetCurrentDirectoryW(previous_.c_str());
  RemoveTree(folder_);
}

bool CurrentDirectoryMarker::MarkerSurvives() const {
  return ReadFileBytes(folder_ + L"marker.txt") == kMarkerText;
}
