#pragma once
#include <windows.h>

#include <string>

#include "platform/Scoped.h"

// A document written into a file beside the one it is for ("<path>.saving"),
// which takes the old file's place only once it is whole and on the disk: a
// save that fails half-way leaves the user's file as it was. An existing
// file is replaced with ReplaceFileW, so that it keeps its attributes, its
// permissions and its creation time; a new one is moved into place.
//
// A scanner or an indexer often holds a file that was just written for a
// moment: a replace refused for that reason is tried again for about a
// second before the save fails. A read-only file is left alone (the system
// would let the replacement through on some file systems), and so is a
// folder. After a failed save the old file is whole under its own name,
// the document is deleted, and GetLastError tells why (not how the clean-up
// went).
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::wstring& path);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  bool IsOpen() const { return file_.Valid(); }
  // Appends to the document, in pieces of at most 16 MB.
  bool Write(const std::string& bytes);
  // Flushes the document and puts it in the old file's place.
  bool Commit();

  // How the document takes its place: the system's ReplaceFileW and
  // MoveFileExW, unless a test gives its own (null gives the system's back).
  struct Functions {
    BOOL(WINAPI* replaceFile)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                              LPVOID reserved);
    BOOL(WINAPI* moveFile)(LPCWSTR existing, LPCWSTR newName, DWORD flags);
  };
  static void SetFunctionsForTests(const Functions* functions);

 private:
  // One attempt to put the document in place.
  bool PutInPlace();
  // After a replace that failed half-way, or a save cut short before.
  void PutOldFileBack();

  std::wstring path_;
  std::wstring temporary_;
  // Where ReplaceFileW puts the old file while it moves the document in:
  // without one, a replace that fails half-way may leave the old file
  // deleted or under a name nobody knows.
  std::wstring backup_;
  ScopedHandle file_;
  bool committed_ = false;
};
