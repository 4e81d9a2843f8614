#include "engine/HelpState.h"

void CHelpState::Init() {
  CScrSvrState::Init();
  initialised_ = true;
}

void CHelpState::FrameRender(double, double) {}
