// Times the shuffled order for large lists, and against the step-by-step
// shuffle at 10,000 entries. Target: 100,000 under 50 ms, 1,000,000 under 1 s.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "bench/BenchClock.h"
#include "media/Randomizer.h"
#include "support/PlainShuffle.h"

namespace {

double TimeShuffle(int n) {
  Tam_RandomOID order;
  order.InitOrder(n);
  std::srand(1);
  double start = BenchSeconds();
  order.ShuffleOrder();
  return BenchSeconds() - start;
}

}  // namespace

int main() {
  std::printf("shuffled order, one ShuffleOrder:\n");
  for (int n : {1000, 10000, 100000, 1000000})
    std::printf("  n = %8d  %10.3f ms\n", n, TimeShuffle(n) * 1000.0);

  std::srand(1);
  double start = BenchSeconds();
  PlainShuffle(10000);
  double plain = BenchSeconds() - start;
  double fast = TimeShuffle(10000);
  std::printf("step-by-step shuffle at n = 10000: %.1f ms, %.0f times the time of ShuffleOrder\n", plain * 1000.0,
              fast > 0 ? plain / fast : 0.0);
  return 0;
}
