#pragma once
#include <string>
#include <vector>

// The trace a show writes when KEL_TRACE names a file: one line per event,
// "<seconds> <text>".
struct TraceLine {
  double time;
  std::wstring text;
};

std::vector<TraceLine> ReadShowTrace(const std::wstring& path);

// The first line whose text is exactly the given one, or null.
const TraceLine* FindTraceLine(const std::vector<TraceLine>& lines, const std::wstring& text);

// How many lines start with the prefix.
int CountTraceLines(const std::vector<TraceLine>& lines, const std::wstring& prefix);

// The texts of the lines that start with the prefix, in order.
std::vector<std::wstring> TraceTexts(const std::vector<TraceLine>& lines, const std::wstring& prefix);
