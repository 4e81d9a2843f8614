#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

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

  std::wstring CurrentState();
  std::wstring CurrentAction();

  RegistrySandbox registry;
  TraceRecorder trace;
  FakeClock clock;
  HWND window = nullptr;
  std::unique_ptr<CScrSvrThread> thread;
  DWORD lastRest = 0;
};
