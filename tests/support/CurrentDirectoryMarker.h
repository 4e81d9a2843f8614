#pragma once
#include <string>

// While it lives, the current directory is a temporary folder of its own
// holding one marker file: a removal that strays into the current directory
// takes the marker with it.
class CurrentDirectoryMarker {
 public:
  CurrentDirectoryMarker();
  ~CurrentDirectoryMarker();
  CurrentDirectoryMarker(const CurrentDirectoryMarker&) = delete;
  CurrentDirectoryMarker& operator=(const CurrentDirectoryMarker&) = delete;

  // The folder, with its trailing backslash.
  const std::wstring& Folder() const { return folder_; }
  bool MarkerSurvives() const;

 private:
  std::wstring previous_;
  std::wstring folder_;
};
