#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "media/Randomizer.h"
#include "support/PlainShuffle.h"

namespace {

std::vector<int> Entries(const Tam_RandomOID& order) {
  std::vector<int> out;
  for (int i = 0; i < order.Size(); ++i) out.push_back(order.GetAt(i));
  return out;
}

bool IsPermutation(std::vector<int> values) {
  std::sort(values.begin(), values.end());
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i] != static_cast<int>(i)) return false;
  return true;
}

}  // namespace

// The fast shuffle must draw the same permutation as the step-by-step one for
// the same rand() sequence, and leave the generator in the same place.
TEST(ShuffleOrder, MatchesPlainTranscriptionAcrossSeedsAndSizes) {
  const int sizes[] = {1, 2, 3, 4, 5, 7, 10, 31, 100, 257, 1000, 4000, 10000};
  for (unsigned seed : {1u, 7u, 12345u, 987654u}) {
    for (int n : sizes) {
      if (n > 1000 && seed != 7u) continue;  // the plain one is slow
      std::srand(seed);
      std::vector<int> expected = PlainShuffle(n);
      int expectedNext = std::rand();

      std::srand(seed);
      Tam_RandomOID order;
      order.InitOrder(n);
      order.ShuffleOrder();
      EXPECT_EQ(Entries(order), expected) << "seed " << seed << " n " << n;
      EXPECT_EQ(std::rand(), expectedNext) << "seed " << seed << " n " << n;
      EXPECT_TRUE(IsPermutation(Entries(order)));
      EXPECT_EQ(order.Position(), 0);
    }
  }
}

TEST(ShuffleOrder, OneEntryYieldsZero) {
  Tam_RandomOID order;
  order.InitOrder(1);
  order.ShuffleOrder();
  EXPECT_EQ(order.GetAt(0), 0);
  EXPECT_EQ(order.NextValue(), 0);
  EXPECT_EQ(order.NextValue(), 0);
}

TEST(RandomOID, FirstPassSkipsEntryZeroThenEveryPassIsAPermutation) {
  std::srand(42);
  Tam_RandomOID order;
  order.InitOrder(3);
  EXPECT_EQ(order.NextValue(), 1);
  EXPECT_EQ(order.NextValue(), 2);
  // The third call reshuffles and returns the new order's first entry.
  int first = order.NextValue();
  EXPECT_EQ(order.Position(), 0);
  EXPECT_EQ(first, order.GetAt(0));

  Tam_RandomOID big;
  big.InitOrder(50);
  for (int i = 0; i < 49; ++i) big.NextValue();
  for (int pass = 0; pass < 5; ++pass) {
    std::set<int> seen;
    for (int i = 0; i < 50; ++i) seen.insert(big.NextValue());
    EXPECT_EQ(seen.size(), 50u) << "pass " << pass;
  }
}

TEST(RandomOID, FindUnusedValueWalksWithWrapAround) {
  Tam_RandomOID order;
  order.InitOrder(5);
  order.ResetOrder();
  order.SetAt(0, 4);
  order.SetAt(1, 0);
  order.SetAt(2, 2);
  EXPECT_EQ(order.FindUnusedValue(4, true), 1);   // 0 placed, wraps past it
  EXPECT_EQ(order.FindUnusedValue(0, false), 3);  // wraps to the end, 4 placed
  EXPECT_EQ(order.FindUnusedValue(2, false), 1);
  EXPECT_TRUE(order.ContainsValue(2));
  EXPECT_FALSE(order.ContainsValue(3));
}

TEST(Randomizer, SlotsOutsideTheRangeAndUnsetSlots) {
  Tam_Randomizer randomizer;
  EXPECT_EQ(GetRandomizer(), &randomizer);
  randomizer.CreateSlots(4);
  EXPECT_EQ(randomizer.NextIndex(4), -1);
  EXPECT_EQ(randomizer.NextIndex(-1), -1);
  EXPECT_EQ(randomizer.NextIndex(0), -1);  // never set up
  randomizer.SetupSlot(-1, 3);             // ignored
  randomizer.SetupSlot(9, 3);              // ignored
  randomizer.ShuffleSlot(9);               // ignored
  randomizer.SetupSlot(0, 10);
  randomizer.SetupSlot(0, 3);
  ASSERT_NE(randomizer.Slot(0), nullptr);
  EXPECT_EQ(randomizer.Slot(0)->Size(), 3);
  EXPECT_EQ(randomizer.NextIndex(0), 1);
  randomizer.ClearSlots();
  EXPECT_EQ(randomizer.SlotCount(), 4);
  EXPECT_EQ(randomizer.NextIndex(0), -1);
}

TEST(RandomFloat, ScalesRandIntoTheRange) {
  for (int i = 0; i < 1000; ++i) {
    float f = RandomFloat(0.0f, 10.0f);
    EXPECT_GE(f, 0.0f);
    EXPECT_LE(f, 10.0f);
  }
  std::srand(3);
  int r = std::rand();
  std::srand(3);
  EXPECT_FLOAT_EQ(RandomFloat(2.0f, 4.0f), static_cast<float>(2.0 + r * 2.0 / 32767.0));
}
