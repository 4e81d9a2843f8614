#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// While it lives, the catalog writers put their documents in place through
// scripted stand-ins for ReplaceFileW and MoveFileExW: the n-th call (from
// 1) fails with the error its script gives, or goes to the system's own
// function when the script gives ERROR_SUCCESS or there is none. A scripted
// ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 first moves the old file to the backup
// name, as the system leaves it.
class ScriptedReplace {
 public:
  ScriptedReplace();
  ~ScriptedReplace();
  ScriptedReplace(const ScriptedReplace&) = delete;
  ScriptedReplace& operator=(const ScriptedReplace&) = delete;

  std::function<DWORD(int call)> replaceErrors;
  std::function<DWORD(int call)> moveErrors;

  // Every call, in order: "replace <replaced>" or "move <from> -> <to>",
  // file names without their folders.
  std::vector<std::wstring> calls;
  // How many calls begin with the text ("replace", "move catalog.xml.saving").
  int Count(const std::wstring& start) const;
};

// Fails every call with the error.
std::function<DWORD(int)> AlwaysFails(DWORD error);
// Fails the first `times` calls with the error, then lets them through.
std::function<DWORD(int)> FailsFirst(int times, DWORD error);
