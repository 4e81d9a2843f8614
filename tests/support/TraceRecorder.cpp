#include "support/TraceRecorder.h"

#include <algorithm>

#include "platform/Trace.h"

namespace {
std::vector<std::wstring> g_lines;
void Record(const std::wstring& line) { g_lines.push_back(line); }
}  // namespace

TraceRecorder::TraceRecorder() {
  g_lines.clear();
  SetTraceSinkForTests(Record);
}

TraceRecorder::~TraceRecorder() { SetTraceSinkForTests(nullptr); }

const std::vector<std::wstring>& TraceRecorder::Lines() const { return g_lines; }

std::vector<std::wstring> TraceRecorder::Matching(const std::wstring& prefix) const {
  std::vector<std::wstring> out;
  for (const std::wstring& line : g_lines)
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
  return out;
}

bool TraceRecorder::Contains(const std::wstring& line) const {
  return std::find(g_lines.begin(), g_lines.end(), line) != g_lines.end();
}

void TraceRecorder::Clear() { g_lines.clear(); }

void TraceRecorder::Suspend() { SetTraceSinkForTests(nullptr); }

void TraceRecorder::Resume() { SetTraceSinkForTests(Record); }
