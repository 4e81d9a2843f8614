#include "ShowFixture.h"

#include "engine/FrameRest.h"
#include "engine/IntroState.h"

int CountBackBufferPixels(IDirect3DDevice9* device, RECT area, const std::function<bool(DWORD pixel)>& test) {
  IDirect3DSurface9* back = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return -1;
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  IDirect3DSurface9* copy = nullptr;
  int count = -1;
  if (SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                    nullptr)) &&
      SUCCEEDED(device->GetRenderTargetData(back, copy))) {
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      count = 0;
      for (LONG y = area.top; y < area.bottom && y < static_cast<LONG>(desc.Height); ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
        for (LONG x = area.left; x < area.right && x < static_cast<LONG>(desc.Width); ++x)
          if (test(row[x])) ++count;
      }
      copy->UnlockRect();
    }
  }
  if (copy) copy->Release();
  back->Release();
  return count;
}

const std::vector<double>& LongRunClockReadings() {
  static const std::vector<double> readings = {100.0, 2097152.0, 67108864.0};
  return readings;
}

std::string ClockReadingName(const testing::TestParamInfo<double>& info) {
  return "At" + std::to_string(static_cast<long long>(info.param)) + "s";
}

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
  ASSERT_NE(thread, nullptr);
  ASSERT_NE(GetScrSvrApp(), nullptr);
  lastRest = thread->RunFrame();
}

PacedRun ShowFixture::StepPacedUntil(double start, const std::function<bool()>& ended) {
  PacedRun run;
  lastRest = kFrameRestMs;
  int shortInARow = 0;
  while (clock.Now() - start < 30.0) {
    Step(lastRest / 1000.0);
    ++run.frames;
    shortInARow = lastRest <= 1 ? shortInARow + 1 : 0;
    if (shortInARow == 2) ++run.spins;
    if (ended()) {
      run.ended = clock.Now() - start;
      break;
    }
  }
  return run;
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
