#include "support/ChildProcess.h"

#include <vector>

ChildProcess::~ChildProcess() {
  Kill();
  if (process_) CloseHandle(process_);
}

bool ChildProcess::Start(const std::wstring& program, const std::wstring& arguments,
                         const std::wstring& environmentEntry) {
  std::vector<std::wstring> entries;
  if (!environmentEntry.empty()) entries.push_back(environmentEntry);
  return Start(program, arguments, entries);
}

// A given entry replaces this process's own of the same name.
bool ChildProcess::Start(const std::wstring& program, const std::wstring& arguments,
                         const std::vector<std::wstring>& environmentEntries) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  std::vector<wchar_t> environment;
  if (!environmentEntries.empty()) {
    wchar_t* own = GetEnvironmentStringsW();
    const wchar_t* p = own;
    while (*p) {
      size_t n = wcslen(p) + 1;
      std::wstring ownEntry(p, n - 1);
      bool replaced = false;
      for (const std::wstring& entry : environmentEntries) {
        size_t name = entry.find(L'=');
        if (name != std::wstring::npos && _wcsnicmp(ownEntry.c_str(), entry.c_str(), name + 1) == 0) replaced = true;
      }
      if (!replaced) environment.insert(environment.end(), p, p + n);
      p += n;
    }
    FreeEnvironmentStringsW(own);
    for (const std::wstring& entry : environmentEntries) {
      environment.insert(environment.end(), entry.begin(), entry.end());
      environment.push_back(L'\0');
    }
    environment.push_back(L'\0');
  }
  STARTUPINFOW si = {sizeof(si)};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      environment.empty() ? nullptr : environment.data(), nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  id_ = pi.dwProcessId;
  exitCode_ = STILL_ACTIVE;
  return true;
}

bool ChildProcess::Wait(DWORD milliseconds) {
  if (!process_) return true;
  if (WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(process_, &exitCode_);
  return true;
}

bool ChildProcess::IsRunning() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void ChildProcess::Kill() {
  if (IsRunning()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
}
