#include "media/ListPlayer.h"

#include <utility>

#include "engine/Settings.h"
#include "engine/ShowFlags.h"
#include "media/MediaKind.h"
#include "media/VlcPlayer.h"
#include "platform/Scoped.h"

namespace {

KEL_TamListPlayer* g_player = nullptr;

// The window thread asks for the current kind and path on power events while
// the worker may be refilling the media list or ending the show. The worker
// is the only writer: it takes the lock for writing around changes to the
// media list and to g_player, and reads its own lists without it.
SRWLOCK g_listLock = SRWLOCK_INIT;

bool IsCountedKind(int kind) { return kind >= 0 && kind < 7; }

int CountKind(int kind) { return g_player && IsCountedKind(kind) ? g_player->kindCounts[kind] : 0; }

// The strings are built before the lock is taken, so a reader waits for no
// more than the append itself.
void AppendMedia(MediaEntry&& entry) {
  int kind = entry.kind;
  SrwExclusive changing(g_listLock);
  g_player->media.push_back(std::move(entry));
  if (IsCountedKind(kind)) ++g_player->kindCounts[kind];
}

template <typename Entry>
int FindPath(const std::vector<Entry>& list, const std::wstring& path) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].path == path) return static_cast<int>(i);
  return -1;
}

template <typename Entry>
bool EraseFirstWithPath(std::vector<Entry>& list, const std::wstring& path) {
  int index = FindPath(list, path);
  if (index < 0) return false;
  list.erase(list.begin() + index);
  return true;
}

}  // namespace

KEL_TamListPlayer::KEL_TamListPlayer() {
  {
    SrwExclusive changing(g_listLock);
    g_player = this;
  }
  AdvertPlaying = 0;
}

// Once g_player is null no reader reaches the lists, which go after this body.
KEL_TamListPlayer::~KEL_TamListPlayer() {
  {
    SrwExclusive changing(g_listLock);
    if (g_player != this) return;
    g_player = nullptr;
  }
  // The web-media list goes with the player, so the library's list follows.
  GetVlcPlayer().ClearListLocations();
}

KEL_TamListPlayer* GetListPlayer() { return g_player; }

void ClearLists() {
  if (!g_player) return;
  // Freed after the lock is let go: a 100,000-entry list takes a while.
  std::vector<MediaEntry> oldMedia;
  {
    SrwExclusive changing(g_listLock);
    oldMedia.swap(g_player->media);
    for (int& count : g_player->kindCounts) count = 0;
  }
  g_player->adverts.clear();
  g_player->pictures.clear();
  g_player->catalogNodes.clear();
  // The library's media list must follow the web-media list, which is empty now.
  GetVlcPlayer().ClearListLocations();
}

bool AddMedia(const std::wstring& path, const std::wstring& parent, int kind) {
  if (!g_player) return false;
  AppendMedia(MediaEntry{path, parent, kind, -1});
  return true;
}

bool AddWebMedia(const std::wstring& url, const std::wstring& parent, int kind) {
  if (!g_player) return false;
  int index = GetWebMediaCount();
  AppendMedia(MediaEntry{url, parent, kind, index});
  GetVlcPlayer().AddListLocation(url);
  return true;
}

bool AddAdvert(const std::wstring& path, const std::wstring& parent, int kind) {
  if (!g_player) return false;
  g_player->adverts.push_back(MediaEntry{KEL_TARGETDIR + path, parent, kind, -1});
  return true;
}

bool AddPicture(const std::wstring& name, const std::wstring& path, const std::wstring& parent, int kind) {
  if (!g_player) return false;
  g_player->pictures.push_back(CatalogItem{name, path, parent, kind});
  return true;
}

bool AddCatalogNode(const std::wstring& path, const std::wstring& parent) {
  if (!g_player) return false;
  g_player->catalogNodes.push_back(MediaEntry{path, parent, -1, -1});
  return true;
}

bool RemoveAdvert(const std::wstring& path) { return g_player && EraseFirstWithPath(g_player->adverts, path); }

bool RemovePicture(const std::wstring& path) { return g_player && EraseFirstWithPath(g_player->pictures, path); }

bool RemoveCatalogNode(const std::wstring& path) {
  return g_player && EraseFirstWithPath(g_player->catalogNodes, path);
}

// A web entry's list index is its place among the web entries, so the later
// ones move down one place and the library's list loses that location too.
int RemoveMediaIndex(const std::wstring& path) {
  if (!g_player) return -1;
  int index = FindPath(g_player->media, path);
  if (index < 0) return -1;
  MediaEntry removed;
  {
    SrwExclusive changing(g_listLock);
    std::vector<MediaEntry>& media = g_player->media;
    removed = std::move(media[index]);
    media.erase(media.begin() + index);
    if (IsCountedKind(removed.kind)) --g_player->kindCounts[removed.kind];
    if (removed.kind == MediaKindWebMedia)
      for (size_t i = index; i < media.size(); ++i)
        if (media[i].kind == MediaKindWebMedia && media[i].listIndex > removed.listIndex) --media[i].listIndex;
  }
  if (removed.kind == MediaKindWebMedia) GetVlcPlayer().RemoveListLocation(removed.listIndex);
  return index;
}

bool RemoveMedia(const std::wstring& path) { return RemoveMediaIndex(path) >= 0; }

bool RemoveMediaAlways(const std::wstring& path) {
  RemoveMediaIndex(path);
  return true;
}

int GetAdvertCount() { return g_player ? static_cast<int>(g_player->adverts.size()) : 0; }
int GetPictureCount() { return g_player ? static_cast<int>(g_player->pictures.size()) : 0; }
int GetVideoCount() { return CountKind(MediaKindVideo); }
int GetAudioCount() { return CountKind(MediaKindAudio); }
int GetPlaylistCount() { return CountKind(MediaKindPlaylist); }
int GetWebMediaCount() { return CountKind(MediaKindWebMedia); }
int GetMediaCount() { return GetVideoCount() + GetAudioCount() + GetWebMediaCount() + GetPlaylistCount(); }

int GetCurrentMediaKind() {
  if (AdvertPlaying == 1) return MediaKindVideo;
  SrwShared reading(g_listLock);
  if (!g_player) return MediaKindNone;
  int index = CurrentMediaIndex;
  if (index < 0 || index >= static_cast<int>(g_player->media.size())) return MediaKindNone;
  return g_player->media[index].kind;
}

void GetCurrentMediaPath(std::wstring& path) {
  SrwShared reading(g_listLock);
  if (!g_player) return;
  int index = CurrentMediaIndex;
  if (index < 0 || index >= static_cast<int>(g_player->media.size())) return;
  path = g_player->media[index].path;
}

// Only a web entry is in the library's media list, at its own list index
// rather than at CurrentMediaIndex.
bool IsCurrentListItemPlaying() {
  int listIndex = -1;
  {
    SrwShared reading(g_listLock);
    if (!g_player) return false;
    int index = CurrentMediaIndex;
    if (index < 0 || index >= static_cast<int>(g_player->media.size())) return false;
    const MediaEntry& entry = g_player->media[index];
    if (entry.kind != MediaKindWebMedia) return false;
    listIndex = entry.listIndex;
  }
  return GetVlcPlayer().IsListItemPlaying(listIndex);
}

int GetWebMediaDuration() { return 7; }

int GetPairedPictureIndex() { return g_player ? g_player->pairedPictureIndex : -1; }
