#include <gtest/gtest.h>
#include <windows.h>

#include "platform/HighResTimer.h"
#include "support/FakeClock.h"

// Measured from the process's start: single-precision readings stay exact to
// well under a millisecond even on a machine that has run for months.
TEST(HighResTimer, CountsFromTheProcessStart) {
  float now = CHighResTimer::GetAbsoluteTime();
  EXPECT_GE(now, 0.0f);
  EXPECT_LT(now, 120.0f);
  Sleep(50);
  float later = CHighResTimer::GetAbsoluteTime();
  EXPECT_GT(later - now, 0.03f);
  EXPECT_LT(later - now, 5.0f);
  EXPECT_NEAR(CHighResTimer::GetTime(), CHighResTimer::GetAbsoluteTime(), 0.01f);
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
