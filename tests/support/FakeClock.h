#pragma once

// Drives the show's clock by hand while it lives.
class FakeClock {
 public:
  explicit FakeClock(double start = 100.0);
  ~FakeClock();
  void Set(double seconds);
  void Advance(double seconds);
  double Now() const;
};
