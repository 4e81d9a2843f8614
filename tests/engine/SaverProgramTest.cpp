// Runs the real kel.scr under Wine and reads what it did from its trace.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "MessageBoxWatcher.h"
#include "engine/SystemParams.h"
#include "platform/ScreenSaverLibrary.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/RegistrySandbox.h"
#include "support/ShowTrace.h"
#include "support/TestPaths.h"

namespace {

class SaverProgram : public testing::Test {
 protected:
  void SetUp() override {
    folder = MakeTempFolder(L"kel-show");
    tracePath = folder + L"trace.txt";
  }
  void TearDown() override {
    saver.Kill();
    RemoveTree(folder);
  }
  bool StartShow() {
    return saver.Start(ProgramFolder() + L"kel.scr", L"/s", L"KEL_TRACE=" + tracePath);
  }
  std::vector<TraceLine> Trace() { return ReadShowTrace(tracePath); }
  bool WaitForTrace(const std::wstring& text, DWORD milliseconds) {
    return WaitUntil(milliseconds, [&] { return FindTraceLine(Trace(), text) != nullptr; });
  }

  RegistrySandbox registry;
  std::wstring folder;
  std::wstring tracePath;
  ChildProcess saver;
};

}  // namespace

TEST_F(SaverProgram, RunsFromBootToTheSaverAndClosesOnAKey) {
  ASSERT_TRUE(SetSystemValue(SPI_SETSCREENSAVETIMEOUT, 600));
  ASSERT_TRUE(StartShow());
  ASSERT_TRUE(WaitForTrace(L"SAVER_CHILD -> SAVER_SELECTNEXT_1", 30000));
  HWND window = FindWindowW(kScreenSaverWindowClass, nullptr);
  ASSERT_NE(window, nullptr);
  RECT rc;
  GetWindowRect(window, &rc);
  EXPECT_EQ(rc.right - rc.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(rc.bottom - rc.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  Sleep(1000);  // a second of the saver's frames

  PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(saver.Wait(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);

  std::vector<TraceLine> lines = Trace();
  const TraceLine* intro = FindTraceLine(lines, L"AppHarrowbell1_MainMachine -> IntroState");
  const TraceLine* outro = FindTraceLine(lines, L"INTRO_CHILD -> INTRO_ACT_OUTRO_1");
  const TraceLine* saverState = FindTraceLine(lines, L"AppHarrowbell1_MainMachine -> SaverState");
  ASSERT_TRUE(intro && outro && saverState);
  EXPECT_LT(intro->time, outro->time);
  EXPECT_GT(outro->time - intro->time, 1.0);  // the intro holds for more than a second
  EXPECT_LT(outro->time, saverState->time);

  // Frames are paced by the 66 ms rest after each.
  std::vector<double> frames;
  for (const TraceLine& line : lines)
    if (line.text.compare(0, 6, L"frame ") == 0) frames.push_back(line.time);
  ASSERT_GT(frames.size(), 20u);
  double average = (frames.back() - frames.front()) / (frames.size() - 1);
  EXPECT_GT(average, 0.060);

  // The key ended the loop, the worker tore everything down, then the window went.
  const TraceLine* stopped = FindTraceLine(lines, L"run: stopped");
  const TraceLine* restored = FindTraceLine(lines, L"system parameters restored");
  const TraceLine* done = FindTraceLine(lines, L"teardown: done");
  const TraceLine* joined = FindTraceLine(lines, L"worker stopped");
  ASSERT_TRUE(stopped && restored && done && joined);
  EXPECT_LE(stopped->time, restored->time);
  EXPECT_LE(restored->time, done->time);
  EXPECT_LE(done->time, joined->time);
  EXPECT_EQ(GetSystemValue(SPI_GETSCREENSAVETIMEOUT), 600);
}

// Two screen savers may overlap (the preview and the show); a third is refused.
TEST_F(SaverProgram, ASecondShowIsRefused) {
  std::vector<std::unique_ptr<ChildProcess>> others;
  for (int i = 0; i < 2; ++i) {
    std::wstring sub = folder + L"other" + std::to_wstring(i) + L"\\";
    CreateDirectoryW(sub.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"kel_sleeper.exe").c_str(), (sub + L"kel.scr").c_str(), FALSE));
    others.emplace_back(new ChildProcess());
    ASSERT_TRUE(others.back()->Start(sub + L"kel.scr", L"60"));
  }
  ASSERT_TRUE(StartShow());
  FoundMessageBox box = CloseMessageBox(L"Kelvane Error!", 30000);
  EXPECT_TRUE(box.found);
  EXPECT_EQ(box.text, L"Only one instance allowed!");
  EXPECT_TRUE(box.topmost);  // seen above the full-screen show
  ASSERT_TRUE(saver.Wait(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
  std::vector<TraceLine> lines = Trace();
  EXPECT_NE(FindTraceLine(lines, L"another instance"), nullptr);
  EXPECT_EQ(CountTraceLines(lines, L"frame "), 0);
  EXPECT_NE(FindTraceLine(lines, L"teardown: done"), nullptr);
}

TEST_F(SaverProgram, PreviewWithABadWindowLeavesQuietly) {
  ASSERT_TRUE(saver.Start(ProgramFolder() + L"kel.scr", L"/p 12345", L"KEL_TRACE=" + tracePath));
  ASSERT_TRUE(saver.Wait(20000));
  EXPECT_NE(saver.ExitCode(), 0u);
  EXPECT_EQ(CountTraceLines(Trace(), L"build:"), 0);
}

TEST_F(SaverProgram, ChangePasswordDoesNothing) {
  ASSERT_TRUE(saver.Start(ProgramFolder() + L"kel.scr", L"/a 12345", L"KEL_TRACE=" + tracePath));
  ASSERT_TRUE(saver.Wait(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(SaverProgram, PreviewRunsTheShowInTheGivenWindow) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KelTestPreviewParent";
  RegisterClassW(&wc);
  HWND parent = CreateWindowW(L"KelTestPreviewParent", L"preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                              160, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  std::wstring arguments = L"/p " + std::to_wstring(reinterpret_cast<ULONG_PTR>(parent));
  ASSERT_TRUE(saver.Start(ProgramFolder() + L"kel.scr", arguments, L"KEL_TRACE=" + tracePath));
  bool running = WaitUntil(30000, [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return FindTraceLine(Trace(), L"AppHarrowbell1_MainMachine -> IntroState") != nullptr;
  });
  EXPECT_TRUE(running);
  HWND child = FindWindowExW(parent, nullptr, kScreenSaverWindowClass, nullptr);
  EXPECT_NE(child, nullptr);
  DestroyWindow(parent);  // the preview goes with its parent
  bool ended = WaitUntil(20000, [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return !saver.IsRunning();
  });
  EXPECT_TRUE(ended);
}
