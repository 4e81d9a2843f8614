#pragma once
#include <functional>
#include <string>

// What the window thread asks of the running show. The state machine and the
// player belong to the worker while it steps a frame, so the window thread
// never changes them itself: it queues a request, and the worker runs the
// queue at the start of its next frame. The frame lock keeps the few things
// the window thread must do at once (the stop request's loading picture) out
// of the worker's frame step.

// Queues a request for the show's next frame. Requests still queued when the
// show stops are dropped, with a Stop or Play kept for its first choice.
void PostShowRequest(std::function<void()> request);

// Worker thread, at the start of a frame with the frame lock held.
void RunShowRequests();
void DropShowRequests();

// "Advance": the top-level machine back to "IntroState", as soon as the show
// has one.
void RequestShowAdvance();

// Sets the running media player's mute at the show's next frame.
void ApplyMute(bool mute);

// The settings dialog's playback commands on the running show (the wallpaper's
// dialog). Pause acts on the item that plays, through the list player for
// web media. Stop stops both players, and the show waits for the dialog's
// Play. Play stops both players, plays the file, and hands it to the show,
// which watches it by its kind (AUDIO or VIDEO) as one of its own; resume
// goes on with a paused item.
//
// While the show is starting (device, boot, intro) its actions do not exist
// yet: the last Stop or Play made then is kept and answered by the show's
// first choice, before anything of the catalog starts. Pause and resume act
// on what plays, which then is nothing, so they change nothing; "Close"
// still closes the program.
void RequestPlaybackPause(bool pause);
void RequestPlaybackStop();
void RequestDialogPlay(const std::wstring& path, int kind);
void RequestPlaybackResume();

// The show's choice, on the worker thread: answers the Stop or Play kept from
// the show's start, if there is one, and returns true; the show then waits
// for Play or watches the dialog's item instead of choosing.
bool AnswerPlaybackRequestKeptForFirstChoice();

// The wallpaper dialog's "Close": playback stops at the next frame, then the
// show's window is asked to close, which ends the program.
void RequestShowClose();

// Held by the worker around each frame step, and by the window thread while
// it stops the show. A thread that waits for it still handles the messages
// sent to its windows: the holder may be sending to them.
class ShowFrameLock {
 public:
  ShowFrameLock();
  ~ShowFrameLock();
  ShowFrameLock(const ShowFrameLock&) = delete;
  ShowFrameLock& operator=(const ShowFrameLock&) = delete;
};
