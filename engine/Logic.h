#pragma once

// The thin layer between the show and the media library, and the flags by
// which the worker thread, the settings dialog and the wallpaper program's
// window thread tell each other what is pending. The operations are free
// functions; the object exists so that its life follows the worker's.
class KEL_Logic {
 public:
  KEL_Logic();
  virtual ~KEL_Logic();

  static void RequestCatalogReload();
  static void Shutdown();
  static void ShowLoadingPicture();
  static void ReloadCatalogs();
};

KEL_Logic* GetLogic();

// Process-wide flags: single bytes or words, read and written without a lock;
// the next frame sees a new value.
extern volatile unsigned char CatalogReloadRequested;
extern volatile unsigned char LoadingPicturePending;
extern volatile int DialogPlayKind;
extern volatile unsigned char AdvertPlaying;
extern volatile unsigned char ForcePictureRender;

// The frame's render gate: false leaves the window to the playback library.
bool ShouldRenderPicture();

void ApplyVisualOptionsForKind(int mediaKind);
void ApplyAdvertVisualOptions();
void SaveCurrentIndexes();

void SetCatalogReloadRequested(bool requested);
bool IsCatalogReloadRequested();
void SetDialogPlayKind(int mediaKind);
int GetDialogPlayKind();
void SetAdvertPlaying(bool playing);
bool IsLoadingPicturePending();
void SetLoadingPicturePending(bool pending);
