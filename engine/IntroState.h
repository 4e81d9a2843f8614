#pragma once
#include "engine/TopLevelState.h"

// "IntroState": holds for just over one second, then hands over to
// "SaverState".
class CIntroState : public CTopLevelState {
 public:
  void Init() override;
  void FrameMove(double time, double elapsed) override;
};

// The intro hold's start, taken on its first update in the process.
double GetIntroStartTime();

// Test seam: the next hold takes its start again.
void ResetIntroHoldForTests();
