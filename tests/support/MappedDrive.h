#pragma once
#include <string>

// A drive letter standing for a folder of the test's own while it lives, so
// that a drive's root can be used without the system drive (whose user
// folders Wine links into the user's Unix home). On Windows DefineDosDevice
// makes it; Wine 8 keeps that definition but its file system never follows
// it, so there the prefix's own drive list gets a link for the letter, as
// winecfg would make one.
class MappedDrive {
 public:
  explicit MappedDrive(const std::wstring& folder);
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  // "K:\", or empty when no letter could be made to stand for the folder.
  const std::wstring& Root() const { return root_; }

 private:
  bool LeadsToFolder() const;

  std::wstring folder_;
  std::wstring device_;  // "K:"
  std::wstring root_;
  bool defined_ = false;
  std::string wineLink_;
};
