// The screen saver's window procedure: starts the show's worker when the
// saver window is created and stops it, waiting, when the window goes.
#include "platform/ScreenSaverLibrary.h"

#include "engine/ScrSvrDevice.h"
#include "engine/ScrSvrThread.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "platform/Rest.h"
#include "platform/Trace.h"

namespace {

// Stopped, and waited for, when the window goes.
CScrSvrWorker g_worker;

// Runs on the window thread while the worker may be using the player.
void PausePlayback() {
  if (GetCurrentMediaKind() == MediaKindWebMedia)
    PauseListPlayer(true);
  else
    PausePlayer(true);
}

}  // namespace

LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_worker.Start(window);
      return 0;

    case WM_DESTROY: {
      // The screen-saver library has already posted the quit message. A worker
      // still building or ending its show is waited for too, so the process
      // never ends under it.
      bool showRunning = GetScrSvrThread() != nullptr;
      if (g_worker.IsStarted()) {
        g_worker.Stop();
        Trace(L"worker stopped");
      }
      if (showRunning) return 0;
      break;
    }

    case WM_CLOSE:
      // Not even the default procedure: it would destroy the window again.
      if (g_worker.IsStopping()) return 0;
      DestroyWindow(window);
      break;

    case WM_SYSCOMMAND:
      if (wParam == SC_CLOSE) {
        PostMessageW(window, WM_CLOSE, 0, 0);
      } else if (wParam == SC_MONITORPOWER && lParam != -1 && !g_worker.IsStopping()) {
        PausePlayback();
        Rest(500);
      }
      break;

    case WM_POWERBROADCAST:
      if (g_worker.IsStopping()) break;
      PausePlayback();
      Rest(500);
      SendMessageW(window, WM_CLOSE, 0, 0);
      break;

    case WM_PAINT: {
      // The default painting erases the window; the show's next frame puts
      // its picture back.
      LRESULT result = DefScreenSaverProc(window, message, wParam, lParam);
      ShowWindowPainted();
      return result;
    }
  }
  return DefScreenSaverProc(window, message, wParam, lParam);
}
