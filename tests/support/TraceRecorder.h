#pragma once
#include <string>
#include <vector>

// Collects the trace lines written while it lives.
class TraceRecorder {
 public:
  TraceRecorder();
  ~TraceRecorder();
  const std::vector<std::wstring>& Lines() const;
  // Lines that start with the prefix, in order.
  std::vector<std::wstring> Matching(const std::wstring& prefix) const;
  bool Contains(const std::wstring& line) const;
  void Clear();
  // Collects nothing until Resume: for a measure that must not count the
  // recorder's own work.
  void Suspend();
  void Resume();
};
