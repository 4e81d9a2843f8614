#pragma once
#include <windows.h>
#include <ole2.h>
#include <shtypes.h>

#include <utility>

#include "platform/SentMessageWait.h"

// The holders of the program's handles and locks, each releasing what it
// holds however its scope is left. COM references have platform/ComPtr.h.

// A kernel handle closed with CloseHandle. Null and INVALID_HANDLE_VALUE
// both mean "none" (CreateFile fails with the one, most others with the other).
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Detach()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  void Reset(HANDLE handle = nullptr) {
    Close();
    handle_ = handle;
  }
  HANDLE Detach() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  // Whether CloseHandle succeeded; true when nothing was held.
  bool Close() {
    bool closed = true;
    if (Valid()) closed = CloseHandle(handle_) != FALSE;
    handle_ = nullptr;
    return closed;
  }

 private:
  HANDLE handle_ = nullptr;
};

// One open registry key.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  PHKEY Receive() {
    Close();
    return &key_;
  }
  operator HKEY() const { return key_; }
  // RegCloseKey's result (ERROR_SUCCESS when nothing was open): a key
  // written through is only known to be written once it is closed.
  LONG Close() {
    LONG result = ERROR_SUCCESS;
    if (key_) result = RegCloseKey(key_);
    key_ = nullptr;
    return result;
  }

 private:
  HKEY key_ = nullptr;
};

// Memory handed out by COM (CoTaskMemAlloc), such as the strings and item id
// lists that shell calls return.
template <class T>
class CoTaskMem {
 public:
  CoTaskMem() = default;
  explicit CoTaskMem(T* p) : p_(p) {}
  ~CoTaskMem() { CoTaskMemFree(p_); }
  CoTaskMem(const CoTaskMem&) = delete;
  CoTaskMem& operator=(const CoTaskMem&) = delete;

  T** Receive() {
    Reset();
    return &p_;
  }
  void Reset(T* p = nullptr) {
    CoTaskMemFree(p_);
    p_ = p;
  }
  T* Get() const { return p_; }
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  T* p_ = nullptr;
};

// A shell item id list: absolute (from the desktop), or relative to the
// folder that parsed it.
using ScopedItemIdList = CoTaskMem<ITEMIDLIST_ABSOLUTE>;
using ScopedRelativeItemIdList = CoTaskMem<ITEMIDLIST_RELATIVE>;

// A storage medium that a data object handed out: ReleaseStgMedium frees it
// (or tells its owner) however the reader leaves.
class ScopedStgMedium {
 public:
  ScopedStgMedium() = default;
  ~ScopedStgMedium() { Reset(); }
  ScopedStgMedium(const ScopedStgMedium&) = delete;
  ScopedStgMedium& operator=(const ScopedStgMedium&) = delete;

  STGMEDIUM* Receive() {
    Reset();
    return &medium_;
  }
  void Reset() {
    if (medium_.tymed != TYMED_NULL) ReleaseStgMedium(&medium_);
    medium_ = STGMEDIUM{};
  }
  const STGMEDIUM& Get() const { return medium_; }
  // The global memory it holds, or null for any other kind of medium.
  HGLOBAL Memory() const { return medium_.tymed == TYMED_HGLOBAL ? medium_.hGlobal : nullptr; }

 private:
  STGMEDIUM medium_ = {};
};

// A critical section made and deleted with its owner.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter() { EnterCriticalSection(&section_); }
  bool TryEnter() { return TryEnterCriticalSection(&section_) != FALSE; }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

// Holds a critical section for its scope.
class CriticalSectionHold {
 public:
  explicit CriticalSectionHold(CriticalSection& section) : section_(section) { section_.Enter(); }
  ~CriticalSectionHold() { section_.Leave(); }
  CriticalSectionHold(const CriticalSectionHold&) = delete;
  CriticalSectionHold& operator=(const CriticalSectionHold&) = delete;

 private:
  CriticalSection& section_;
};

// How a lock holder waits while another thread has the lock: plainly, or
// answering the messages sent to this thread's windows meanwhile, for a
// thread whose windows the other holder may be sending to (it would never
// let go otherwise).
enum class LockWait { Plain, AnsweringSentMessages };

// How often a waiter that answers sent messages tries the lock again.
constexpr DWORD kLockRetryMilliseconds = 5;

// Holds a slim reader/writer lock for its scope, shared (reading) or
// exclusive (writing).
class SrwShared {
 public:
  explicit SrwShared(SRWLOCK& lock, LockWait wait = LockWait::Plain) : lock_(lock) {
    if (wait == LockWait::Plain) {
      AcquireSRWLockShared(&lock_);
      return;
    }
    while (!TryAcquireSRWLockShared(&lock_)) WaitAnsweringSentMessages(nullptr, kLockRetryMilliseconds);
  }
  ~SrwShared() { ReleaseSRWLockShared(&lock_); }
  SrwShared(const SrwShared&) = delete;
  SrwShared& operator=(const SrwShared&) = delete;

 private:
  SRWLOCK& lock_;
};

class SrwExclusive {
 public:
  explicit SrwExclusive(SRWLOCK& lock, LockWait wait = LockWait::Plain) : lock_(lock) {
    if (wait == LockWait::Plain) {
      AcquireSRWLockExclusive(&lock_);
      return;
    }
    while (!TryAcquireSRWLockExclusive(&lock_)) WaitAnsweringSentMessages(nullptr, kLockRetryMilliseconds);
  }
  ~SrwExclusive() { ReleaseSRWLockExclusive(&lock_); }
  SrwExclusive(const SrwExclusive&) = delete;
  SrwExclusive& operator=(const SrwExclusive&) = delete;

 private:
  SRWLOCK& lock_;
};

// GlobalLock for its scope: the memory's address, or null.
class GlobalMemoryLock {
 public:
  explicit GlobalMemoryLock(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~GlobalMemoryLock() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalMemoryLock(const GlobalMemoryLock&) = delete;
  GlobalMemoryLock& operator=(const GlobalMemoryLock&) = delete;
  const void* Data() const { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};
