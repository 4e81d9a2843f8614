#include "support/AllocationCount.h"

#include <cstdlib>
#include <new>

namespace {
volatile DWORD g_countedThread = 0;
volatile LONG g_count = 0;

void* Allocate(std::size_t size) {
  if (g_countedThread != 0 && GetCurrentThreadId() == g_countedThread) InterlockedIncrement(&g_count);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

AllocationCount::AllocationCount() {
  g_count = 0;
  g_countedThread = GetCurrentThreadId();
}

AllocationCount::~AllocationCount() { g_countedThread = 0; }

long AllocationCount::Count() const { return g_count; }
