#include "media/Randomizer.h"

#include <cstdlib>

namespace {

Tam_Randomizer* g_randomizer = nullptr;

// Finds the nearest value not yet placed, walking forward or backward with
// wrap-around, in near-constant time: union-find over the placed values, one
// structure per direction. Gives the same answer as stepping value by value.
class FreeValues {
 public:
  explicit FreeValues(int n) : n_(n), placed_(n, false), next_(n + 1), previous_(n + 1) {
    for (int i = 0; i <= n; ++i) next_[i] = previous_[i] = i;
  }

  bool IsPlaced(int v) const { return placed_[v]; }

  void Place(int v) {
    placed_[v] = true;
    next_[v] = v + 1;      // the next free value at or above v is above it
    previous_[v + 1] = v;  // previous_ is shifted by one: slot 0 means none
  }

  int After(int start) {
    int v = FindNext(start + 1);
    return v < n_ ? v : FindNext(0);
  }

  int Before(int start) {
    int v = FindPrevious(start);  // slot start is value start - 1
    return v > 0 ? v - 1 : FindPrevious(n_) - 1;
  }

 private:
  int FindNext(int v) {
    int root = v;
    while (next_[root] != root) root = next_[root];
    while (next_[v] != root) {
      int up = next_[v];
      next_[v] = root;
      v = up;
    }
    return root;
  }

  int FindPrevious(int slot) {
    int root = slot;
    while (previous_[root] != root) root = previous_[root];
    while (previous_[slot] != root) {
      int down = previous_[slot];
      previous_[slot] = root;
      slot = down;
    }
    return root;
  }

  int n_;
  std::vector<bool> placed_;
  std::vector<int> next_;
  std::vector<int> previous_;
};

}  // namespace

float RandomFloat(float lo, float hi) {
  double value = static_cast<double>(lo) +
                 static_cast<double>(std::rand()) * (static_cast<double>(hi) - static_cast<double>(lo)) / 32767.0;
  return static_cast<float>(value);
}

Tam_RandomOID::Tam_RandomOID() = default;
Tam_RandomOID::~Tam_RandomOID() = default;

void Tam_RandomOID::InitOrder(int n) {
  if (n > 0) order_.insert(order_.end(), static_cast<size_t>(n), -1);
  ResetOrder();
  IdentityOrder();
}

void Tam_RandomOID::ResetOrder() {
  for (int& entry : order_) entry = -1;
  position_ = 0;
}

void Tam_RandomOID::IdentityOrder() {
  for (size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
}

void Tam_RandomOID::SetAt(int i, int value) {
  if (i >= 0 && i < Size()) order_[i] = value;
}

int Tam_RandomOID::GetAt(int i) const { return i >= 0 && i < Size() ? order_[i] : -1; }

// The first pass after a set-up yields entries 1..n-1; every later pass starts
// with a reshuffle and yields all n entries.
int Tam_RandomOID::NextValue() {
  int n = Size();
  if (n == 0) return -1;
  if (position_ < n - 1) {
    ++position_;
  } else {
    ResetOrder();
    ShuffleOrder();
    position_ = 0;
  }
  return order_[position_];
}

// Entry i is a draw from 0..n-1; a value already placed is replaced by the
// nearest free one, walking forward or backward as a second draw decides.
void Tam_RandomOID::ShuffleOrder() {
  ResetOrder();
  int n = Size();
  if (n == 0) return;
  FreeValues free(n);
  for (int i = 0; i < n; ++i) {
    int a = static_cast<int>(RandomFloat(0.0f, static_cast<float>(n - 1)));
    if (!free.IsPlaced(a)) {
      order_[i] = a;
    } else {
      float d = RandomFloat(0.01f, 1.99f);
      order_[i] = d < 1.0f ? free.After(a) : free.Before(a);
    }
    free.Place(order_[i]);
  }
}

int Tam_RandomOID::FindUnusedValue(int start, bool forward) const {
  int n = Size();
  if (n == 0) return -1;
  int v = start;
  for (int steps = 0; steps <= n; ++steps) {
    if (forward) {
      if (++v > n - 1) v = 0;
    } else {
      if (--v < 0) v = n - 1;
    }
    if (!ContainsValue(v)) return v;
  }
  return -1;  // every value placed: nothing to find
}

bool Tam_RandomOID::ContainsValue(int value) const {
  for (int entry : order_) {
    if (entry == -1) return false;
    if (entry == value) return true;
  }
  return false;
}

void Tam_RandomOID::Clear() {
  order_.clear();
  position_ = 0;
}

Tam_Randomizer::Tam_Randomizer() { g_randomizer = this; }

Tam_Randomizer::~Tam_Randomizer() {
  if (g_randomizer == this) g_randomizer = nullptr;
}

void Tam_Randomizer::CreateSlots(int count) {
  for (int i = 0; i < count; ++i) slots_.emplace_back();
}

void Tam_Randomizer::SetupSlot(int slot, int n) {
  if (slot < 0 || slot >= SlotCount()) return;
  slots_[slot].Clear();
  slots_[slot].InitOrder(n);
}

void Tam_Randomizer::ShuffleSlot(int slot) {
  if (slot < 0 || slot >= SlotCount()) return;
  slots_[slot].ShuffleOrder();
}

int Tam_Randomizer::NextIndex(int slot) {
  if (slot < 0 || slot >= SlotCount()) return -1;
  return slots_[slot].NextValue();
}

void Tam_Randomizer::ClearSlots() {
  for (Tam_RandomOID& slot : slots_) slot.Clear();
}

const Tam_RandomOID* Tam_Randomizer::Slot(int slot) const {
  return slot >= 0 && slot < SlotCount() ? &slots_[slot] : nullptr;
}

Tam_Randomizer* GetRandomizer() { return g_randomizer; }
