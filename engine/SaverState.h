#pragma once
#include "engine/TopLevelState.h"

// "SaverState": the show itself. Its first entry builds the twenty actions of
// "SAVER_CHILD", loads the catalog's folder nodes and saves the system's
// screen-saver and power parameters; the end of the show writes them back.
class CSaverState : public CTopLevelState {
 public:
  CSaverState();
  void Init() override;
  void Shutdown() override;
  bool HandleEvent3(int a, int b, int c, int d) override;
  void FrameMove(double time, double elapsed) override;

 private:
  int reserved1_ = 0;
  int reserved2_ = 0;
};

// The saver's own data, shared by its actions. Times are seconds of the
// show's clock.
extern unsigned char PictureChangeDue;
extern double PictureStartTime;
extern double WebMediaStartTime;
extern double LastAdvertTime;
extern int AdvertInterval;
extern unsigned char AdvertsEnabled;
extern unsigned char AdvertsFirst;

// The system parameters as the saver state found them. Each is written back
// only when it could be read.
struct SavedSystemValue {
  int value = 0;
  bool valid = false;
};
struct SavedSystemParameters {
  SavedSystemValue screenSaveActive, lowPowerActive, powerOffActive;
  SavedSystemValue screenSaveTimeout, lowPowerTimeout, powerOffTimeout;
};
const SavedSystemParameters& GetSavedSystemParameters();
