#pragma once
#include <windows.h>

#include <functional>

// Runs work on a thread with a small stack and COM initialised, and waits for
// it. False when the thread could not start or ended abnormally. A walk that
// recursed once per level of a deep document would overflow here at once.
inline bool RunOnSmallStack(const std::function<void()>& work, SIZE_T stackBytes = 64 * 1024) {
  struct Call {
    const std::function<void()>* work;
  } call{&work};
  HANDLE thread = CreateThread(
      nullptr, stackBytes,
      [](void* p) -> DWORD {
        CoInitialize(nullptr);
        (*static_cast<Call*>(p)->work)();
        CoUninitialize();
        return 0;
      },
      &call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread) return false;
  WaitForSingleObject(thread, INFINITE);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  return code == 0;
}
