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

// Measured from the process's start. The
// process's age by the system clock bounds it: a timer counting from the
// machine's start would run far ahead.
TEST(HighResTimer, CountsFromTheProcessStart) {
  FILETIME created, exited, kernel, user;
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
  double before = SystemClock();
  double now = CHighResTimer::GetAbsoluteTime();
  EXPECT_GE(now, 0.0);
  EXPECT_LE(now, SystemClock() - Seconds(created) + kSystemClockStep);

  Sleep(50);
  double later = CHighResTimer::GetAbsoluteTime();
  double after = SystemClock();
  EXPECT_GT(later - now, 0.03);
  EXPECT_LE(later - now, after - before + kSystemClockStep);  // it keeps the system's pace

  double first = CHighResTimer::GetAbsoluteTime();
  double application = CHighResTimer::GetTime();
  double last = CHighResTimer::GetAbsoluteTime();
  EXPECT_LE(first, application);
  EXPECT_LE(application, last);
}

TEST(HighResTimer, ElapsedIsSincePreviousElapsedReading) {
  FakeClock clock(1000.0);
  EXPECT_DOUBLE_EQ(CHighResTimer::GetElapsedTime(), 0.0);
  clock.Advance(0.066);
  EXPECT_NEAR(CHighResTimer::GetElapsedTime(), 0.066, 1e-9);
  clock.Advance(0.5);
  CHighResTimer::GetAbsoluteTime();  // other readings do not move the reference
  EXPECT_NEAR(CHighResTimer::GetElapsedTime(), 0.5, 1e-9);
  EXPECT_DOUBLE_EQ(CHighResTimer::GetElapsedTime(), 0.0);
  EXPECT_DOUBLE_EQ(CHighResTimer::GetAbsoluteTime(), clock.Now());
}

// Weeks and years after the start the readings still tell milliseconds
// apart: the wallpaper runs all day, for weeks.
TEST(HighResTimer, KeepsMillisecondsLongAfterTheStart) {
  for (double start : {2097152.0, 67108864.0}) {
    FakeClock clock(start);
    CHighResTimer::GetElapsedTime();
    clock.Advance(0.001);
    EXPECT_NEAR(CHighResTimer::GetAbsoluteTime() - start, 0.001, 1e-6) << start;
    EXPECT_NEAR(CHighResTimer::GetTime() - start, 0.001, 1e-6) << start;
    EXPECT_NEAR(CHighResTimer::GetElapsedTime(), 0.001, 1e-6) << start;
  }
}
