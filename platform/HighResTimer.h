#pragma once

// The show's one clock, read three ways in seconds, like the sample
// framework's timer: absolute time, application time (the same, as nothing
// resets the base) and the time elapsed since the previous elapsed reading.
// The base is the process's start rather than the counter's origin, and the
// seconds are doubles: a float counting from the start moves in steps of
// 0.125 s after 12 days, and the wallpaper runs for weeks.
class CHighResTimer {
 public:
  static double GetAbsoluteTime();
  static double GetTime();
  static double GetElapsedTime();

  // Test seam: a clock giving seconds since the process started. Null
  // restores the performance counter. Resets the elapsed-time reference.
  using ClockSource = double (*)();
  static void SetClockForTests(ClockSource clock);
};
