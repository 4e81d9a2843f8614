#pragma once
#include <windows.h>

// Seconds of the performance counter, in full double precision: the show's
// own clock gives floats, too coarse for sub-millisecond figures.
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
