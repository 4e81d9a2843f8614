#include "support/FakeClock.h"

#include "platform/HighResTimer.h"

namespace {
double g_now = 0.0;
double Read() { return g_now; }
}  // namespace

FakeClock::FakeClock(double start) {
  g_now = start;
  CHighResTimer::SetClockForTests(Read);
}
FakeClock::~FakeClock() { CHighResTimer::SetClockForTests(nullptr); }
void FakeClock::Set(double seconds) { g_now = seconds; }
void FakeClock::Advance(double seconds) { g_now += seconds; }
double FakeClock::Now() const { return g_now; }
