#pragma once
#include <windows.h>

#include <string>

#include "platform/Scoped.h"

// A document written into a file beside the one it is for, which it replaces
// only once it is whole and on the disk: a save that fails half-way leaves
// the user's file as it was. A read-only file is left alone (the system
// would let the replacement through on some file systems). The caller reads
// why a save failed (GetLastError), not how the clean-up went.
//
// An existing file is replaced with ReplaceFileW, so it keeps its
// attributes, permissions and creation time (the attributes are set again
// where the system does not carry them over). A virus scanner or the search
// indexer often holds a file that was just written for a moment: a
// replacement refused as in use is tried again for about a second.
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::wstring& path);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  bool IsOpen() const { return file_.Valid(); }
  bool Write(const std::string& bytes);
  // Flushes the document and puts it in the file's place.
  bool Commit();

  // How often, and how long apart, a refused replacement is tried.
  static constexpr int kReplaceAttempts = 12;
  static constexpr DWORD kReplaceRetryMs = 100;

  // Test seam: the step that puts the written file in place of the target
  // (ReplaceFileW for an existing one); false with the error code set.
  // Null restores it.
  using PutInPlace = bool (*)(const std::wstring& written, const std::wstring& target);
  static void SetPutInPlaceForTests(PutInPlace put);

 private:
  std::wstring path_;
  std::wstring temporary_;
  ScopedHandle file_;
  bool committed_ = false;
};
