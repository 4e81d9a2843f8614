#pragma once

// While it lives, the window thread's rests are not slept but traced, as
// "rest <milliseconds>", in order with whatever else is traced: a test sees
// whether and how long a message rests without a clock.
class TracedRests {
 public:
  TracedRests();
  ~TracedRests();
  TracedRests(const TracedRests&) = delete;
  TracedRests& operator=(const TracedRests&) = delete;
};
