// The wallpaper program's side of the program variant hooks.
#include "engine/ProgramVariant.h"

#include "engine/Logic.h"
#include "engine/ScrSvrThread.h"
#include "media/ListPlayer.h"
#include "platform/Trace.h"
#include "wallpaper/WallpaperWindow.h"

bool IsWallpaperProgram() { return true; }

// The wallpaper counts itself once: any second process of either program
// blocks it.
bool IsAnotherInstanceByRule(int matches, bool) { return matches > 1; }

// The wallpaper's dialog plays items of its own while the show runs.
bool DialogCanPlayDuringShow() { return true; }

// The control window's "State" menu is not offered in the wallpaper; its
// command still works when sent.
void PrepareShowWindow(HWND window) {
  // No redraw: the window is never shown, and a redraw would be a message
  // sent to the window thread from this one.
  if (HMENU menu = GetMenu(window)) RemoveMenu(menu, 1, MF_BYPOSITION);
}

// The control window is hidden: the pictures go behind the desktop icons
// when the shell has a place for them there.
HWND ShowVideoWindow(HWND showWindow) {
  HWND wallpaper = GetWallpaperWindow();
  return wallpaper && IsWindow(wallpaper) ? wallpaper : showWindow;
}

// A second instance has left the shell alone at the program's start; the
// check that decides is the show's own, so it goes there now if that check
// lets it run (the other one ended meanwhile).
void PlaceShowWindow() {
  CWallpaperWindow* wallpaper = GetWallpaper();
  if (wallpaper && !wallpaper->IsWantedInShell()) wallpaper->PutIntoShell();
}

namespace {
// libvlc's opening, buffering, playing and paused: an item is on the screen.
bool IsItemShowing(int state) { return state >= 1 && state <= 4; }
}  // namespace

void FollowShowPlayback(HWND showWindow) {
  HWND wanted = ShowVideoWindow(showWindow);
  if (GetPlayerWindow() != wanted) SetVideoWindow(wanted);
  if (CWallpaperWindow* wallpaper = GetWallpaper()) wallpaper->NotePlayback(IsItemShowing(GetPlayerState()));
}

// A wallpaper that closes because another one runs leaves that one's picture
// alone.
void OnShowStopRequested() {
  if (WasScrSvrSecondInstanceFound()) return;
  Trace(L"stop: loading picture");
  KEL_Logic::ShowLoadingPicture();
  Trace(L"stop: loading picture up");
}
