// The show's worker traces while the test reads what it traced.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Trace.h"
#include "support/TraceRecorder.h"

namespace {

constexpr int kLines = 20000;

DWORD WINAPI TraceMany(LPVOID) {
  for (int i = 0; i < kLines; ++i) Trace(L"line %d", i);
  return 0;
}

}  // namespace

TEST(TraceRecorder, ReadsWholeLinesWhileAnotherThreadWrites) {
  TraceRecorder trace;
  HANDLE writer = CreateThread(nullptr, 0, TraceMany, nullptr, 0, nullptr);
  ASSERT_NE(writer, nullptr);
  size_t seen = 0;
  int readings = 0;
  while (WaitForSingleObject(writer, 0) == WAIT_TIMEOUT) {
    std::vector<std::wstring> lines = trace.Lines();
    ASSERT_GE(lines.size(), seen);
    seen = lines.size();
    if (!lines.empty()) ASSERT_EQ(lines.back(), L"line " + std::to_wstring(lines.size() - 1));
    trace.Contains(L"line 1");
    trace.Matching(L"line 2");
    ++readings;
  }
  CloseHandle(writer);
  std::vector<std::wstring> lines = trace.Lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kLines)) << "after " << readings << " readings";
  for (int i = 0; i < kLines; ++i) ASSERT_EQ(lines[i], L"line " + std::to_wstring(i));
}
