#pragma once
#include <vector>

#include "media/Randomizer.h"

// The shuffle written out step by step, scanning the placed entries for every
// draw and every step of a walk: the reference the fast shuffle must match.
inline std::vector<int> PlainShuffle(int n) {
  std::vector<int> order(static_cast<size_t>(n), -1);
  auto contains = [&](int value) {
    for (int entry : order) {
      if (entry == -1) return false;
      if (entry == value) return true;
    }
    return false;
  };
  for (int i = 0; i < n; ++i) {
    int a = static_cast<int>(RandomFloat(0.0f, static_cast<float>(n - 1)));
    if (!contains(a)) {
      order[i] = a;
      continue;
    }
    bool forward = RandomFloat(0.01f, 1.99f) < 1.0f;
    int v = a;
    do {
      if (forward) {
        if (++v > n - 1) v = 0;
      } else {
        if (--v < 0) v = n - 1;
      }
    } while (contains(v));
    order[i] = v;
  }
  return order;
}
