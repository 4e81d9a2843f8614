#pragma once
#include <windows.h>

// Seconds of the performance counter, read apart from the show's own clock,
// which counts from the process's start and which a benchmark may replace.
inline double BenchSeconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}
