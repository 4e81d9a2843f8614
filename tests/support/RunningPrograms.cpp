#include "support/RunningPrograms.h"

#include <windows.h>

#include <algorithm>

#include "engine/InstanceCheck.h"
#include "support/TestPaths.h"

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
  // Wait until the new process can be seen by name.
  DWORD id = processes_.back()->Id();
  return WaitUntil(10000, [id] {
    std::vector<DWORD> ids = EnumerateProcessIds();
    return std::find(ids.begin(), ids.end(), id) != ids.end();
  });
}
