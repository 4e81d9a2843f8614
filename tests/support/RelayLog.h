#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Wine's relay log of the programs a test starts: each call of a traced
// function with its arguments and its result, as Wine itself saw it, outside
// the program's own trace. Needs the test program's standard error in a file
// (KEL_STDERR_FILE, see tools/wine-run); started programs share it.

// One call: "pid:tid:Call module.Function(args)" and its "Ret" line.
struct RelayCall {
  DWORD process = 0;
  DWORD thread = 0;
  std::string function;  // "user32.SystemParametersInfoW"
  std::vector<unsigned long long> arguments;
  bool returned = false;
  unsigned long long result = 0;
};

class RelayLog {
 public:
  // Traces the named functions ("user32.SystemParametersInfoW") in the
  // programs started with Environment() from now on; only what is logged
  // after this point is read.
  explicit RelayLog(const std::wstring& functions);
  ~RelayLog();
  RelayLog(const RelayLog&) = delete;
  RelayLog& operator=(const RelayLog&) = delete;

  // False when the test program's standard error is not in a file.
  bool Available() const { return !path_.empty(); }
  // The environment entry that turns the relay log on in a started program.
  static std::wstring Environment() { return L"WINEDEBUG=+pid,+relay"; }
  // The calls of one function in one process, in the order they were made.
  std::vector<RelayCall> Calls(const std::string& function, DWORD process) const;

 private:
  std::wstring path_;
  unsigned long long start_ = 0;
  bool hadInclude_ = false;
  std::wstring oldInclude_;
};
