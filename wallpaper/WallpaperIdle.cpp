// The wallpaper gives way when the system's own screen saver starts: under a
// power index of 1 or 2 it pauses, sends the display to low power (when it
// swapped the system's saver) and closes itself.
#include <windows.h>

#include "engine/Logic.h"
#include "engine/ProgramVariant.h"
#include "engine/ScrSvrThread.h"
#include "engine/Settings.h"
#include "engine/SystemParams.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "platform/Trace.h"
#include "wallpaper/SystemSaverSwap.h"

namespace {

// Per window: a hung window is skipped at once, a slow one costs this much.
constexpr UINT kMonitorPowerTimeoutMs = 500;

bool PowerIndexGivesWay() {
  return CurrentPowerIndex == PowerIndexScreenSaver || CurrentPowerIndex == PowerIndexUsePower;
}

}  // namespace

void SaverStateFrameStep(bool& active) {
  if (!IsScreenSaverRunning() || IsLoadingPicturePending() || !PowerIndexGivesWay()) return;
  Trace(L"idle: system screen saver running");
  if (GetCurrentMediaKind() == MediaKindWebMedia)
    PauseListPlayer(true);
  else
    PausePlayer(true);
  // The stop that follows puts the loading picture up again.
  SetLoadingPicturePending(true);
  active = false;
  Sleep(1000);
  if (IsSaverSwapped()) {
    // One hung window must not hang the wallpaper.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, 1, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                        kMonitorPowerTimeoutMs, &result);
    Trace(L"idle: monitor power sent");
  }
  if (CScrSvrThread* thread = GetScrSvrThread()) PostMessageW(thread->GetWindow(), WM_CLOSE, 0, 0);
}
