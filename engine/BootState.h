#pragma once
#include "engine/TopLevelState.h"

// "BootState": the first current state; hands over to "IntroState" in the
// second pass of the run loop.
class CBootState : public CTopLevelState {
 public:
  void Init() override;
  void FrameMove(double time, double elapsed) override;
};
