#include "wallpaper/WallpaperHost.h"

const wchar_t* const kProgmanClass = L"Progman";

namespace {

const wchar_t kWorkerWClass[] = L"WorkerW";
const wchar_t kIconsClass[] = L"SHELLDLL_DefView";

// Top-level windows come top to bottom: the first holding the icons.
BOOL CALLBACK FindIconsHolder(HWND window, LPARAM holder) {
  if (!FindWindowExW(window, nullptr, kIconsClass, nullptr)) return TRUE;
  *reinterpret_cast<HWND*>(holder) = window;
  return FALSE;
}

}  // namespace

bool FindWallpaperHost(WallpaperHost* host) {
  *host = WallpaperHost();
  HWND progman = FindWindowW(kProgmanClass, nullptr);
  if (!progman) return false;
  // A shell that does not answer in time is not one to put a window into:
  // ours would share its input queue.
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(progman, kMakeWorkerWMessage, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kProgmanTimeoutMs,
                           &answer))
    return false;
  HWND holder = nullptr;
  EnumWindows(FindIconsHolder, reinterpret_cast<LPARAM>(&holder));
  if (!holder) return false;
  if (holder == progman) {
    HWND worker = FindWindowExW(progman, nullptr, kWorkerWClass, nullptr);
    if (!worker) return false;
    host->parent = progman;
    host->insertAfter = FindWindowExW(progman, nullptr, kIconsClass, nullptr);
    host->layered = true;
    return true;
  }
  HWND worker = FindWindowExW(nullptr, holder, kWorkerWClass, nullptr);
  if (!worker) return false;
  host->parent = worker;
  return true;
}

// No RDW_UPDATENOW: that would wait for the shell's thread to paint.
void RepaintDesktop(HWND host) {
  if (host) RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
