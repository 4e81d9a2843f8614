#include "settings_dialog/ScriptedReplace.h"

#include "settings_dialog/ReplacingFile.h"

namespace {

ScriptedReplace* g_script = nullptr;

std::wstring NameOf(LPCWSTR path) {
  std::wstring whole = path ? path : L"";
  size_t slash = whole.find_last_of(L"\\/");
  return slash == std::wstring::npos ? whole : whole.substr(slash + 1);
}

BOOL WINAPI Replace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                    LPVOID reserved) {
  g_script->calls.push_back(L"replace " + NameOf(replaced));
  int call = g_script->Count(L"replace");
  DWORD error = g_script->replaceErrors ? g_script->replaceErrors(call) : ERROR_SUCCESS;
  if (error == ERROR_SUCCESS) return ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && backup) MoveFileExW(replaced, backup, 0);
  SetLastError(error);
  return FALSE;
}

BOOL WINAPI Move(LPCWSTR existing, LPCWSTR newName, DWORD flags) {
  g_script->calls.push_back(L"move " + NameOf(existing) + L" -> " + NameOf(newName));
  int call = g_script->Count(L"move");
  DWORD error = g_script->moveErrors ? g_script->moveErrors(call) : ERROR_SUCCESS;
  if (error == ERROR_SUCCESS) return MoveFileExW(existing, newName, flags);
  SetLastError(error);
  return FALSE;
}

const ReplacingFile::Functions kScripted = {Replace, Move};

}  // namespace

ScriptedReplace::ScriptedReplace() {
  g_script = this;
  ReplacingFile::SetFunctionsForTests(&kScripted);
}

ScriptedReplace::~ScriptedReplace() {
  ReplacingFile::SetFunctionsForTests(nullptr);
  g_script = nullptr;
}

int ScriptedReplace::Count(const std::wstring& start) const {
  int count = 0;
  for (const std::wstring& call : calls)
    if (call.compare(0, start.size(), start) == 0) ++count;
  return count;
}

std::function<DWORD(int)> AlwaysFails(DWORD error) {
  return [error](int) { return error; };
}

std::function<DWORD(int)> FailsFirst(int times, DWORD error) {
  return [times, error](int call) { return call <= times ? error : static_cast<DWORD>(ERROR_SUCCESS); };
}
