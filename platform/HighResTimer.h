#pragma once

// The show's one clock, read three ways in single-precision seconds, like the
// sample framework's timer: absolute time, application time (the same, as
// nothing resets the base) and the time elapsed since the previous elapsed
// reading. The base is the process's start rather than the counter's origin,
// so a machine that has run for months keeps millisecond precision.
class CHighResTimer {
 public:
  static float GetAbsoluteTime();
  static float GetTime();
  static float GetElapsedTime();

  // Test seam: a clock giving seconds since the process started. Null
  // restores the performance counter. Resets the elapsed-time reference.
  using ClockSource = double (*)();
  static void SetClockForTests(ClockSource clock);
};
