#include "engine/Logic.h"

#include <windows.h>

#include "engine/Settings.h"
#include "media/CatalogLoader.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "media/VisualOptions.h"
#include "platform/Trace.h"

volatile unsigned char CatalogReloadRequested = 1;
volatile unsigned char LoadingPicturePending = 1;
volatile int DialogPlayKind = 0;
volatile unsigned char AdvertPlaying = 0;
volatile unsigned char ForcePictureRender = 0;

namespace {
KEL_Logic* g_logic = nullptr;
}

KEL_Logic::KEL_Logic() { g_logic = this; }
// A dialog that made its own logic object deletes it when it closes; the next
// dialog must not find it.
KEL_Logic::~KEL_Logic() {
  if (g_logic == this) g_logic = nullptr;
}

KEL_Logic* GetLogic() { return g_logic; }

void KEL_Logic::RequestCatalogReload() { CatalogReloadRequested = 1; }

void KEL_Logic::Shutdown() {}

bool ShouldRenderPicture() {
  if (ForcePictureRender == 1) return true;
  int kind = GetCurrentMediaKind();
  if (kind == MediaKindVideo || kind == MediaKindWebMedia) return false;
  if (GetPictureCount() == 0) return false;
  return CurrentVisualIndex == VisualModeLocalImage || CurrentVisualIndex == VisualModeWebImage;
}

void ApplyVisualOptionsForKind(int mediaKind) {
  if (mediaKind == MediaKindVideo)
    ApplyVisualOptions(VisualModeNone);
  else if (mediaKind == MediaKindWebMedia)
    ApplyVisualOptions(VisualModeWebMedia);
  else
    ApplyVisualOptions(static_cast<VisualMode>(CurrentVisualIndex));
}

void ApplyAdvertVisualOptions() { ApplyVisualOptions(VisualModeNone); }

void SaveCurrentIndexes() {
  WriteCurrentIndexes();
  Trace(L"indexes saved: media %d, picture %d", CurrentMediaIndex, CurrentPictureIndex);
}

void KEL_Logic::ShowLoadingPicture() {
  if (LoadingPicturePending == 0) return;
  ApplyVisualOptions(VisualModeLoadingPicture);
  std::wstring path = KEL_TARGETDIR + L"kelconfig\\Backgrnds\\KEL_Loading.png";
  if (GetCurrentMediaKind() == MediaKindWebMedia)
    StopListPlayer();
  else
    StopPlayer();
  Sleep(100);
  PlayFile(path);
  Sleep(500);
  LoadingPicturePending = 0;
}

void KEL_Logic::ReloadCatalogs() {
  ClearLists();
  LoadMediaCatalog();
  LoadAdvertCatalog();
  CatalogReloadRequested = 0;
}

void SetCatalogReloadRequested(bool requested) { CatalogReloadRequested = requested ? 1 : 0; }
bool IsCatalogReloadRequested() { return CatalogReloadRequested != 0; }
void SetDialogPlayKind(int mediaKind) { DialogPlayKind = mediaKind; }
int GetDialogPlayKind() { return DialogPlayKind; }
void SetAdvertPlaying(bool playing) { AdvertPlaying = playing ? 1 : 0; }
bool IsLoadingPicturePending() { return LoadingPicturePending != 0; }
void SetLoadingPicturePending(bool pending) { LoadingPicturePending = pending ? 1 : 0; }
