#pragma once
#include <windows.h>

// Screen-saver and power parameters written to the user profile, where a
// program started afterwards reads them: Wine keeps a change made without
// SPIF_UPDATEINIFILE inside the process that made it. On exit the values
// this process saw at the start go back into the profile.
class ProfileSystemParameters {
 public:
  ProfileSystemParameters();
  ~ProfileSystemParameters();
  ProfileSystemParameters(const ProfileSystemParameters&) = delete;
  ProfileSystemParameters& operator=(const ProfileSystemParameters&) = delete;

  // The SPI_SET action of a flag or a time-out; true when the system took it.
  bool SetFlag(UINT action, bool on);
  bool SetValue(UINT action, int value);

 private:
  struct Kept {
    UINT setAction;
    bool valid;
    int value;
  };
  Kept kept_[4];
};
