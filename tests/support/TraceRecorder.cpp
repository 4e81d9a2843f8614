#include "support/TraceRecorder.h"

#include <windows.h>

#include <algorithm>

#include "platform/Scoped.h"
#include "platform/Trace.h"

namespace {

struct Recorded {
  CriticalSection lock;
  std::vector<std::wstring> lines;
};

Recorded& Store() {
  static Recorded* recorded = new Recorded();  // outlives every thread that traces
  return *recorded;
}

void Record(const std::wstring& line) {
  Recorded& recorded = Store();
  CriticalSectionHold hold(recorded.lock);
  recorded.lines.push_back(line);
}

}  // namespace

TraceRecorder::TraceRecorder() {
  Clear();
  SetTraceSinkForTests(Record);
}

TraceRecorder::~TraceRecorder() { SetTraceSinkForTests(nullptr); }

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
