#include "ShowFixture.h"

#include "engine/IntroState.h"
#include "platform/HighResTimer.h"

HWND CreateShowWindow(int width, int height) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KelTestShowWindow";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassW(&wc);
    registered = true;
  }
  return CreateWindowExW(0, L"KelTestShowWindow", L"show", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

// One window serves every show of the test program: destroying a window
// that carried a device costs Wine seconds.
void ShowFixture::SetUp() {
  ResetIntroHoldForTests();
  static HWND shared = CreateShowWindow();
  window = shared;
  ASSERT_NE(window, nullptr);
}

void ShowFixture::TearDown() { Destroy(); }

void ShowFixture::Build() { thread.reset(new CScrSvrThread(window)); }

void ShowFixture::Destroy() { thread.reset(); }

void ShowFixture::Step(double seconds) {
  clock.Advance(seconds);
  CScrSvrApp* app = GetScrSvrApp();
  ASSERT_NE(app, nullptr);
  app->FrameMove(CHighResTimer::GetTime(), CHighResTimer::GetElapsedTime());
  if (CScrSvrDevice* device = GetScrSvrDevice()) device->RenderFrame();
}

std::wstring ShowFixture::CurrentState() {
  CScrSvrApp* app = GetScrSvrApp();
  CScrSvrState* state = app ? app->GetMachine()->GetCurrentState() : nullptr;
  return state ? state->Name() : L"";
}

std::wstring ShowFixture::CurrentAction() {
  CScrSvrApp* app = GetScrSvrApp();
  CScrSvrState* state = app ? app->GetMachine()->GetCurrentState() : nullptr;
  CScrSvrState* action = state ? state->GetCurrentAction() : nullptr;
  return action ? action->Name() : L"";
}
