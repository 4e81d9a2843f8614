// The holders of handles, keys, memory and locks: each lets go of what it
// holds once, when its scope ends, and not what it gave away.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "platform/Scoped.h"
#include "platform/ThreadHelpers.h"

namespace {

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

// Counts the frees of one block of COM task memory.
class FreeCounter : public IMallocSpy {
 public:
  void* watched = nullptr;
  int frees = 0;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy)) {
      *out = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) override { return request; }
  STDMETHODIMP_(void*) PostAlloc(void* actual) override { return actual; }
  STDMETHODIMP_(void*) PreFree(void* request, BOOL) override {
    if (request && request == watched) ++frees;
    return request;
  }
  STDMETHODIMP_(void) PostFree(BOOL) override {}
  STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** actual, BOOL) override {
    *actual = request;
    return size;
  }
  STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override { return actual; }
  STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
  STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
  STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  STDMETHODIMP_(void) PreHeapMinimize() override {}
  STDMETHODIMP_(void) PostHeapMinimize() override {}
};

class ScopedMallocSpy {
 public:
  explicit ScopedMallocSpy(FreeCounter* spy) : registered_(SUCCEEDED(CoRegisterMallocSpy(spy))) {}
  ~ScopedMallocSpy() {
    if (registered_) CoRevokeMallocSpy();
  }
  bool Registered() const { return registered_; }

 private:
  bool registered_;
};

// Stands for a medium's owner: ReleaseStgMedium tells it instead of freeing.
class ReleaseCounter : public IUnknown {
 public:
  int releases = 0;
  STDMETHODIMP QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override {
    ++releases;
    return 1;
  }
};

}  // namespace

TEST(ScopedHandle, ClosesWhatItHoldsOnceAndNotWhatItGaveAway) {
  HANDLE closedByScope = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE movedOn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE detached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(closedByScope && movedOn && detached);
  {
    ScopedHandle held(closedByScope);
    ScopedHandle first(movedOn);
    ScopedHandle second(std::move(first));
    EXPECT_FALSE(first.Valid());
    ScopedHandle given(detached);
    EXPECT_EQ(detached, given.Detach());
    EXPECT_TRUE(IsOpenHandle(closedByScope) && IsOpenHandle(movedOn));
  }
  EXPECT_FALSE(IsOpenHandle(closedByScope));
  EXPECT_FALSE(IsOpenHandle(movedOn));
  EXPECT_TRUE(IsOpenHandle(detached));
  CloseHandle(detached);

  // Close says whether the system closed it; neither "none" is closed.
  HANDLE twice = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ScopedHandle again(twice);
  CloseHandle(twice);
  EXPECT_FALSE(again.Close());
  EXPECT_TRUE(again.Close());
  EXPECT_FALSE(ScopedHandle(INVALID_HANDLE_VALUE).Valid());
  EXPECT_TRUE(ScopedHandle(INVALID_HANDLE_VALUE).Close());
}

// Read only: the holder's own rules need no key of ours.
TEST(RegistryKey, CloseGivesTheSystemsAnswerAndTheScopeCloses) {
  HKEY seen = nullptr;
  {
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_QUERY_VALUE, key.Receive()));
    seen = key;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(seen, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr));
  }
  EXPECT_NE(ERROR_SUCCESS, RegQueryInfoKeyW(seen, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr));

  RegistryKey key;
  EXPECT_EQ(ERROR_SUCCESS, key.Close());  // nothing open
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_QUERY_VALUE, key.Receive()));
  RegCloseKey(key);  // behind the holder's back
  EXPECT_NE(ERROR_SUCCESS, key.Close());
  EXPECT_EQ(nullptr, static_cast<HKEY>(key));
}

TEST(CoTaskMem, FreesWhatItHoldsOnceAndNotWhatItGaveAway) {
  FreeCounter spy;
  ScopedMallocSpy registration(&spy);
  ASSERT_TRUE(registration.Registered());
  struct Case {
    const char* name;
    void (*use)(wchar_t* block);
    int frees;
  };
  const Case cases[] = {
      {"scope", [](wchar_t* block) { CoTaskMem<wchar_t> held(block); }, 1},
      {"received over", [](wchar_t* block) {
         CoTaskMem<wchar_t> held(block);
         *held.Receive() = nullptr;
         EXPECT_EQ(nullptr, held.Get());
       }, 1},
      {"reset", [](wchar_t* block) {
         CoTaskMem<wchar_t> held(block);
         held.Reset();
         held.Reset();
       }, 1},
      {"detached", [](wchar_t* block) {
         CoTaskMem<wchar_t> held(block);
         EXPECT_EQ(block, held.Detach());
       }, 0},
  };
  for (const Case& c : cases) {
    auto* block = static_cast<wchar_t*>(CoTaskMemAlloc(16));
    ASSERT_TRUE(block);
    spy.watched = block;
    spy.frees = 0;
    c.use(block);
    EXPECT_EQ(c.frees, spy.frees) << c.name;
    if (c.frees == 0) CoTaskMemFree(block);
    spy.watched = nullptr;
  }
}

TEST(ScopedStgMedium, ReleasesTheMediumOnceThroughItsOwner) {
  struct Case {
    const char* name;
    void (*use)(ScopedStgMedium& medium);
  };
  const Case cases[] = {
      {"scope", [](ScopedStgMedium&) {}},
      {"reset", [](ScopedStgMedium& medium) {
         medium.Reset();
         EXPECT_EQ(nullptr, medium.Memory());
         medium.Reset();
       }},
      {"received over", [](ScopedStgMedium& medium) { EXPECT_EQ(TYMED_NULL, medium.Receive()->tymed); }},
  };
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_TRUE(memory);
  for (const Case& c : cases) {
    ReleaseCounter owner;
    {
      ScopedStgMedium medium;
      EXPECT_EQ(nullptr, medium.Memory()) << c.name;
      STGMEDIUM* given = medium.Receive();
      given->tymed = TYMED_HGLOBAL;
      given->hGlobal = memory;
      given->pUnkForRelease = &owner;
      EXPECT_EQ(memory, medium.Memory()) << c.name;
      c.use(medium);
    }
    EXPECT_EQ(1, owner.releases) << c.name;
  }
  GlobalFree(memory);
}

TEST(GlobalMemoryLock, LocksForItsScope) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_TRUE(memory);
  {
    GlobalMemoryLock lock(memory);
    EXPECT_NE(nullptr, lock.Data());
    EXPECT_EQ(1u, GlobalFlags(memory) & GMEM_LOCKCOUNT);
  }
  EXPECT_EQ(0u, GlobalFlags(memory) & GMEM_LOCKCOUNT);
  GlobalFree(memory);
  EXPECT_EQ(nullptr, GlobalMemoryLock(nullptr).Data());
}

// Another thread finds each lock taken while a holder has it, and free after.
TEST(LockHolders, HoldForTheirScope) {
  CriticalSection section;
  SRWLOCK srw = SRWLOCK_INIT;
  struct Seen {
    bool sectionFree = false;
    bool sharedFree = false;
    bool exclusiveFree = false;
  };
  auto look = [&] {
    Seen seen;
    WorkThread other([&] {
      seen.sectionFree = section.TryEnter();
      if (seen.sectionFree) section.Leave();
      seen.sharedFree = TryAcquireSRWLockShared(&srw) != FALSE;
      if (seen.sharedFree) ReleaseSRWLockShared(&srw);
      seen.exclusiveFree = TryAcquireSRWLockExclusive(&srw) != FALSE;
      if (seen.exclusiveFree) ReleaseSRWLockExclusive(&srw);
    });
    return seen;
  };
  {
    CriticalSectionHold hold(section);
    EXPECT_FALSE(look().sectionFree);
  }
  {
    SrwShared reading(srw);
    Seen seen = look();
    EXPECT_TRUE(seen.sharedFree);
    EXPECT_FALSE(seen.exclusiveFree);
  }
  {
    SrwExclusive writing(srw);
    Seen seen = look();
    EXPECT_FALSE(seen.sharedFree);
    EXPECT_FALSE(seen.exclusiveFree);
  }
  Seen after = look();
  EXPECT_TRUE(after.sectionFree && after.sharedFree && after.exclusiveFree);
}

// The other holder lets go only once this thread's window has answered it.
TEST(LockHolders, AWaiterThatAnswersSentMessagesGetsTheLock) {
  for (bool exclusive : {false, true}) {
    PingWindow window;
    SRWLOCK srw = SRWLOCK_INIT;
    ScopedHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    WorkThread holder([&] {
      AcquireSRWLockExclusive(&srw);
      SetEvent(held.Get());
      window.SendPing();
      ReleaseSRWLockExclusive(&srw);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.Get(), kGenerousMilliseconds));
    if (exclusive) {
      SrwExclusive writing(srw, LockWait::AnsweringSentMessages);
      EXPECT_EQ(1, window.Answered()) << "exclusive";
    } else {
      SrwShared reading(srw, LockWait::AnsweringSentMessages);
      EXPECT_EQ(1, window.Answered()) << "shared";
    }
  }
}
