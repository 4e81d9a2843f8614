#include "engine/FrameRest.h"

#include <cmath>

namespace {
bool g_wakeSaid = false;
double g_wakeAfter = 0.0;
}  // namespace

void WakeFrameAfter(double time) {
  if (!g_wakeSaid || time < g_wakeAfter) g_wakeAfter = time;
  g_wakeSaid = true;
}

DWORD TakeFrameRest(double now) {
  DWORD rest = g_wakeSaid ? FrameRestUntil(now, g_wakeAfter) : kFrameRestMs;
  g_wakeSaid = false;
  return rest;
}

// Rounded up and one millisecond more: the frame must read the clock past
// `due`, not on it, or it would wait one more short rest.
DWORD FrameRestUntil(double now, double due) {
  double ms = std::ceil((due - now) * 1000.0) + 1.0;
  if (ms <= 0.0) return 0;
  if (ms >= kFrameRestMs) return kFrameRestMs;
  return static_cast<DWORD>(ms);
}
