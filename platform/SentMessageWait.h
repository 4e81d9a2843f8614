#pragma once
#include <windows.h>

// Waits for the object while still answering the messages that other threads
// send to this thread's windows: the thread being waited for may be sending
// to them (a device, a video output or a dialog created on this thread), and
// a plain wait would then never end. Posted messages stay queued for the
// message loop. Returns WAIT_OBJECT_0 (or WAIT_ABANDONED_0) once the object
// is signalled, WAIT_TIMEOUT when the time ran out, WAIT_FAILED on failure.
// With a null object it only answers what was sent within the time.
DWORD WaitAnsweringSentMessages(HANDLE object, DWORD milliseconds);
