#pragma once
#include <functional>
#include <string>
#include <vector>

// Collects the trace lines written while it lives, from any thread: the show's
// worker writes while the test reads, so every reading is a copy taken under
// the recorder's lock.
class TraceRecorder {
 public:
  TraceRecorder();
  ~TraceRecorder();
  std::vector<std::wstring> Lines() const;
  // Lines that start with the prefix, in order.
  std::vector<std::wstring> Matching(const std::wstring& prefix) const;
  bool Contains(const std::wstring& line) const;
  void Clear();
  // Collects nothing until Resume: for a measure that must not count the
  // recorder's own work.
  void Suspend();
  void Resume();
  // Runs the action once, on the thread that traces the line, right after it
  // is recorded: a moment inside a frame that a test cannot step to.
  void OnceAfter(const std::wstring& line, std::function<void()> action);
};
