#include "engine/ShowRequests.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/Logic.h"
#include "engine/ScrSvrApp.h"
#include "engine/ScrSvrMachine.h"
#include "engine/ScrSvrState.h"
#include "engine/ScrSvrThread.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "platform/Scoped.h"
#include "platform/SentMessageWait.h"
#include "platform/Trace.h"

namespace {

struct RequestQueue {
  CriticalSection lock;
  std::vector<std::function<void()>> requests;
  // The dialog's last Stop or Play while the show was starting.
  std::function<void()> keptForFirstChoice;
};

RequestQueue& Queue() {
  static RequestQueue* queue = new RequestQueue();  // outlives every thread
  return *queue;
}

// The frame lock: a critical section, so that the worker's own frames, which
// nobody else wants, cost no call into the system. A thread that finds it
// held says so and waits for an event, which a release sets while anyone
// waits, so that the wait can go on answering sent messages. Recursive, so a
// request may stop the show itself.
struct FrameLock {
  CriticalSection section;
  ScopedHandle released{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  volatile LONG waiting = 0;
};

FrameLock& Frame() {
  static FrameLock* lock = new FrameLock();  // outlives every thread
  return *lock;
}

}  // namespace

void PostShowRequest(std::function<void()> request) {
  RequestQueue& queue = Queue();
  CriticalSectionHold hold(queue.lock);
  queue.requests.push_back(std::move(request));
}

void RunShowRequests() {
  RequestQueue& queue = Queue();
  std::vector<std::function<void()>> taken;
  {
    CriticalSectionHold hold(queue.lock);
    taken.swap(queue.requests);
  }
  // Run outside the queue's lock: a request may queue another one.
  for (std::function<void()>& request : taken) request();
}

void DropShowRequests() {
  RequestQueue& queue = Queue();
  CriticalSectionHold hold(queue.lock);
  queue.requests.clear();
  queue.keptForFirstChoice = nullptr;
}

void RequestShowAdvance() {
  PostShowRequest([] {
    CScrSvrApp* app = GetScrSvrApp();
    CScrSvrMachine* machine = app ? app->GetMachine() : nullptr;
    if (!machine) return;
    machine->SetState(L"IntroState");
    Trace(L"advance");
  });
}

void ApplyMute(bool mute) {
  PostShowRequest([mute] { GetVlcPlayer().SetMute(mute); });
}

void RequestPlaybackPause(bool pause) {
  PostShowRequest([pause] {
    if (GetCurrentMediaKind() == MediaKindWebMedia)
      PauseListPlayer(pause);
    else
      PausePlayer(pause);
  });
}

namespace {

constexpr int kPausedState = 4;  // libvlc_Paused

// The web stream on the list player, or the media player's item (the list
// player plays through the same media player).
void StopBothPlayers() {
  StopListPlayer();
  StopPlayer();
}

CScrSvrMachine* SaverActions() {
  CScrSvrApp* app = GetScrSvrApp();
  CScrSvrMachine* machine = app ? app->GetMachine() : nullptr;
  CScrSvrState* saver = machine ? machine->GetState(L"SaverState") : nullptr;
  return saver ? saver->GetChildMachine() : nullptr;
}

// The saver's actions wait in "SAVER_PLAYERSTOPPED_1" for the dialog's Play
// and take the dialog's item over from there, whichever action was watching
// what played before.
void ShowWaitsForDialogPlay() {
  if (CScrSvrMachine* actions = SaverActions()) actions->SetState(L"SAVER_PLAYERSTOPPED_1");
}

// Until the saver is first entered its actions do not exist: a Stop would go
// nowhere and a Play would be played over by the catalog's first item. So
// the last one made then waits for the show's first choice. Once the actions
// run, a Stop or Play acts at once, and one still kept is older: it goes.
void PostPlaybackRequest(const wchar_t* what, std::function<void()> act) {
  PostShowRequest([what, act] {
    CScrSvrMachine* actions = SaverActions();
    bool starting = actions && !actions->HasCurrentState();
    {
      RequestQueue& queue = Queue();
      CriticalSectionHold hold(queue.lock);
      queue.keptForFirstChoice = starting ? act : nullptr;
    }
    if (starting)
      Trace(L"kept for the first choice: %s", what);
    else
      act();
  });
}

}  // namespace

void RequestPlaybackStop() {
  PostPlaybackRequest(L"dialog stop", [] {
    StopBothPlayers();
    Trace(L"dialog stop");
    ShowWaitsForDialogPlay();
  });
}

void RequestDialogPlay(const std::wstring& path, int kind) {
  PostPlaybackRequest(L"dialog play", [path, kind] {
    StopBothPlayers();
    ApplyVisualOptionsForKind(kind);
    PlayFile(path);
    SetDialogPlayKind(kind);
    Trace(L"dialog play %d: %s", kind, path.c_str());
    ShowWaitsForDialogPlay();
  });
}

bool AnswerPlaybackRequestKeptForFirstChoice() {
  std::function<void()> kept;
  {
    RequestQueue& queue = Queue();
    CriticalSectionHold hold(queue.lock);
    kept.swap(queue.keptForFirstChoice);
  }
  if (!kept) return false;
  kept();
  return true;
}

void RequestPlaybackResume() {
  PostShowRequest([] {
    if (GetPlayerState() != kPausedState) return;
    if (GetCurrentMediaKind() == MediaKindWebMedia)
      PauseListPlayer(false);
    else
      PausePlayer(false);
  });
}

void RequestShowClose() {
  RequestPlaybackStop();
  PostShowRequest([] {
    if (CScrSvrThread* thread = GetScrSvrThread()) PostMessageW(thread->GetWindow(), WM_CLOSE, 0, 0);
  });
}

ShowFrameLock::ShowFrameLock() {
  FrameLock& lock = Frame();
  if (lock.section.TryEnter()) return;
  // Said before the next try: a holder that leaves after it fails sees it
  // and sets the event.
  InterlockedIncrement(&lock.waiting);
  while (!lock.section.TryEnter()) {
    if (WaitAnsweringSentMessages(lock.released.Get(), INFINITE) != WAIT_OBJECT_0) {
      lock.section.Enter();  // no event to wait for: a plain wait
      break;
    }
  }
  InterlockedDecrement(&lock.waiting);
}

ShowFrameLock::~ShowFrameLock() {
  FrameLock& lock = Frame();
  lock.section.Leave();
  if (InterlockedCompareExchange(&lock.waiting, 0, 0) > 0) SetEvent(lock.released.Get());
}
