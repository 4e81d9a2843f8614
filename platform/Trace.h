#pragma once
#include <string>

// A line-per-event record of what the show does, for tests and for looking
// into a show that misbehaves on a user's machine. Off unless the environment
// variable KEL_TRACE names a file (lines are appended, UTF-8), or a test
// installs a sink.
bool TraceEnabled();
void Trace(const wchar_t* format, ...);

// Test seam: every line goes to the sink instead of the file; null restores.
using TraceSink = void (*)(const std::wstring& line);
void SetTraceSinkForTests(TraceSink sink);
