#pragma once
#include <vector>

// The system's one way of drawing a random number: lo + rand() * (hi - lo) /
// 32767, in double precision from the float arguments, rounded to float.
float RandomFloat(float lo, float hi);

// One shuffled order: a permutation of 0..n-1 and a cursor that reshuffles
// itself when it reaches the end, so no item repeats until all were shown.
class Tam_RandomOID {
 public:
  Tam_RandomOID();
  virtual ~Tam_RandomOID();

  void InitOrder(int n);
  void ResetOrder();
  void IdentityOrder();
  void SetAt(int i, int value);
  int GetAt(int i) const;
  int NextValue();
  void ShuffleOrder();
  int FindUnusedValue(int start, bool forward) const;
  bool ContainsValue(int value) const;
  void Clear();

  int Size() const { return static_cast<int>(order_.size()); }
  int Position() const { return position_; }

 private:
  std::vector<int> order_;
  int position_ = 0;
};

// Numbered shuffled orders: 0 pictures, 1 media, 2 adverts, 3 visual effects.
class Tam_Randomizer {
 public:
  Tam_Randomizer();
  virtual ~Tam_Randomizer();

  void CreateSlots(int count);
  void SetupSlot(int slot, int n);
  void ShuffleSlot(int slot);
  int NextIndex(int slot);
  void ClearSlots();

  int SlotCount() const { return static_cast<int>(slots_.size()); }
  const Tam_RandomOID* Slot(int slot) const;

 private:
  std::vector<Tam_RandomOID> slots_;
};

// The process's randomizer, or null before one is constructed.
Tam_Randomizer* GetRandomizer();
