#include <gtest/gtest.h>

#include "engine/FrameRest.h"

// From the clock's reading to just past the moment due, in whole
// milliseconds: never more than the loop's 66, nothing once it has passed.
TEST(FrameRest, RestUntilJustPastTheMomentDue) {
  struct Case {
    double now;
    double due;
    DWORD rest;
  } cases[] = {
      {100.0, 100.03125, 33},  // 31.25 ms, rounded up, and one more
      {100.0, 100.0625, 64},
      {100.0, 100.0, 1},       // due now: the clock must move past it
      {100.0, 100.5, 66},      // far off: the loop's own rest
      {100.0, 99.5, 0},        // already passed
      {2000.0, 2000.015625, 17},
      {2097152.0, 2097152.03125, 33},  // 24 days after the start
      {67108864.0, 67108864.03125, 33},  // two years
      {67108864.0, 67108864.0005, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(FrameRestUntil(c.now, c.due), c.rest) << c.now << " " << c.due;
}

// The earliest moment said during a frame counts, and a frame in which no
// action waits for a moment rests the full 66 ms.
TEST(FrameRest, TheEarliestMomentOfTheFrameCountsOnce) {
  WakeFrameAfter(10.0625);
  WakeFrameAfter(10.015625);
  WakeFrameAfter(10.03125);
  EXPECT_EQ(TakeFrameRest(10.0), 17u);
  EXPECT_EQ(TakeFrameRest(10.0), kFrameRestMs);
}
