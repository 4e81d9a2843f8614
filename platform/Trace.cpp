#include "platform/Trace.h"

#include <windows.h>
#include <atomic>
#include <cstdarg>
#include <cwchar>
#include <new>
#include <vector>

#include "platform/HighResTimer.h"
#include "platform/Scoped.h"
#include "platform/WideText.h"

namespace {

// A test or benchmark may install or remove its sink while a show runs.
std::atomic<TraceSink> g_sink{nullptr};

struct TraceFile {
  CriticalSection lock;
  std::wstring path;
  TraceFile() {
    DWORD n = GetEnvironmentVariableW(L"KEL_TRACE", nullptr, 0);
    if (n > 1) {
      std::vector<wchar_t> buf(n);
      GetEnvironmentVariableW(L"KEL_TRACE", buf.data(), n);
      path = buf.data();
    }
  }
};

// Made in place and never destroyed: a thread may still trace while the
// process exits, and the first trace of a frame allocates nothing.
TraceFile& File() {
  alignas(TraceFile) static unsigned char storage[sizeof(TraceFile)];
  static TraceFile* file = new (storage) TraceFile();
  return *file;
}

}  // namespace

bool TraceEnabled() { return g_sink.load(std::memory_order_acquire) != nullptr || !File().path.empty(); }

void SetTraceSinkForTests(TraceSink sink) { g_sink.store(sink, std::memory_order_release); }

void Trace(const wchar_t* format, ...) {
  TraceSink sink = g_sink.load(std::memory_order_acquire);
  if (!sink && File().path.empty()) return;
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = _vscwprintf(format, copy);
  va_end(copy);
  std::wstring text;
  if (n > 0) {
    text.resize(static_cast<size_t>(n) + 1);
    _vsnwprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(n));
  }
  va_end(args);

  if (sink) {
    sink(text);
    return;
  }
  // Time stamp in seconds of the show's clock (to the millisecond), so a test
  // can read pacing.
  wchar_t stamp[32];
  swprintf(stamp, 32, L"%.3f ", CHighResTimer::GetAbsoluteTime());
  std::string line = WideToUtf8(stamp + text) + "\n";
  TraceFile& f = File();
  CriticalSectionHold hold(f.lock);
  ScopedHandle file(CreateFileW(f.path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Valid()) {
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}
