#include <gtest/gtest.h>
#include <windows.h>

#include "platform/HighResTimer.h"
#include "support/FakeClock.h"

namespace {

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER ticks;
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  return static_cast<double>(ticks.QuadPart) / 1e7;
}

double SystemClock() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Seconds(now);
}

// Allowance for the system clock's coarser steps.
constexpr double kSystemClockStep = 0.05;

}  // namespace

// Measured from the process's start: single-precision readings stay exact to
// well under a millisecond even on a machine that has run for months. The
// process's age by the system clock bounds it: a timer counting from the
// machine's start would run far ahead.
TEST(HighResTimer, CountsFromTheProcessStart) {
  FILETIME created, exited, kernel, user;
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
  double before = SystemClock();
  float now = CHighResTimer::GetAbsoluteTime();
  EXPECT_GE(now, 0.0f);
  EXPECT_LE(now, SystemClock() - Seconds(created) + kSystemClockStep);

  Sleep(50);
  float later = CHighResTimer::GetAbsoluteTime();
  double after = SystemClock();
  EXPECT_GT(later - now, 0.03f);
  EXPECT_LE(later - now, after - before + kSystemClockStep);  // it keeps the system's pace

  float first = CHighResTimer::GetAbsoluteTime();
  float application = CHighResTimer::GetTime();
  float last = CHighResTimer::GetAbsoluteTime();
  EXPECT_LE(first, application);
  EXPECT_LE(application, last);
}

TEST(HighResTimer, ElapsedIsSincePreviousElapsedReading) {
  FakeClock clock(1000.0);
  EXPECT_FLOAT_EQ(CHighResTimer::GetElapsedTime(), 0.0f);
  clock.Advance(0.066);
  EXPECT_NEAR(CHighResTimer::GetElapsedTime(), 0.066f, 1e-5);
  clock.Advance(0.5);
  CHighResTimer::GetAbsoluteTime();  // other readings do not move the reference
  EXPECT_NEAR(CHighResTimer::GetElapsedTime(), 0.5f, 1e-5);
  EXPECT_FLOAT_EQ(CHighResTimer::GetElapsedTime(), 0.0f);
  EXPECT_FLOAT_EQ(CHighResTimer::GetAbsoluteTime(), static_cast<float>(clock.Now()));
}
