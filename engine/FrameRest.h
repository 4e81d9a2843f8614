#pragma once
#include <windows.h>

// How long the run loop rests after a frame: its 66 ms, or less when an
// action waits for a moment that comes sooner (a picture's interval, the
// intro's hold, a web item's display time, a choice's retry), so that the
// frame after that moment comes at that moment rather than up to a rest
// later. Worker thread only.

constexpr DWORD kFrameRestMs = 66;

// An action that waits for the show's clock (absolute time, seconds) to pass
// `time` says so on each frame it waits.
void WakeFrameAfter(double time);

// The rest after this frame, from the clock's reading `now`; forgets what was
// said during the frame.
DWORD TakeFrameRest(double now);

// Whole milliseconds from `now` until just past `due` (the actions' time
// tests are strict), at most kFrameRestMs; 0 once `due` has passed.
DWORD FrameRestUntil(double now, double due);
