// Choosing, starting and controlling the list player's items.
#include <atomic>
#include <cwctype>

#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "media/PictureLoader.h"
#include "media/Randomizer.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "platform/Trace.h"

namespace {

enum Slot { SlotPictures = 0, SlotMedia = 1, SlotAdverts = 2 };

std::atomic<PictureLoader> g_pictureLoader{nullptr};

bool SameLeadingText(const std::wstring& a, const std::wstring& b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

int WithinList(int index, int count) { return index < 0 || index >= count ? 0 : index; }

// In order, or through the list's shuffled order when RandomMedia is set; an
// index outside the list starts it again.
void AdvanceIndex(int* index, int count, Slot slot) {
  if (RandomMedia) {
    Tam_Randomizer* randomizer = GetRandomizer();
    *index = randomizer ? randomizer->NextIndex(slot) : -1;
  } else {
    *index = *index + 1;
    if (*index >= count) *index = 0;
  }
  *index = WithinList(*index, count);
}

// What AdvanceIndex will give, leaving everything as it is; -1 when the
// shuffled order is at its end, where the next step shuffles it again.
int FollowingIndex(int index, int count, Slot slot) {
  if (!RandomMedia) return WithinList(index + 1 >= count ? 0 : index + 1, count);
  Tam_Randomizer* randomizer = GetRandomizer();
  const Tam_RandomOID* order = randomizer ? randomizer->Slot(slot) : nullptr;
  if (!order || order->Size() == 0) return 0;  // NextIndex gives -1 there
  if (order->Position() >= order->Size() - 1) return -1;
  return WithinList(order->GetAt(order->Position() + 1), count);
}

// Where the search for a picture from the audio item's folder stops, starting
// after `index`: at the first match, or after count + 1 steps without one.
int PairedSearch(const KEL_TamListPlayer& player, int index, bool* found) {
  std::wstring key;
  int current = CurrentMediaIndex;
  if (current >= 0 && current < static_cast<int>(player.media.size()) && player.media[current].kind == MediaKindAudio)
    key = player.media[current].parent;
  int count = static_cast<int>(player.pictures.size());
  *found = false;
  for (int step = 0; step <= count; ++step) {
    index = index + 1;
    if (index >= count || index < 0) index = 0;
    const std::wstring& parent = player.pictures[index].parent;
    if (!key.empty() && !parent.empty() && SameLeadingText(key, parent)) {
      *found = true;
      break;
    }
  }
  return index;
}

std::wstring WithBackslashes(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

// A playlist's entries are played after it (PlayNextPlaylistEntry).
bool PlayPath(const std::wstring& path, bool playlist = false) {
  CVlcPlayer& vlc = GetVlcPlayer();
  libvlc_media_t* media = vlc.NewMediaFromPath(path);
  if (!media) return false;
  return playlist ? vlc.PlayPlaylist(media) : vlc.PlayMedia(media);
}

PictureLoadResult LoadPicture(const CatalogItem& picture) {
  PictureLoader loader = g_pictureLoader.load();
  return loader ? loader(picture.path) : PictureLoadResult::NoShow;
}

}  // namespace

void SetPictureLoader(PictureLoader loader) { g_pictureLoader.store(loader); }

void InitPlayer(HWND window) {
  CVlcPlayer& vlc = GetVlcPlayer();
  vlc.OpenLibrary(KEL_TARGETDIR);
  vlc.SetOutputWindow(window);
}

void SetVideoWindow(HWND window) { GetVlcPlayer().SetOutputWindow(window); }

HWND GetPlayerWindow() { return GetVlcPlayer().GetOutputWindow(); }

void ReleasePlayer() { GetVlcPlayer().CloseLibrary(); }

// Whenever the list holds media the index moves on, also when libvlc is
// missing or refuses the item, so the show goes on; without a list player or
// media it stays. The result tells whether the item was started.
bool PlayNextMedia() {
  KEL_TamListPlayer* player = GetListPlayer();
  int count = GetMediaCount();
  if (!player || count == 0) return false;
  AdvanceIndex(&CurrentMediaIndex, count, SlotMedia);
  const MediaEntry& entry = player->media[CurrentMediaIndex];
  Trace(L"media %d kind %d: %s", CurrentMediaIndex, entry.kind, entry.path.c_str());
  ApplyVisualOptionsForKind(GetCurrentMediaKind());
  CVlcPlayer& vlc = GetVlcPlayer();
  if (entry.kind == MediaKindWebMedia) return vlc.PlayListItem(vlc.ListItemAt(entry.listIndex)) == 0;
  return PlayPath(WithBackslashes(entry.path), entry.kind == MediaKindPlaylist);
}

bool PlayNextPlaylistEntry() { return GetVlcPlayer().PlayNextPlaylistEntry(); }

bool PlayNextAdvert() {
  KEL_TamListPlayer* player = GetListPlayer();
  if (!player || player->adverts.empty()) return false;
  AdvanceIndex(&CurrentAdvertisingIndex, static_cast<int>(player->adverts.size()), SlotAdverts);
  std::wstring path = WithBackslashes(player->adverts[CurrentAdvertisingIndex].path);
  Trace(L"advert %d: %s", CurrentAdvertisingIndex, path.c_str());
  ApplyAdvertVisualOptions();
  return PlayPath(path);
}

bool LoadNextPicture() {
  KEL_TamListPlayer* player = GetListPlayer();
  if (!player || player->pictures.empty()) return false;
  int count = static_cast<int>(player->pictures.size());
  AdvanceIndex(&CurrentPictureIndex, count, SlotPictures);
  player->lastPictureWasPaired = false;
  // Without a show nothing was tried, so nothing is skipped. A failed picture
  // keeps its place too: moving on here would skip the next, good one.
  return LoadPicture(player->pictures[CurrentPictureIndex]) == PictureLoadResult::Loaded;
}

// The next picture whose folder and the audio item's folder share their
// leading part, ignoring case.
bool FindPairedPicture() {
  KEL_TamListPlayer* player = GetListPlayer();
  if (!player || player->pictures.empty()) return false;
  bool found = false;
  player->pairedPictureIndex = PairedSearch(*player, player->pairedPictureIndex, &found);
  return found;
}

bool LoadPairedPicture() {
  KEL_TamListPlayer* player = GetListPlayer();
  if (!player) return false;
  int count = static_cast<int>(player->pictures.size());
  int& paired = player->pairedPictureIndex;
  if (paired < 0 || paired >= count) return false;
  player->lastPictureWasPaired = true;
  // Only a failed load moves on; without a show nothing was tried.
  PictureLoadResult result = LoadPicture(player->pictures[paired]);
  if (result != PictureLoadResult::Failed) return result == PictureLoadResult::Loaded;
  paired = paired + 1;
  if (paired >= count || paired < 0) paired = 0;
  return false;
}

// The paired road searches again from the last paired picture before it
// loads, whether or not the search finds one.
bool NextPicturePath(std::wstring* path) {
  KEL_TamListPlayer* player = GetListPlayer();
  if (!player || player->pictures.empty()) return false;
  int count = static_cast<int>(player->pictures.size());
  int index = -1;
  if (player->lastPictureWasPaired) {
    bool found = false;
    index = PairedSearch(*player, player->pairedPictureIndex, &found);
  } else {
    index = FollowingIndex(CurrentPictureIndex, count, SlotPictures);
  }
  if (index < 0 || index >= count) return false;
  *path = player->pictures[index].path;
  return true;
}

// The path goes to libvlc as given.
bool PlayFile(const std::wstring& path) { return PlayPath(path); }

bool StopPlayer() { return GetVlcPlayer().MediaPlayerStop(); }

bool StopListPlayer() { return GetVlcPlayer().ListPlayerStop(); }

bool PausePlayer(bool pause) {
  Trace(L"pause player %d", pause ? 1 : 0);
  return GetVlcPlayer().MediaPlayerPause(pause);
}

bool PauseListPlayer(bool pause) {
  Trace(L"pause list player %d", pause ? 1 : 0);
  return GetVlcPlayer().ListPlayerPause(pause);
}

int GetPlayerState() {
  CVlcPlayer& vlc = GetVlcPlayer();
  return GetCurrentMediaKind() == MediaKindWebMedia ? vlc.ListPlayerState() : vlc.MediaPlayerState();
}
