#include "engine/SaverState.h"

#include <windows.h>

#include "engine/ProgramVariant.h"
#include "engine/SaverActions.h"
#include "engine/ScrSvrMachine.h"
#include "engine/SystemParams.h"
#include "media/CatalogLoader.h"
#include "platform/Trace.h"

unsigned char PictureChangeDue = 0;
double PictureStartTime = 0.0;
double WebMediaStartTime = 0.0;
double LastAdvertTime = 0.0;
int AdvertInterval = 1800;
unsigned char AdvertsEnabled = 0;
unsigned char AdvertsFirst = 1;

namespace {

SavedSystemParameters g_saved;

void SaveFlag(UINT action, SavedSystemValue* saved) {
  bool on = false;
  saved->valid = GetSystemFlagChecked(action, &on);
  saved->value = on ? 1 : 0;
}

void SaveTimeout(UINT action, SavedSystemValue* saved) {
  int value = 0;
  saved->valid = GetSystemValueChecked(action, &value);
  saved->value = value;
}

// Each write-back is traced as it happens, with what the system made of it,
// so a show that restored the wrong value (or nothing) can be seen.
void TraceRestore(const wchar_t* name, int value, bool accepted) {
  Trace(L"system parameter restored: %s %d %s", name, value, accepted ? L"accepted" : L"refused");
}

void RestoreFlag(UINT action, const wchar_t* name, const SavedSystemValue& saved) {
  if (!saved.valid) return;
  bool on = saved.value == 1;
  TraceRestore(name, on ? 1 : 0, SetSystemFlagChecked(action, on));
}

void RestoreTimeout(UINT action, const wchar_t* name, const SavedSystemValue& saved) {
  if (!saved.valid) return;
  TraceRestore(name, saved.value, SetSystemValue(action, saved.value));
}

}  // namespace

const SavedSystemParameters& GetSavedSystemParameters() { return g_saved; }

CSaverState::CSaverState() {
  PictureChangeDue = 0;
  g_saved = SavedSystemParameters();
}

void CSaverState::Init() {
  CScrSvrState::Init();
  BuildSaverActions(this);
  if (GetChildMachine()) GetChildMachine()->SetState(L"SAVER_SPLASH_1");
  LoadCatalogNodes();
  SaveFlag(SPI_GETLOWPOWERACTIVE, &g_saved.lowPowerActive);
  SaveFlag(SPI_GETPOWEROFFACTIVE, &g_saved.powerOffActive);
  SaveFlag(SPI_GETSCREENSAVEACTIVE, &g_saved.screenSaveActive);
  SaveTimeout(SPI_GETSCREENSAVETIMEOUT, &g_saved.screenSaveTimeout);
  SaveTimeout(SPI_GETLOWPOWERTIMEOUT, &g_saved.lowPowerTimeout);
  SaveTimeout(SPI_GETPOWEROFFTIMEOUT, &g_saved.powerOffTimeout);
  ShowCursor(TRUE);
}

// Values that were never read (the show ended before this state was entered,
// or the system refused the query) are left as the system has them: writing
// zeros back would switch the user's screen saver and power saving off.
void CSaverState::Shutdown() {
  RestoreFlag(SPI_SETSCREENSAVEACTIVE, L"SPI_SETSCREENSAVEACTIVE", g_saved.screenSaveActive);
  RestoreFlag(SPI_SETLOWPOWERACTIVE, L"SPI_SETLOWPOWERACTIVE", g_saved.lowPowerActive);
  RestoreFlag(SPI_SETPOWEROFFACTIVE, L"SPI_SETPOWEROFFACTIVE", g_saved.powerOffActive);
  RestoreTimeout(SPI_SETSCREENSAVETIMEOUT, L"SPI_SETSCREENSAVETIMEOUT", g_saved.screenSaveTimeout);
  RestoreTimeout(SPI_SETLOWPOWERTIMEOUT, L"SPI_SETLOWPOWERTIMEOUT", g_saved.lowPowerTimeout);
  RestoreTimeout(SPI_SETPOWEROFFTIMEOUT, L"SPI_SETPOWEROFFTIMEOUT", g_saved.powerOffTimeout);
  g_saved = SavedSystemParameters();
  Sleep(10);
  CScrSvrState::Shutdown();
}

bool CSaverState::HandleEvent3(int, int, int, int) { return true; }

void CSaverState::FrameMove(double time, double elapsed) {
  if (!IsInitialised()) return;
  SaverStateFrameStep(active_);
  OnFrame(time, elapsed);
}
