// The wait that goes on answering what other threads send to this thread's
// windows, against real threads and a real window.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/Scoped.h"
#include "platform/SentMessageWait.h"
#include "platform/ThreadHelpers.h"

namespace {

struct SenderCase {
  const char* name;
  // The test thread looks at its queue once the message is there, before it
  // waits: the message then counts as seen, but it is still unanswered.
  bool seenBeforeTheWait;
};
const SenderCase kSenderCases[] = {
    {"sent while waiting", false},
    {"seen before the wait", true},
};

}  // namespace

// The sender is the object waited for: it ends only once its message was
// answered, which a plain wait would never do.
TEST(SentMessageWait, AnswersWhatAnotherThreadSendsAndReturnsWhenItEnds) {
  for (const SenderCase& c : kSenderCases) {
    PingWindow window;
    ASSERT_TRUE(window.Get()) << c.name;
    WorkThread sender([&window] { window.SendPing(); });
    ASSERT_TRUE(sender.Started()) << c.name;
    if (c.seenBeforeTheWait) {
      ASSERT_TRUE(WaitUntilSentMessagePending()) << c.name;
    }
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WAIT_OBJECT_0, WaitAnsweringSentMessages(sender.Handle(), kGenerousMilliseconds)) << c.name;
    EXPECT_EQ(1, window.Answered()) << c.name;
    // Answered at once, not when the sender gave up.
    EXPECT_LT(GetTickCount64() - start, kGenerousMilliseconds) << c.name;
  }
}

TEST(SentMessageWait, ReturnsWhenTheObjectIsSignalled) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event.Valid());
  WorkThread setter([&event] { SetEvent(event.Get()); });
  EXPECT_EQ(WAIT_OBJECT_0, WaitAnsweringSentMessages(event.Get(), kGenerousMilliseconds));
  // Already signalled: at once, also with no time to wait.
  EXPECT_EQ(WAIT_OBJECT_0, WaitAnsweringSentMessages(event.Get(), 0));
}

// Until the time runs out, with an object that stays unsignalled or none at
// all, what was sent is answered and the wait goes on.
TEST(SentMessageWait, AnswersUntilTheTimeRunsOut) {
  const DWORD kWait = 200;
  ScopedHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(never.Valid());
  for (HANDLE object : {static_cast<HANDLE>(nullptr), never.Get()}) {
    PingWindow window;
    WorkThread sender([&window] { window.SendPing(); });
    ASSERT_TRUE(WaitUntilSentMessagePending());
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitAnsweringSentMessages(object, kWait)) << object;
    ULONGLONG spent = GetTickCount64() - start;
    EXPECT_EQ(1, window.Answered()) << object;
    // The whole time, not only until the message was answered (less a
    // tick of the coarse clock).
    EXPECT_GE(spent + 20, kWait) << object;
  }
}

// Answering what is sent delivers nothing that was posted, the quit
// message of a message loop among them.
TEST(SentMessageWait, LeavesPostedMessagesForTheMessageLoop) {
  PingWindow window;
  ASSERT_TRUE(PostMessageW(window.Get(), kPostedMessage, 0, 0));
  WorkThread sender([&window] { window.SendPing(); });
  EXPECT_EQ(WAIT_OBJECT_0, WaitAnsweringSentMessages(sender.Handle(), kGenerousMilliseconds));
  EXPECT_EQ(1, window.Answered());
  EXPECT_EQ(0, window.PostedHandled());
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, window.Get(), kPostedMessage, kPostedMessage, PM_REMOVE));
}

TEST(SentMessageWait, ReportsAFailedWait) {
  // A handle that is no waitable object.
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE closed = event.Get();
  event.Close();
  EXPECT_EQ(WAIT_FAILED, WaitAnsweringSentMessages(closed, 20));
}
