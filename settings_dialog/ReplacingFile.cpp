#include "settings_dialog/ReplacingFile.h"

#include <algorithm>

namespace {

const ReplacingFile::Functions kSystemFunctions = {ReplaceFileW, MoveFileExW};
const ReplacingFile::Functions* g_functions = &kSystemFunctions;

// About as long as a scanner or an indexer holds a file it has just seen.
constexpr ULONGLONG kHeldForMilliseconds = 1000;
constexpr DWORD kPauseMilliseconds = 50;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A read-only file, or a folder (which ReplaceFileW would move aside like
// a file).
bool IsUnwritable(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

// Failures that mean another program has one of the files open for now.
// After each, both files are under their own names again (ReplaceFileW's
// third leaves the old file under the backup name; PutInPlace puts it back).
bool IsHeldForNow(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:     // the old file could not be moved aside
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:    // the document could not be renamed
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:  // the same, once the old file was aside
      return true;
    default:
      return false;
  }
}

}  // namespace

ReplacingFile::ReplacingFile(const std::wstring& path)
    : path_(path), temporary_(path + L".saving"), backup_(path + L".replaced") {
  if (path.empty()) return;
  if (IsUnwritable(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return;
  }
  // A backup is only left behind when the old file could not be put back:
  // then it is the old file.
  PutOldFileBack();
  DeleteFileW(backup_.c_str());
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
  // Windows' ReplaceFileW gives the document all of the old file's
  // attributes itself; Wine's gives none, so a hidden catalog would show.
  DWORD old = GetFileAttributesW(path_.c_str());
  const DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (old != INVALID_FILE_ATTRIBUTES && (old & kCarried)) SetFileAttributesW(temporary_.c_str(), old & kCarried);
  ULONGLONG start = GetTickCount64();
  while (!PutInPlace()) {
    DWORD error = GetLastError();
    if (!IsHeldForNow(error) || GetTickCount64() - start >= kHeldForMilliseconds) {
      // The old file stays under the backup name only if it cannot be
      // moved back at all: deleting it there would lose it.
      PutOldFileBack();
      SetLastError(error);
      return false;
    }
    Sleep(kPauseMilliseconds);
  }
  committed_ = true;
  DeleteFileW(backup_.c_str());
  return true;
}

bool ReplacingFile::PutInPlace() {
  if (!Exists(path_))
    return g_functions->moveFile(temporary_.c_str(), path_.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  // REPLACEFILE_WRITE_THROUGH is not supported: the document was flushed.
  if (g_functions->replaceFile(path_.c_str(), temporary_.c_str(), backup_.c_str(), 0, nullptr, nullptr)) return true;
  DWORD error = GetLastError();
  // ReplaceFileW can give up after moving the old file to the backup name;
  // it goes back before anything else. Should that fail, the next attempt
  // finds no old file and moves the document into place.
  PutOldFileBack();
  SetLastError(error);
  return false;
}

void ReplacingFile::PutOldFileBack() {
  if (!Exists(path_) && Exists(backup_)) g_functions->moveFile(backup_.c_str(), path_.c_str(), MOVEFILE_WRITE_THROUGH);
}

void ReplacingFile::SetFunctionsForTests(const Functions* functions) {
  g_functions = functions ? functions : &kSystemFunctions;
}
