#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A program started by a test; killed on destruction if still running.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts "program" with the argument text; extra environment entries
  // ("NAME=value") are added to this process's own.
  bool Start(const std::wstring& program, const std::wstring& arguments,
             const std::wstring& environmentEntry = std::wstring());
  bool Start(const std::wstring& program, const std::wstring& arguments,
             const std::vector<std::wstring>& environmentEntries);
  // True when the program ended within the time; its exit code is kept.
  bool Wait(DWORD milliseconds);
  bool IsRunning() const;
  DWORD ExitCode() const { return exitCode_; }
  DWORD Id() const { return id_; }
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  DWORD exitCode_ = STILL_ACTIVE;
};

// Polls until the predicate holds or the time runs out.
template <typename Predicate>
bool WaitUntil(DWORD milliseconds, Predicate predicate) {
  DWORD start = GetTickCount();
  for (;;) {
    if (predicate()) return true;
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(50);
  }
}
