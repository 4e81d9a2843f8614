#include "engine/BootState.h"

#include "engine/ScrSvrMachine.h"

namespace {

int SplashUpdate(CScrSvrMachine* owner, int) {
  if (owner) owner->SetState(L"BOOT_ACT_OUTROEXIT");
  return 0;
}

}  // namespace

void CBootState::Init() {
  CScrSvrState::Init();
  CScrSvrState* splash = AddNewAction(L"BOOT_ACT_SPLASH");
  if (splash) splash->AddTransition(L"BOOT_ACT_OUTROEXIT");
  SetCallbacks(ReturnZero, ReturnZero, ReturnZero);
  if (splash) splash->SetCallbacks(ReturnZero, SplashUpdate, ReturnZero);
  AddNewAction(L"BOOT_ACT_OUTROEXIT");
  if (GetChildMachine()) GetChildMachine()->SetState(L"BOOT_ACT_SPLASH");
}

void CBootState::FrameMove(double, double) {
  if (IsInitialised() && IsCurrentAction(L"BOOT_ACT_OUTROEXIT")) RequestTopState(L"IntroState");
}
