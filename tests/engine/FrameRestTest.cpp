#include <gtest/gtest.h>

#include "engine/FrameRest.h"

// From the clock's reading to just past the moment due, in whole
// milliseconds: never more than the loop's 66, nothing once it has passed.
TEST(FrameRest, RestUntilJustPastTheMomentDue) {
  struct Case {
    float now;
    float due;
    DWORD rest;
  } cases[] = {
      {100.0f, 100.03125f, 33},  // 31.25 ms, rounded up, and one more
      {100.0f, 100.0625f, 64},
      {100.0f, 100.0f, 1},       // due now: the clock must move past it
      {100.0f, 100.5f, 66},      // far off: the loop's own rest
      {100.0f, 99.5f, 0},        // already passed
      {2000.0f, 2000.015625f, 17},
  };
  for (const Case& c : cases) EXPECT_EQ(FrameRestUntil(c.now, c.due), c.rest) << c.now << " " << c.due;
}

// The earliest moment said during a frame counts, and a frame in which no
// action waits for a moment rests the full 66 ms.
TEST(FrameRest, TheEarliestMomentOfTheFrameCountsOnce) {
  WakeFrameAfter(10.0625f);
  WakeFrameAfter(10.015625f);
  WakeFrameAfter(10.03125f);
  EXPECT_EQ(TakeFrameRest(10.0f), 17u);
  EXPECT_EQ(TakeFrameRest(10.0f), kFrameRestMs);
}
