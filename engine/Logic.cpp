#include "engine/Logic.h"

#include <windows.h>

#include "engine/ScrSvrApp.h"
#include "engine/Settings.h"
#include "media/CatalogLoader.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "media/PictureLoader.h"
#include "media/VisualOptions.h"
#include "platform/Trace.h"

namespace {

KEL_Logic* g_logic = nullptr;

PictureLoadResult LoadShowPicture(const std::wstring& path) {
  CScrSvrApp* app = GetScrSvrApp();
  if (!app) return PictureLoadResult::NoShow;
  app->ReleaseTexture();
  return app->LoadTexture(path) ? PictureLoadResult::Loaded : PictureLoadResult::Failed;
}

}  // namespace

// The worker makes its logic object before anything loads a picture; the
// loader asks for the application object at each load, so it can stay.
KEL_Logic::KEL_Logic() {
  g_logic = this;
  SetPictureLoader(&LoadShowPicture);
}

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
