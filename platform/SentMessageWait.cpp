#include "platform/SentMessageWait.h"

DWORD WaitAnsweringSentMessages(HANDLE object, DWORD milliseconds) {
  DWORD start = GetTickCount();
  DWORD count = object ? 1 : 0;
  for (;;) {
    DWORD left = milliseconds;
    if (milliseconds != INFINITE) {
      DWORD spent = GetTickCount() - start;
      left = spent >= milliseconds ? 0 : milliseconds - spent;
    }
    // Woken also by a message that is already waiting: one the thread looked
    // at before (GetQueueStatus, a peek for something else) counts as seen,
    // and a plain wait would sleep on it while its sender waits for us.
    DWORD result = MsgWaitForMultipleObjectsEx(count, count ? &object : nullptr, left, QS_SENDMESSAGE,
                                               MWMO_INPUTAVAILABLE);
    if (result != WAIT_OBJECT_0 + count) return result;
    // Only sent messages: peeking for them delivers them.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (left == 0) return object ? WaitForSingleObject(object, 0) : WAIT_TIMEOUT;
  }
}
