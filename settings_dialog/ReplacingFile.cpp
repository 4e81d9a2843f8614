#include "settings_dialog/ReplacingFile.h"

#include <algorithm>

#include "platform/Rest.h"

namespace {

ReplacingFile::PutInPlace g_putInPlace = nullptr;

// A read-only file, or a folder of that name: nothing replaces it, however
// long it is tried.
bool IsRefusedTarget(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// ReplaceFileW carries the old file's attributes over; some systems do not
// (Wine, a share whose server cannot).
void KeepAttributes(const std::wstring& target, DWORD was) {
  DWORD now = GetFileAttributesW(target.c_str());
  if (now != INVALID_FILE_ATTRIBUTES && now != was) SetFileAttributesW(target.c_str(), was);
}

// With a backup name ReplaceFileW never leaves the target missing under its
// own name: when it fails half-way the old file is the backup, and goes back.
bool ReplaceExisting(const std::wstring& written, const std::wstring& target) {
  std::wstring backup = target + L".replaced";
  DeleteFileW(backup.c_str());
  DWORD was = GetFileAttributesW(target.c_str());
  if (ReplaceFileW(target.c_str(), written.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr)) {
    DeleteFileW(backup.c_str());
    if (was != INVALID_FILE_ATTRIBUTES) KeepAttributes(target, was);
    return true;
  }
  DWORD error = GetLastError();
  if (!Exists(target) && Exists(backup)) MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
  // Never the only copy of the old file.
  if (Exists(target)) DeleteFileW(backup.c_str());
  SetLastError(error);
  return false;
}

bool PutWrittenInPlace(const std::wstring& written, const std::wstring& target) {
  if (Exists(target)) return ReplaceExisting(written, target);
  return MoveFileExW(written.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// What a scanner or indexer holding one of the files causes; anything else
// will not pass by waiting.
bool IsPassingRefusal(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
      return true;
    default:
      return false;
  }
}

}  // namespace

void ReplacingFile::SetPutInPlaceForTests(PutInPlace put) { g_putInPlace = put; }

ReplacingFile::ReplacingFile(const std::wstring& path) : path_(path), temporary_(path + L".saving") {
  if (path.empty() || IsRefusedTarget(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return;
  }
  DeleteFileW(temporary_.c_str());
  file_.Reset(
      CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_.Valid()) temporary_.clear();  // none was made: none to delete
}

ReplacingFile::~ReplacingFile() {
  if (committed_ || temporary_.empty()) return;
  DWORD error = GetLastError();
  file_.Close();
  DeleteFileW(temporary_.c_str());
  SetLastError(error);
}

bool ReplacingFile::Write(const std::string& bytes) {
  size_t done = 0;
  while (file_.Valid() && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file_.Get(), bytes.data() + done, chunk, &written, nullptr) || written != chunk) return false;
    done += written;
  }
  return file_.Valid();
}

bool ReplacingFile::Commit() {
  if (!file_.Valid() || !FlushFileBuffers(file_.Get())) return false;
  file_.Close();
  PutInPlace put = g_putInPlace ? g_putInPlace : PutWrittenInPlace;
  for (int attempt = 1;; ++attempt) {
    if (put(temporary_, path_)) break;
    DWORD error = GetLastError();
    if (attempt == kReplaceAttempts || !IsPassingRefusal(error)) return false;
    Rest(kReplaceRetryMs);
    SetLastError(error);
  }
  committed_ = true;
  return true;
}
