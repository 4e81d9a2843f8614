#include "media/VlcPlayer.h"

#include "media/VlcInstanceOptions.h"
#include "media/VlcLibrary.h"
#include "platform/Scoped.h"
#include "platform/Trace.h"
#include "platform/WideText.h"

namespace {

// libvlc_Error: what the show sees for an item that cannot play.
constexpr int kStateError = 7;

// Where and how long the title shows: libvlc's own defaults for its
// "video-title-position" and "video-title-timeout".
constexpr libvlc_position_t kTitlePosition = libvlc_position_bottom;
constexpr unsigned kTitleMilliseconds = 5000;

// The output window's thread answers sent messages while it waits for the
// lock: libvlc may be closing a video window inside that window meanwhile.
LockWait LockWaitOn(const std::atomic<DWORD>& windowThread) {
  return windowThread.load() == GetCurrentThreadId() ? LockWait::AnsweringSentMessages : LockWait::Plain;
}

}  // namespace

class CVlcPlayer::SharedUse : public SrwShared {
 public:
  explicit SharedUse(CVlcPlayer* player) : SrwShared(player->lock_, LockWaitOn(player->windowThread_)) {}
};

class CVlcPlayer::ExclusiveUse : public SrwExclusive {
 public:
  explicit ExclusiveUse(CVlcPlayer* player) : SrwExclusive(player->lock_, LockWaitOn(player->windowThread_)) {}
};

CVlcPlayer& GetVlcPlayer() {
  static CVlcPlayer player;
  return player;
}

CVlcPlayer::CVlcPlayer() : optionSlots_(kMaxOptions) {}

// The start-up argument is deliberately one string: libvlc takes everything
// after "-I" as that option's value, so its own default audio and video
// outputs stay in force. libvlc 3 finds its plug-ins in the "plugins" folder
// beside libvlc.dll whatever the text says.
bool CVlcPlayer::OpenLibrary(const std::wstring& pluginBaseFolder) {
  ExclusiveUse use(this);
  optionCount_ = 0;
  for (std::string& slot : optionSlots_) slot.clear();
  if (instance_) return true;
  api_ = LoadVlcApi(pluginBaseFolder);
  if (!api_) return false;
  startArgument_ = "-I--aout=dummy--vout=dummy--plugin-path=" + WideToUtf8(pluginBaseFolder) + "plugins";
  if (!StartInstanceLocked({})) {
    Trace(L"libvlc: libvlc_new failed, no media playback");
    return false;
  }
  return true;
}

// The instance options follow the start-up argument, each as an argument
// of its own.
bool CVlcPlayer::StartInstanceLocked(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv = {startArgument_.c_str()};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  libvlc_instance_t* instance = api_->libvlc_new(static_cast<int>(argv.size()), argv.data());
  if (!instance) return false;
  instance_ = instance;
  arguments_ = arguments;
  currentListGeneration_ = listGeneration_;
  CreatePlayersLocked();
  if (!mediaPlayer_ || !listPlayer_ || !mediaList_) Trace(L"libvlc: a player could not be created");
  return true;
}

CVlcPlayer::KeptInstance CVlcPlayer::TakePlayersLocked() {
  KeptInstance kept;
  kept.mediaPlayer = mediaPlayer_;
  kept.listPlayer = listPlayer_;
  kept.mediaList = mediaList_;
  kept.idleList = idleList_;
  kept.titleShown = titleShown_;
  mediaPlayer_ = nullptr;
  listPlayer_ = nullptr;
  mediaList_ = nullptr;
  idleList_ = nullptr;
  return kept;
}

CVlcPlayer::KeptInstance CVlcPlayer::TakeCurrentLocked() {
  KeptInstance kept = TakePlayersLocked();
  kept.arguments = arguments_;
  kept.instance = instance_;
  kept.listGeneration = currentListGeneration_;
  instance_ = nullptr;
  arguments_.clear();
  return kept;
}

void CVlcPlayer::PutCurrentLocked(const KeptInstance& kept) {
  arguments_ = kept.arguments;
  instance_ = kept.instance;
  mediaPlayer_ = kept.mediaPlayer;
  listPlayer_ = kept.listPlayer;
  mediaList_ = kept.mediaList;
  idleList_ = kept.idleList;
  currentListGeneration_ = kept.listGeneration;
  titleShown_ = kept.titleShown;
}

// The one place that lets go of libvlc's instances, players and lists:
// both players stopped before anything goes, the instance last.
void CVlcPlayer::ReleaseKeptLocked(KeptInstance& kept) {
  if (kept.listPlayer) api_->libvlc_media_list_player_stop(kept.listPlayer);
  if (kept.mediaPlayer) api_->libvlc_media_player_stop(kept.mediaPlayer);
  if (kept.mediaList) api_->libvlc_media_list_release(kept.mediaList);
  if (kept.idleList) api_->libvlc_media_list_release(kept.idleList);
  if (kept.listPlayer) api_->libvlc_media_list_player_release(kept.listPlayer);
  if (kept.mediaPlayer) api_->libvlc_media_player_release(kept.mediaPlayer);
  if (kept.instance) api_->libvlc_release(kept.instance);
  kept = KeptInstance();
}

// Brings the instance of the option table's instance options into use,
// keeping the one in use for later. Only one item plays at a time, so the
// players left are stopped. When a new instance will not start, the one in
// use stays: the item plays without what those options would have given.
void CVlcPlayer::UseInstanceForOptionsLocked() {
  if (!instance_) return;
  std::vector<std::string> wanted =
      InstanceArgumentsFor(std::vector<std::string>(optionSlots_.begin(), optionSlots_.begin() + optionCount_));
  if (wanted == arguments_) return;
  EndPlaylistLocked();
  if (listPlayer_) api_->libvlc_media_list_player_stop(listPlayer_);
  if (mediaPlayer_) api_->libvlc_media_player_stop(mediaPlayer_);
  KeptInstance left = TakeCurrentLocked();
  bool found = false;
  for (size_t i = 0; i < kept_.size(); ++i) {
    if (kept_[i].arguments != wanted) continue;
    PutCurrentLocked(kept_[i]);
    kept_.erase(kept_.begin() + i);
    found = true;
    break;
  }
  if (!found) {
    if (static_cast<int>(kept_.size()) >= kMaxInstances - 1) {
      ReleaseKeptLocked(kept_.front());
      kept_.erase(kept_.begin());
    }
    if (!StartInstanceLocked(wanted)) {
      Trace(L"libvlc: libvlc_new failed for the item's options, the instance in use plays it");
      PutCurrentLocked(left);
      return;
    }
  }
  kept_.push_back(left);
  // A kept instance may have missed changes of the locations and the window
  // (a new one was made with both).
  if (found) {
    if (currentListGeneration_ != listGeneration_) ReplaceMediaListLocked();
    BindWindowLocked();
  }
  if (mediaPlayer_) api_->libvlc_audio_set_mute(mediaPlayer_, mute_ ? 1 : 0);
}

void CVlcPlayer::CreatePlayersLocked() {
  mediaPlayer_ = api_->libvlc_media_player_new(instance_);
  listPlayer_ = api_->libvlc_media_list_player_new(instance_);
  mediaList_ = api_->libvlc_media_list_new(instance_);
  idleList_ = api_->libvlc_media_list_new(instance_);
  titleShown_ = false;
  // Mouse movement and keys must reach the saver window, which ends the show.
  if (mediaPlayer_) {
    api_->libvlc_video_set_mouse_input(mediaPlayer_, 0);
    api_->libvlc_video_set_key_input(mediaPlayer_, 0);
  }
  FillMediaListLocked();
  if (listPlayer_ && mediaList_) api_->libvlc_media_list_player_set_media_list(listPlayer_, mediaList_);
  BindWindowLocked();
}

bool CVlcPlayer::CloseLibrary() {
  ExclusiveUse use(this);
  if (!api_) return true;
  EndPlaylistLocked();
  KeptInstance current = TakeCurrentLocked();
  ReleaseKeptLocked(current);
  for (KeptInstance& kept : kept_) ReleaseKeptLocked(kept);
  kept_.clear();
  return true;
}

bool CVlcPlayer::IsOpen() {
  SharedUse use(this);
  return instance_ != nullptr;
}

void CVlcPlayer::AddOptionsLocked(libvlc_media_t* media) {
  for (int i = 0; i < optionCount_; ++i) api_->libvlc_media_add_option(media, optionSlots_[i].c_str());
}

libvlc_media_t* CVlcPlayer::NewMediaFromPath(const std::wstring& path) {
  ExclusiveUse use(this);
  UseInstanceForOptionsLocked();
  if (!instance_) return nullptr;
  ShowTitleLocked();
  libvlc_media_t* media = api_->libvlc_media_new_path(instance_, WideToUtf8(path).c_str());
  if (media) AddOptionsLocked(media);
  return media;
}

// The list holds its own reference to each media; ours goes at once.
bool CVlcPlayer::AppendLocationLocked(const std::string& location) {
  libvlc_media_t* media = api_->libvlc_media_new_location(instance_, location.c_str());
  if (!media) return false;
  api_->libvlc_media_list_lock(mediaList_);
  int result = api_->libvlc_media_list_add_media(mediaList_, media);
  api_->libvlc_media_list_unlock(mediaList_);
  api_->libvlc_media_release(media);
  return result == 0;
}

void CVlcPlayer::FillMediaListLocked() {
  if (!instance_ || !mediaList_) return;
  for (const std::string& location : locations_)
    if (!AppendLocationLocked(location)) Trace(L"libvlc: location not added: %s", Utf8ToWide(location).c_str());
}

bool CVlcPlayer::AddListLocation(const std::wstring& location) {
  ExclusiveUse use(this);
  locations_.push_back(WideToUtf8(location));
  currentListGeneration_ = ++listGeneration_;
  if (!instance_ || !mediaList_) return false;
  if (AppendLocationLocked(locations_.back())) return true;
  Trace(L"libvlc: location not added: %s", location.c_str());
  return false;
}

// A fresh list rather than removing items one by one: the list player may
// still be playing one of the old items, and keeps its own reference to the
// old list until it is given the new one.
void CVlcPlayer::ReplaceMediaListLocked() {
  currentListGeneration_ = listGeneration_;
  if (!instance_ || !mediaList_) return;
  KeptInstance old;
  old.mediaList = mediaList_;
  ReleaseKeptLocked(old);
  mediaList_ = api_->libvlc_media_list_new(instance_);
  FillMediaListLocked();
  if (listPlayer_ && mediaList_) api_->libvlc_media_list_player_set_media_list(listPlayer_, mediaList_);
}

void CVlcPlayer::ClearListLocations() {
  ExclusiveUse use(this);
  locations_.clear();
  ++listGeneration_;
  ReplaceMediaListLocked();
}

// Rebuilt from the stored locations for the same reason; removals are rare.
bool CVlcPlayer::RemoveListLocation(int index) {
  ExclusiveUse use(this);
  if (index < 0 || index >= static_cast<int>(locations_.size())) return false;
  locations_.erase(locations_.begin() + index);
  ++listGeneration_;
  ReplaceMediaListLocked();
  return true;
}

int CVlcPlayer::GetListLocationCount() {
  SharedUse use(this);
  return static_cast<int>(locations_.size());
}

// The list player plays through the same media player, and when that
// player's media ends it starts the next item of its list, also after a
// media it did not start: the end of a video would bring up a web stream the
// show never chose. Holding an empty list meanwhile, it has nothing to start;
// PlayListItem gives it the web list back.
// Without an instance (libvlc_new failed) no media of ours exists, and a
// foreign one is not handed to the library either.
bool CVlcPlayer::PlayMedia(libvlc_media_t* media) { return StartMedia(media, false); }

bool CVlcPlayer::PlayPlaylist(libvlc_media_t* media) { return StartMedia(media, true); }

bool CVlcPlayer::StartMedia(libvlc_media_t* media, bool playlist) {
  if (!media) return false;
  ExclusiveUse use(this);
  if (!instance_) return false;
  EndPlaylistLocked();
  if (playlist) {
    api_->libvlc_media_retain(media);
    playlistItem_ = media;
  }
  bool started = false;
  if (listPlayer_ && idleList_) api_->libvlc_media_list_player_set_media_list(listPlayer_, idleList_);
  if (mediaPlayer_) {
    api_->libvlc_media_player_set_media(mediaPlayer_, media);
    started = api_->libvlc_media_player_play(mediaPlayer_) == 0;
  }
  api_->libvlc_media_release(media);
  return started;
}

void CVlcPlayer::EndPlaylistLocked() {
  if (playlistItem_) api_->libvlc_media_release(playlistItem_);
  playlistItem_ = nullptr;
  for (PlaylistLevel& level : playlistLevels_) api_->libvlc_media_list_release(level.entries);
  playlistLevels_.clear();
}

// The item that just ended may have been read into entries of its own (the
// playlist itself, or an entry that is a playlist): those come first. Then
// the next entry of the innermost level that has one left.
bool CVlcPlayer::PlayNextPlaylistEntry() {
  ExclusiveUse use(this);
  if (!playlistItem_) return false;
  if (playlistLevels_.size() < kMaxPlaylistDepth) {
    if (libvlc_media_list_t* entries = api_->libvlc_media_subitems(playlistItem_)) {
      api_->libvlc_media_list_lock(entries);
      int count = api_->libvlc_media_list_count(entries);
      api_->libvlc_media_list_unlock(entries);
      if (count > 0)
        playlistLevels_.push_back({entries, 0});
      else
        api_->libvlc_media_list_release(entries);
    }
  }
  api_->libvlc_media_release(playlistItem_);
  playlistItem_ = nullptr;
  while (!playlistLevels_.empty()) {
    PlaylistLevel& level = playlistLevels_.back();
    libvlc_media_t* entry = nullptr;
    api_->libvlc_media_list_lock(level.entries);
    if (level.next < api_->libvlc_media_list_count(level.entries))
      entry = api_->libvlc_media_list_item_at_index(level.entries, level.next++);
    api_->libvlc_media_list_unlock(level.entries);
    if (entry) return StartPlaylistEntryLocked(entry, level.next);
    api_->libvlc_media_list_release(level.entries);
    playlistLevels_.pop_back();
  }
  Trace(L"playlist: no entry left");
  return false;
}

// The entry is taken over. An entry that will not start still counts as
// started: it then reports its end like one that failed to open.
bool CVlcPlayer::StartPlaylistEntryLocked(libvlc_media_t* entry, int number) {
  playlistItem_ = entry;
  if (char* mrl = api_->libvlc_media_get_mrl(entry)) {
    Trace(L"playlist entry %d: %s", number, Utf8ToWide(mrl).c_str());
    api_->libvlc_free(mrl);
  }
  AddOptionsLocked(entry);
  if (!mediaPlayer_) return false;
  api_->libvlc_media_player_set_media(mediaPlayer_, entry);
  api_->libvlc_media_player_play(mediaPlayer_);
  return true;
}

libvlc_media_t* CVlcPlayer::ListItemAt(int index) {
  ExclusiveUse use(this);
  UseInstanceForOptionsLocked();
  ShowTitleLocked();
  return ItemAtLocked(index);
}

libvlc_media_t* CVlcPlayer::ItemAtLocked(int index) {
  if (!mediaList_ || index < 0) return nullptr;
  api_->libvlc_media_list_lock(mediaList_);
  libvlc_media_t* item = nullptr;
  if (index < api_->libvlc_media_list_count(mediaList_)) item = api_->libvlc_media_list_item_at_index(mediaList_, index);
  api_->libvlc_media_list_unlock(mediaList_);
  return item;
}

int CVlcPlayer::PlayListItem(libvlc_media_t* item) {
  ExclusiveUse use(this);
  if (!instance_) return -1;
  EndPlaylistLocked();
  int result = -1;
  if (listPlayer_ && mediaList_) {
    if (item) AddOptionsLocked(item);
    api_->libvlc_media_list_player_set_media_list(listPlayer_, mediaList_);
    if (item) result = api_->libvlc_media_list_player_play_item(listPlayer_, item);
  }
  if (item) api_->libvlc_media_release(item);
  return result;
}

// These two look at the list in use: they never change the instance.
unsigned CVlcPlayer::ListItemDuration(int index) {
  SharedUse use(this);
  libvlc_media_t* item = ItemAtLocked(index);
  if (!item) return 3;
  unsigned milliseconds = static_cast<unsigned>(api_->libvlc_media_get_duration(item));
  api_->libvlc_media_release(item);
  return milliseconds / 1000 + 1;
}

bool CVlcPlayer::IsListItemPlaying(int index) {
  SharedUse use(this);
  libvlc_media_t* item = ItemAtLocked(index);
  if (!item) return false;
  api_->libvlc_media_release(item);
  return listPlayer_ && api_->libvlc_media_list_player_get_state(listPlayer_) == 3;
}

// Setting the pause rather than toggling it: a second power event must not
// resume a paused item.
bool CVlcPlayer::MediaPlayerPause(bool pause) {
  SharedUse use(this);
  if (!mediaPlayer_) return false;
  if (pause)
    api_->libvlc_media_player_set_pause(mediaPlayer_, 1);
  else
    api_->libvlc_media_player_play(mediaPlayer_);
  return true;
}

bool CVlcPlayer::ListPlayerPause(bool pause) {
  SharedUse use(this);
  if (!listPlayer_) return false;
  if (pause)
    api_->libvlc_media_list_player_set_pause(listPlayer_, 1);
  else
    api_->libvlc_media_list_player_play(listPlayer_);
  return true;
}

bool CVlcPlayer::MediaPlayerStop() {
  SharedUse use(this);
  if (!mediaPlayer_) return false;
  api_->libvlc_media_player_stop(mediaPlayer_);
  return true;
}

bool CVlcPlayer::ListPlayerStop() {
  SharedUse use(this);
  if (!listPlayer_) return false;
  api_->libvlc_media_list_player_stop(listPlayer_);
  return true;
}

int CVlcPlayer::MediaPlayerState() {
  SharedUse use(this);
  if (!mediaPlayer_) return kStateError;
  return static_cast<int>(api_->libvlc_media_player_get_state(mediaPlayer_));
}

int CVlcPlayer::ListPlayerState() {
  SharedUse use(this);
  if (!listPlayer_) return kStateError;
  return static_cast<int>(api_->libvlc_media_list_player_get_state(listPlayer_));
}

bool CVlcPlayer::MediaPlayerSetPosition(float position) {
  SharedUse use(this);
  if (!mediaPlayer_) return false;
  api_->libvlc_media_player_set_position(mediaPlayer_, position);
  return true;
}

bool CVlcPlayer::MediaPlayerWillPlay() {
  SharedUse use(this);
  return mediaPlayer_ && api_->libvlc_media_player_will_play(mediaPlayer_) != 0;
}

bool CVlcPlayer::ReleaseMedia(libvlc_media_t* media) {
  if (!media) return false;
  SharedUse use(this);
  if (!instance_) return false;
  api_->libvlc_media_release(media);
  return true;
}

void CVlcPlayer::BindWindowLocked() {
  if (!mediaPlayer_) return;
  if (listPlayer_) api_->libvlc_media_list_player_set_media_player(listPlayer_, mediaPlayer_);
  if (window_) api_->libvlc_media_player_set_hwnd(mediaPlayer_, window_);
}

// The player reads its switch only when it makes a video output, and keeps
// that output from one item to the next until it is stopped: a change
// stops it first, so that the next item's output is made with the new one.
void CVlcPlayer::ShowTitleLocked() {
  if (!mediaPlayer_) return;
  bool wanted = ShowsTitle(std::vector<std::string>(optionSlots_.begin(), optionSlots_.begin() + optionCount_));
  if (wanted == titleShown_) return;
  if (listPlayer_) api_->libvlc_media_list_player_stop(listPlayer_);
  api_->libvlc_media_player_stop(mediaPlayer_);
  api_->libvlc_media_player_set_video_title_display(mediaPlayer_, wanted ? kTitlePosition : libvlc_position_disable,
                                                    kTitleMilliseconds);
  titleShown_ = wanted;
}

void CVlcPlayer::SetOutputWindow(HWND window) {
  ExclusiveUse use(this);
  window_ = window;
  windowThread_.store(window ? GetWindowThreadProcessId(window, nullptr) : 0);
  BindWindowLocked();
}

HWND CVlcPlayer::GetOutputWindow() {
  SharedUse use(this);
  if (!mediaPlayer_) return nullptr;
  return static_cast<HWND>(api_->libvlc_media_player_get_hwnd(mediaPlayer_));
}

void CVlcPlayer::SetMute(bool mute) {
  ExclusiveUse use(this);
  mute_ = mute;
  if (mediaPlayer_) api_->libvlc_audio_set_mute(mediaPlayer_, mute ? 1 : 0);
}

// Goom needs players created after its options were set. The new ones get
// the stored list locations, the list attached and the output window at
// once, so web media stay playable and the next item shows in the window.
void CVlcPlayer::RecreatePlayers() {
  ExclusiveUse use(this);
  if (!instance_) return;
  EndPlaylistLocked();
  KeptInstance old = TakePlayersLocked();  // the instance stays in use
  ReleaseKeptLocked(old);
  CreatePlayersLocked();
}

bool CVlcPlayer::AddOption(const std::string& option) {
  ExclusiveUse use(this);
  if (optionCount_ >= kMaxOptions) {
    Trace(L"option table full, dropped: %s", Utf8ToWide(option).c_str());
    return false;
  }
  optionSlots_[optionCount_++].assign(option);
  return true;
}

void CVlcPlayer::ClearOptions() {
  ExclusiveUse use(this);
  optionCount_ = 0;
}

std::vector<std::string> CVlcPlayer::GetOptions() {
  SharedUse use(this);
  return std::vector<std::string>(optionSlots_.begin(), optionSlots_.begin() + optionCount_);
}

std::vector<std::string> CVlcPlayer::GetInstanceArguments() {
  SharedUse use(this);
  return arguments_;
}
