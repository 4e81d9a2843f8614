#include "platform/HighResTimer.h"

#include <windows.h>

namespace {

struct Counter {
  LONGLONG start = 0;
  double frequency = 1.0;
  Counter() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    frequency = f.QuadPart > 0 ? static_cast<double>(f.QuadPart) : 1.0;
    start = c.QuadPart;
  }
};

// Taken during static initialisation: the process's start for the show.
const Counter g_counter;

CHighResTimer::ClockSource g_clock = nullptr;
double g_lastElapsedReading = 0.0;

double SecondsSinceStart() {
  if (g_clock) return g_clock();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart - g_counter.start) / g_counter.frequency;
}

}  // namespace

double CHighResTimer::GetAbsoluteTime() { return SecondsSinceStart(); }

double CHighResTimer::GetTime() { return SecondsSinceStart(); }

double CHighResTimer::GetElapsedTime() {
  double now = SecondsSinceStart();
  double elapsed = now - g_lastElapsedReading;
  g_lastElapsedReading = now;
  return elapsed < 0.0 ? 0.0 : elapsed;
}

void CHighResTimer::SetClockForTests(ClockSource clock) {
  g_clock = clock;
  g_lastElapsedReading = SecondsSinceStart();
}
