#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "media/CatalogItem.h"
#include "media/MediaEntry.h"

// The process's in-memory media library: what the catalogs name, split into
// four lists. The live position in each list is a setting
// (CurrentMediaIndex, CurrentPictureIndex, CurrentAdvertisingIndex), so the
// next run continues where this one stopped.
class KEL_TamListPlayer {
 public:
  KEL_TamListPlayer();
  virtual ~KEL_TamListPlayer();

  std::vector<MediaEntry> media;         // AUDIO, PLAYLIST, VIDEO and WEBM items
  std::vector<MediaEntry> adverts;       // every item of the advertiser catalog
  std::vector<CatalogItem> pictures;     // PICTURE items
  std::vector<MediaEntry> catalogNodes;  // the catalog's top-level entries

  // Index into pictures of the picture shown with an audio item.
  int pairedPictureIndex = -1;
  // The last picture came from the audio item's folder (PairImages), so the
  // next change is expected to do the same.
  bool lastPictureWasPaired = false;

  // Media entries per MediaKind, kept as the list changes: counts are asked
  // for every added web item and every choice.
  int kindCounts[7] = {};
};

// The process's list player, or null when none was constructed.
KEL_TamListPlayer* GetListPlayer();

// Lifetime and window.
void InitPlayer(HWND window);
void SetVideoWindow(HWND window);
void ClearLists();
void ReleasePlayer();

// Filling, by the catalog loaders; each appends one record.
bool AddMedia(const std::wstring& path, const std::wstring& parent, int kind);
bool AddWebMedia(const std::wstring& url, const std::wstring& parent, int kind);
bool AddAdvert(const std::wstring& path, const std::wstring& parent, int kind);
bool AddPicture(const std::wstring& name, const std::wstring& path, const std::wstring& parent, int kind);
bool AddCatalogNode(const std::wstring& path, const std::wstring& parent);

// Removal of the first entry whose path is the given one (adverts: the full
// path under the install folder). Nothing calls these yet.
bool RemoveAdvert(const std::wstring& path);
bool RemoveMedia(const std::wstring& path);        // whether one was removed
bool RemoveMediaAlways(const std::wstring& path);  // true, removed or not
int RemoveMediaIndex(const std::wstring& path);    // its former index, or -1
bool RemovePicture(const std::wstring& path);
bool RemoveCatalogNode(const std::wstring& path);

// Counts.
int GetAdvertCount();
int GetPictureCount();
int GetVideoCount();
int GetAudioCount();
int GetPlaylistCount();
int GetWebMediaCount();
int GetMediaCount();

// Choosing and playing.
bool PlayNextMedia();
bool PlayNextAdvert();
bool LoadNextPicture();
bool FindPairedPicture();
bool LoadPairedPicture();
bool PlayFile(const std::wstring& path);
// The file the next picture change will load, by the same chooser as the last
// one, found without moving any index or shuffled order: false when there is
// none, or when a shuffled order must be drawn again first (only drawing it
// tells).
bool NextPicturePath(std::wstring* path);
// After a PLAYLIST item, or one of its entries, ended: starts its next entry
// (false when none is left).
bool PlayNextPlaylistEntry();

// Control and queries.
bool StopPlayer();
bool StopListPlayer();
bool PausePlayer(bool pause);
bool PauseListPlayer(bool pause);
int GetPlayerState();
// The window thread calls these two while the worker may be reloading the
// lists or ending the show; they are safe for that.
int GetCurrentMediaKind();
void GetCurrentMediaPath(std::wstring& path);
// The media player's output window, null without one.
HWND GetPlayerWindow();
// Whether the list player is playing the current entry: false unless that
// entry is web media.
bool IsCurrentListItemPlaying();
int GetWebMediaDuration();
int GetPairedPictureIndex();
