#include "support/RunningPrograms.h"

#include <windows.h>
#include <psapi.h>

#include <cwchar>

#include "support/TestPaths.h"

namespace {

bool ProcessNameIs(DWORD id, const std::wstring& name) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (!process) return false;
  wchar_t baseName[MAX_PATH] = L"";
  HMODULE module = nullptr;
  DWORD needed = 0;
  bool named = EnumProcessModules(process, &module, sizeof(module), &needed) &&
               GetModuleBaseNameW(process, module, baseName, MAX_PATH) && _wcsicmp(baseName, name.c_str()) == 0;
  CloseHandle(process);
  return named;
}

}  // namespace

RunningPrograms::RunningPrograms() : folder_(MakeTempFolder(L"kel-instances")) {}

RunningPrograms::~RunningPrograms() {
  processes_.clear();
  RemoveTree(folder_);
}

bool RunningPrograms::Start(const std::wstring& name) {
  std::wstring path = folder_ + std::to_wstring(processes_.size()) + L"\\";
  CreateDirectoryW(path.c_str(), nullptr);
  path += name;
  if (!CopyFileW((ProgramFolder() + L"kel_sleeper.exe").c_str(), path.c_str(), FALSE)) return false;
  processes_.emplace_back(new ChildProcess());
  if (!processes_.back()->Start(path, L"60")) return false;
  // Wait until the new process can be seen by name: a process shows in the
  // list before its modules can be read, and the instance check reads them.
  DWORD id = processes_.back()->Id();
  return WaitUntil(10000, [id, &name] { return ProcessNameIs(id, name); });
}
