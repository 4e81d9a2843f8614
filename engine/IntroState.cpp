#include "engine/IntroState.h"

#include "engine/FrameRest.h"
#include "engine/Logic.h"
#include "engine/ScrSvrMachine.h"
#include "platform/HighResTimer.h"

namespace {

bool g_introStarted = false;
double g_introStartTime = 0.0;

// Holds "INTRO_ACT_SPLASH_1" until more than one second has passed since the
// first hold of the process.
int IntroHold(CScrSvrMachine* owner, int) {
  if (!g_introStarted) {
    g_introStartTime = CHighResTimer::GetAbsoluteTime();
    g_introStarted = true;
  }
  double now = CHighResTimer::GetAbsoluteTime();
  if (owner && now - g_introStartTime > 1.0)
    owner->SetState(L"INTRO_ACT_OUTRO_1");
  else
    WakeFrameAfter(g_introStartTime + 1.0);
  return 0;
}

int OutroExit(CScrSvrMachine*, int) {
  ForcePictureRender = 0;
  return 0;
}

}  // namespace

double GetIntroStartTime() { return g_introStartTime; }

void ResetIntroHoldForTests() {
  g_introStarted = false;
  g_introStartTime = 0.0;
}

void CIntroState::Init() {
  CScrSvrState::Init();
  if (CScrSvrState* splash = AddNewAction(L"INTRO_ACT_SPLASH_1")) {
    splash->AddTransition(L"INTRO_ACT_OUTRO_1");
    splash->SetCallbacks(ReturnZero, IntroHold, ReturnZero);
  }
  if (CScrSvrState* outro = AddNewAction(L"INTRO_ACT_OUTRO_1")) outro->SetCallbacks(ReturnZero, ReturnZero, OutroExit);
  if (GetChildMachine()) GetChildMachine()->SetState(L"INTRO_ACT_SPLASH_1");
  initialised_ = true;
}

void CIntroState::FrameMove(double, double) {
  if (IsInitialised() && IsCurrentAction(L"INTRO_ACT_OUTRO_1")) RequestTopState(L"SaverState");
}
