#pragma once
#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

// Copies of the do-nothing sleeper under a program's name, standing for a
// running kel or kelwall; ended and removed with the object.
class RunningPrograms {
 public:
  RunningPrograms();
  ~RunningPrograms();
  RunningPrograms(const RunningPrograms&) = delete;
  RunningPrograms& operator=(const RunningPrograms&) = delete;
  // Starts one more under the name; true once the process list shows it.
  bool Start(const std::wstring& name);
  // Ends every one started so far.
  void StopAll() { processes_.clear(); }

 private:
  std::wstring folder_;
  std::vector<std::unique_ptr<ChildProcess>> processes_;
};
