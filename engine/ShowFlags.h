#pragma once

// The show's process-wide flags, by which the worker thread, the settings
// dialog, the wallpaper program's window thread and the media library tell
// each other what is pending. Single bytes or words, read and written without
// a lock; the next frame sees a new value. They sit below the media library,
// which reads AdvertPlaying, so that it needs nothing of the engine.
extern volatile unsigned char CatalogReloadRequested;
extern volatile unsigned char LoadingPicturePending;
extern volatile int DialogPlayKind;
extern volatile unsigned char AdvertPlaying;
extern volatile unsigned char ForcePictureRender;

void SetCatalogReloadRequested(bool requested);
bool IsCatalogReloadRequested();
void SetDialogPlayKind(int mediaKind);
int GetDialogPlayKind();
void SetAdvertPlaying(bool playing);
bool IsLoadingPicturePending();
void SetLoadingPicturePending(bool pending);
