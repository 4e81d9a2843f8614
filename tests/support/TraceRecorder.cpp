#include "support/TraceRecorder.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/Scoped.h"
#include "platform/Trace.h"

namespace {

struct Recorded {
  CriticalSection lock;
  std::vector<std::wstring> lines;
  std::wstring hookLine;
  std::function<void()> hook;
};

Recorded& Store() {
  static Recorded* recorded = new Recorded();  // outlives every thread that traces
  return *recorded;
}

void Record(const std::wstring& line) {
  Recorded& recorded = Store();
  std::function<void()> hook;
  {
    CriticalSectionHold hold(recorded.lock);
    recorded.lines.push_back(line);
    if (recorded.hook && line == recorded.hookLine) hook.swap(recorded.hook);
  }
  // Outside the lock: the action may trace.
  if (hook) hook();
}

void SetHook(const std::wstring& line, std::function<void()> action) {
  Recorded& recorded = Store();
  CriticalSectionHold hold(recorded.lock);
  recorded.hookLine = line;
  recorded.hook = std::move(action);
}

}  // namespace

TraceRecorder::TraceRecorder() {
  Clear();
  SetHook(std::wstring(), nullptr);
  SetTraceSinkForTests(Record);
}

TraceRecorder::~TraceRecorder() {
  SetTraceSinkForTests(nullptr);
  SetHook(std::wstring(), nullptr);
}

std::vector<std::wstring> TraceRecorder::Lines() const {
  Recorded& recorded = Store();
  CriticalSectionHold hold(recorded.lock);
  return recorded.lines;
}

std::vector<std::wstring> TraceRecorder::Matching(const std::wstring& prefix) const {
  std::vector<std::wstring> out;
  for (const std::wstring& line : Lines())
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
  return out;
}

bool TraceRecorder::Contains(const std::wstring& line) const {
  std::vector<std::wstring> lines = Lines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void TraceRecorder::Clear() {
  Recorded& recorded = Store();
  CriticalSectionHold hold(recorded.lock);
  recorded.lines.clear();
}

void TraceRecorder::Suspend() { SetTraceSinkForTests(nullptr); }

void TraceRecorder::Resume() { SetTraceSinkForTests(Record); }

void TraceRecorder::OnceAfter(const std::wstring& line, std::function<void()> action) {
  SetHook(line, std::move(action));
}
