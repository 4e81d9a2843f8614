#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "media/ListPlayer.h"

// A list player on real libvlc through the bridge, with the dummy outputs
// (or libvlc's own, when a test sets dummyOutputs_ false in its
// constructor, and with recordSound_ also true the sound going into
// SoundFile()): an install folder holding the bridge's placeholder
// libvlc.dll, a folder for generated media, and default settings.
class VlcFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const std::wstring& InstallFolder() const { return install_; }
  const std::wstring& MediaFolder() const { return media_; }
  std::wstring SoundFile() const { return media_ + L"sound.wav"; }
  std::wstring WriteMedia(const std::wstring& name, const std::string& bytes);
  // Polls GetPlayerState until it gives the state.
  static bool ReachesState(int state, DWORD ms = 15000);

  std::unique_ptr<KEL_TamListPlayer> player_;
  bool dummyOutputs_ = true;
  bool recordSound_ = false;

 private:
  std::wstring install_;
  std::wstring media_;
};

// The distinct player states seen by polling GetPlayerState, in order, until
// the item ends (6) or fails (7) or the time runs out.
std::vector<int> StatesUntilDone(DWORD ms = 15000);

// The states show the item playing (3) and then ending (6).
::testing::AssertionResult PlayedToTheEnd(const std::vector<int>& states);

// With no libvlc player behind them (no libvlc, libvlc_new failed, or no
// list player), every wrapper operation and free function does nothing and
// reports failure, the error state or no media.
void ExpectNoPlayback();

// "file:///C:/a%20b/c.wav" for a Windows path, as a catalog gives web media.
std::wstring FileUrl(const std::wstring& path);

// A shown top-level window, so Wine has made its X11 window.
class TestWindow {
 public:
  TestWindow();
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND Handle() const { return window_; }
  // Wine made the window's X11 window (libvlc draws into that one).
  bool HasXWindow() const { return hasXWindow_; }

 private:
  HWND window_ = nullptr;
  bool hasXWindow_ = false;
};

// Handles this thread's messages until Wine has made the window's X11 window
// or the time runs out; whether it has.
bool WaitForXWindow(HWND window, DWORD milliseconds = 30000);
