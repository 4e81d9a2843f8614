#include "engine/ShowFlags.h"

// The first pass of the show loads the catalogs, and the first
// KEL_Logic::ShowLoadingPicture of a run puts the loading picture up.
volatile unsigned char CatalogReloadRequested = 1;
volatile unsigned char LoadingPicturePending = 1;
volatile int DialogPlayKind = 0;
volatile unsigned char AdvertPlaying = 0;
volatile unsigned char ForcePictureRender = 0;

void SetCatalogReloadRequested(bool requested) { CatalogReloadRequested = requested ? 1 : 0; }
bool IsCatalogReloadRequested() { return CatalogReloadRequested != 0; }
void SetDialogPlayKind(int mediaKind) { DialogPlayKind = mediaKind; }
int GetDialogPlayKind() { return DialogPlayKind; }
void SetAdvertPlaying(bool playing) { AdvertPlaying = playing ? 1 : 0; }
bool IsLoadingPicturePending() { return LoadingPicturePending != 0; }
void SetLoadingPicturePending(bool pending) { LoadingPicturePending = pending ? 1 : 0; }
