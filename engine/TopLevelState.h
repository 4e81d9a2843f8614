#pragma once
#include "engine/ScrSvrState.h"

// What the main machine's states share: a short rest when they are paused or
// shut down, and the application's background picture as their drawing.
class CTopLevelState : public CScrSvrState {
 public:
  void Shutdown() override;
  void Pause() override;
  void FrameRender(double time, double elapsed) override;
};
