#pragma once
#include <windows.h>

// Counts what operator new hands out on the thread that made the counter,
// while it lives. A program that uses it has its operator new replaced by a
// counting one (the rest of the program allocates as before).
class AllocationCount {
 public:
  AllocationCount();
  ~AllocationCount();
  AllocationCount(const AllocationCount&) = delete;
  AllocationCount& operator=(const AllocationCount&) = delete;
  long Count() const;
};
