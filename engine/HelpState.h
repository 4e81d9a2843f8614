#pragma once
#include "engine/TopLevelState.h"

// "HelpState": an empty state with an empty child machine; nothing switches
// to it, and it draws nothing.
class CHelpState : public CTopLevelState {
 public:
  void Init() override;
  void FrameRender(double time, double elapsed) override;
};
