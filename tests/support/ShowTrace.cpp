#include "support/ShowTrace.h"

#include <cstdlib>
#include <sstream>

#include "platform/WideText.h"
#include "support/TestPaths.h"

std::vector<TraceLine> ReadShowTrace(const std::wstring& path) {
  std::vector<TraceLine> lines;
  std::istringstream in(ReadFileBytes(path));
  std::string line;
  while (std::getline(in, line)) {
    size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    lines.push_back({std::atof(line.substr(0, space).c_str()), Utf8ToWide(line.substr(space + 1))});
  }
  return lines;
}

const TraceLine* FindTraceLine(const std::vector<TraceLine>& lines, const std::wstring& text) {
  for (const TraceLine& line : lines)
    if (line.text == text) return &line;
  return nullptr;
}

int CountTraceLines(const std::vector<TraceLine>& lines, const std::wstring& prefix) {
  return static_cast<int>(TraceTexts(lines, prefix).size());
}

std::vector<std::wstring> TraceTexts(const std::vector<TraceLine>& lines, const std::wstring& prefix) {
  std::vector<std::wstring> out;
  for (const TraceLine& line : lines)
    if (line.text.compare(0, prefix.size(), prefix) == 0) out.push_back(line.text);
  return out;
}
