// The wallpaper's saver state gives way to the system's screen saver.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "engine/Logic.h"
#include "engine/ProgramVariant.h"
#include "engine/SaverState.h"
#include "engine/Settings.h"
#include "engine/ShowFixture.h"
#include "wallpaper/SystemSaverSwap.h"
#include "wallpaper/WallpaperFixtures.h"

namespace {

int g_monitorPowerRequests = 0;

LRESULT CALLBACK MonitorPowerRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND && wParam == SC_MONITORPOWER && lParam == 1) {
    ++g_monitorPowerRequests;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The system's screen saver as this process sees it running.
class SystemSaverRunning {
 public:
  void Set(bool running) { SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, nullptr, 0); }
  ~SystemSaverRunning() { Set(false); }
};

class WallpaperIdle : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    MarkInstanceScanDone();
    ResetSaverSwapForTests();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MonitorPowerRecorder;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KelwallTestMonitor";
    RegisterClassW(&wc);
    recorder = CreateWindowW(L"KelwallTestMonitor", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr);
    g_monitorPowerRequests = 0;
  }
  void TearDown() override {
    if (IsWindow(recorder)) DestroyWindow(recorder);
    ResetSaverSwapForTests();
    SetLoadingPicturePending(true);
    ShowFixture::TearDown();
  }
  int PostedCloses() {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++count;
    return count;
  }
  void StepToTheSaver() {
    Build();
    for (int i = 0; i < 3; ++i) Step();
    Step(1.1);
    Step();
    ASSERT_EQ(CurrentState(), L"SaverState");
    saver = GetScrSvrApp()->GetMachine()->GetState(L"SaverState");
    ASSERT_TRUE(saver->IsActive());
  }
  HWND recorder = nullptr;
  CScrSvrState* saver = nullptr;
  SystemSaverRunning systemSaver;
  ScreenSaverSettingSandbox setting;
};

struct IdleCase {
  bool systemSaverRunning;
  bool loadingPicturePending;
  int powerIndex;
  bool swapped;
  bool givesWay;
};

}  // namespace

TEST_F(WallpaperIdle, GivesWayOnlyUnderThePowerRuleAndOnlyOncePerLoadingPicture) {
  StepToTheSaver();
  // Those that change nothing first: the saver stays active through them.
  const IdleCase cases[] = {
      {false, false, PowerIndexScreenSaver, true, false},
      {true, true, PowerIndexScreenSaver, true, false},
      {true, false, PowerIndexNoPower, true, false},
      {true, false, -1, true, false},
      {true, false, PowerIndexScreenSaver, false, true},
      {true, false, PowerIndexUsePower, true, true},
  };
  for (const IdleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "running " << c.systemSaverRunning << " pending " << c.loadingPicturePending
                                    << " power " << c.powerIndex << " swapped " << c.swapped);
    ResetSaverSwapForTests();
    if (c.swapped) {
      setting.SetText(L"C:\\Kelvane\\kel.scr");
      ReplaceSystemScreenSaver();
      ASSERT_TRUE(IsSaverSwapped());
    }
    systemSaver.Set(c.systemSaverRunning);
    SetLoadingPicturePending(c.loadingPicturePending);
    CurrentPowerIndex = c.powerIndex;
    g_monitorPowerRequests = 0;
    bool wasActive = saver->IsActive();
    trace.Clear();
    DWORD start = GetTickCount();
    Step();
    DWORD took = GetTickCount() - start;

    EXPECT_EQ(PostedCloses(), c.givesWay ? 1 : 0);
    EXPECT_EQ(trace.Matching(L"pause player 1").size(), c.givesWay ? 1u : 0u);
    EXPECT_EQ(g_monitorPowerRequests, c.givesWay && c.swapped ? 1 : 0);
    if (c.givesWay) {
      EXPECT_GE(took, 900u);  // it rests before it closes
      EXPECT_TRUE(IsLoadingPicturePending());
      EXPECT_FALSE(saver->IsActive());
    } else {
      EXPECT_EQ(IsLoadingPicturePending(), c.loadingPicturePending);
      EXPECT_EQ(saver->IsActive(), wasActive);
    }
    RestoreSystemScreenSaver();
  }
}

// A saver state that was never entered does nothing at all.
TEST_F(WallpaperIdle, AStateNotYetInitialisedDoesNothing) {
  CSaverState state;
  systemSaver.Set(true);
  SetLoadingPicturePending(false);
  CurrentPowerIndex = PowerIndexScreenSaver;
  state.FrameMove(1.0, 0.066);
  EXPECT_TRUE(trace.Matching(L"idle").empty());
  EXPECT_FALSE(IsLoadingPicturePending());
}

namespace {

// A top-level window whose thread handles no messages until the test lets
// it go (or, should nothing ever let it go, for a long while).
struct HungWindow {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND window = nullptr;
  bool releasedByTheTest = false;
  ~HungWindow() {
    CloseHandle(ready);
    CloseHandle(release);
  }
};

DWORD WINAPI RunHungWindow(LPVOID parameter) {
  HungWindow* hung = static_cast<HungWindow*>(parameter);
  hung->window = CreateWindowW(L"KelwallTestMonitor", L"hung", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  SetEvent(hung->ready);
  hung->releasedByTheTest = WaitForSingleObject(hung->release, 60000) == WAIT_OBJECT_0;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  DestroyWindow(hung->window);
  return 0;
}

}  // namespace

// One window that does not answer cannot hold the wallpaper in its idle step:
// the step is over while that window still hangs.
TEST_F(WallpaperIdle, AHungWindowDoesNotHoldTheMonitorPowerRequest) {
  StepToTheSaver();
  setting.SetText(L"C:\\Kelvane\\kel.scr");
  ReplaceSystemScreenSaver();
  ASSERT_TRUE(IsSaverSwapped());
  HungWindow hung;
  HANDLE thread = CreateThread(nullptr, 0, RunHungWindow, &hung, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(hung.ready, 30000), WAIT_OBJECT_0);

  systemSaver.Set(true);
  SetLoadingPicturePending(false);
  CurrentPowerIndex = PowerIndexScreenSaver;
  Step();
  bool stillHung = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
  SetEvent(hung.release);
  EXPECT_EQ(WaitForSingleObject(thread, 90000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_TRUE(stillHung && hung.releasedByTheTest) << "the step waited for the hung window";
  EXPECT_EQ(PostedCloses(), 1);
  EXPECT_EQ(g_monitorPowerRequests, 1);  // the answering window still got it
  RestoreSystemScreenSaver();
}
