#include "engine/TopLevelState.h"

#include <windows.h>

#include "engine/ScrSvrApp.h"

void CTopLevelState::Shutdown() {
  Sleep(10);
  CScrSvrState::Shutdown();
}

void CTopLevelState::Pause() {
  CScrSvrState::Pause();
  Sleep(10);
}

void CTopLevelState::FrameRender(double, double) {
  CScrSvrApp* app = GetScrSvrApp();
  if (IsActive() && app) app->DrawBackground();
}
