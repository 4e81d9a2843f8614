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
    DWORD result = MsgWaitForMultipleObjects(count, count ? &object : nullptr, FALSE, left, QS_SENDMESSAGE);
    if (result != WAIT_OBJECT_0 + count) return result;
    // Only sent messages: peeking for them delivers them.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (left == 0) return object ? WaitForSingleObject(object, 0) : WAIT_TIMEOUT;
  }
}
