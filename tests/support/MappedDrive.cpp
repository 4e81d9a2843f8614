#include "support/MappedDrive.h"

#include <windows.h>

#include "platform/WideText.h"
#include "support/XDisplay.h"

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

MappedDrive::MappedDrive(const std::wstring& folder) : folder_(folder) {
  while (folder_.size() > 3 && (folder_.back() == L'\\' || folder_.back() == L'/')) folder_.pop_back();
  DWORD used = GetLogicalDrives();
  wchar_t letter = 0;
  for (wchar_t candidate = L'Y'; candidate >= L'K' && !letter; --candidate)
    if (!(used & (1u << (candidate - L'A')))) letter = candidate;
  if (!letter) return;
  device_ = std::wstring(1, letter) + L":";
  std::wstring root = device_ + L"\\";

  defined_ = DefineDosDeviceW(0, device_.c_str(), folder_.c_str()) != FALSE;
  if (defined_ && LeadsToFolder()) {
    root_ = root;
    return;
  }
  if (defined_) DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, device_.c_str(), folder_.c_str());
  defined_ = false;

  wchar_t prefix[MAX_PATH * 4] = {};
  std::string target = UnixPathOf(folder_);
  if (target.empty() || !GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH * 4)) return;
  std::wstring lower(1, static_cast<wchar_t>(towlower(letter)));
  std::string link = WideToUtf8(prefix) + "/dosdevices/" + WideToUtf8(lower) + ":";
  if (!RunOnXDisplay("ln -s " + Quoted(target) + " " + Quoted(link))) return;
  wineLink_ = link;
  if (LeadsToFolder()) root_ = root;
}

MappedDrive::~MappedDrive() {
  if (defined_) DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, device_.c_str(), folder_.c_str());
  if (!wineLink_.empty()) RunOnXDisplay("rm -f " + Quoted(wineLink_));
}

// A file made in the folder is seen at the drive's root.
bool MappedDrive::LeadsToFolder() const {
  std::wstring name = L"kel-drive-probe-" + std::to_wstring(GetCurrentProcessId());
  HANDLE probe = CreateFileW((folder_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  bool seen = GetFileAttributesW((device_ + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  CloseHandle(probe);
  return seen;
}
