#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/ScrSvrApp.h"
#include "engine/ScrSvrDevice.h"
#include "engine/ScrSvrMachine.h"
#include "engine/ScrSvrState.h"
#include "engine/ScrSvrThread.h"
#include "support/FakeClock.h"
#include "support/RegistrySandbox.h"
#include "support/TraceRecorder.h"

// How many pixels of the device's back buffer inside the area pass the test
// (each pixel as 0xAARRGGBB); -1 when the buffer cannot be read.
int CountBackBufferPixels(IDirect3DDevice9* device, RECT area, const std::function<bool(DWORD pixel)>& test);

// How the run loop went through a wait, each frame after the rest the one
// before asked for: when the wait ended (seconds after its start; -1 when it
// did not within the time), in how many frames, and how often the loop
// rested a millisecond or less twice in a row (spinning on a deadline).
struct PacedRun {
  double ended = -1.0;
  int frames = 0;
  int spins = 0;
};

// Clock readings for tests of a show that has run long: a minute, 24 days
// (2^21 s) and two years (2^26 s) after the start, and their test names.
const std::vector<double>& LongRunClockReadings();
std::string ClockReadingName(const testing::TestParamInfo<double>& info);

// A window of its own for a show built on the test's thread.
HWND CreateShowWindow(int width = 320, int height = 240);

// The show's runtime objects built in-process on a window of the test's own,
// stepped frame by frame on a hand-driven clock instead of the run loop.
class ShowFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the thread object (and everything it owns).
  void Build();
  // Tears it down, as the worker does when the show ends.
  void Destroy();
  // One pass of the shipped run loop, without its rest (kept in lastRest).
  void Step(double seconds = 0.066);
  // Passes as the shipped loop runs them, the first a full rest after now,
  // until `ended` holds after one of them or 30 s have passed since `start`.
  PacedRun StepPacedUntil(double start, const std::function<bool()>& ended);

  std::wstring CurrentState();
  std::wstring CurrentAction();

  RegistrySandbox registry;
  TraceRecorder trace;
  FakeClock clock;
  HWND window = nullptr;
  std::unique_ptr<CScrSvrThread> thread;
  DWORD lastRest = 0;
};
