#pragma once

#include "engine/ShowFlags.h"

// The thin layer between the show and the media library. The operations are
// free functions; the object exists so that its life follows the worker's.
// The flags it shares with the dialog and the wallpaper program are in
// engine/ShowFlags.h, the options by media kind in media/VisualOptions.h,
// where the list player asks for them.
class KEL_Logic {
 public:
  // Also tells the media library where its pictures go: into the running
  // show's application object.
  KEL_Logic();
  virtual ~KEL_Logic();

  static void RequestCatalogReload();
  static void Shutdown();
  static void ShowLoadingPicture();
  static void ReloadCatalogs();
};

KEL_Logic* GetLogic();

// The frame's render gate: false leaves the window to the playback library.
bool ShouldRenderPicture();

void SaveCurrentIndexes();
