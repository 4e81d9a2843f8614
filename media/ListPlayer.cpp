#include "media/ListPlayer.h"

#include "engine/Logic.h"
#include "engine/Settings.h"
#include "media/MediaKind.h"
#include "media/VlcPlayer.h"

namespace {

KEL_TamListPlayer* g_player = nullptr;

int CountKind(int kind) { return g_player && kind >= 0 && kind < 7 ? g_player->kindCounts[kind] : 0; }

void AppendMedia(const MediaEntry& entry) {
  g_player->media.push_back(entry);
  if (entry.kind >= 0 && entry.kind < 7) ++g_player->kindCounts[entry.kind];
}

}  // namespace

KEL_TamListPlayer::KEL_TamListPlayer() {
  g_player = this;
  AdvertPlaying = 0;
}

KEL_TamListPlayer::~KEL_TamListPlayer() {
  if (g_player != this) return;
  g_player = nullptr;
  // The web-media list goes with the player, so the library's list follows.
  GetVlcPlayer().ClearListLocations();
}

KEL_TamListPlayer* GetListPlayer() { return g_player; }

void ClearLists() {
  if (!g_player) return;
  g_player->media.clear();
  g_player->adverts.clear();
  g_player->pictures.clear();
  g_player->catalogNodes.clear();
  for (int& count : g_player->kindCounts) count = 0;
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

int GetAdvertCount() { return g_player ? static_cast<int>(g_player->adverts.size()) : 0; }
int GetPictureCount() { return g_player ? static_cast<int>(g_player->pictures.size()) : 0; }
int GetVideoCount() { return CountKind(MediaKindVideo); }
int GetAudioCount() { return CountKind(MediaKindAudio); }
int GetPlaylistCount() { return CountKind(MediaKindPlaylist); }
int GetWebMediaCount() { return CountKind(MediaKindWebMedia); }
int GetMediaCount() { return GetVideoCount() + GetAudioCount() + GetWebMediaCount() + GetPlaylistCount(); }

int GetCurrentMediaKind() {
  if (AdvertPlaying == 1) return MediaKindVideo;
  if (!g_player) return MediaKindNone;
  int index = CurrentMediaIndex;
  if (index < 0 || index >= static_cast<int>(g_player->media.size())) return MediaKindNone;
  return g_player->media[index].kind;
}

void GetCurrentMediaPath(std::wstring& path) {
  if (!g_player) return;
  int index = CurrentMediaIndex;
  if (index < 0 || index >= static_cast<int>(g_player->media.size())) return;
  path = g_player->media[index].path;
}

int GetWebMediaDuration() { return 7; }

int GetPairedPictureIndex() { return g_player ? g_player->pairedPictureIndex : -1; }
