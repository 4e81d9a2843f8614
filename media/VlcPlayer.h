#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

struct VlcApi;
struct libvlc_instance_t;
struct libvlc_media_t;
struct libvlc_media_player_t;
struct libvlc_media_list_t;
struct libvlc_media_list_player_t;

// The one owner of libvlc: a library instance with one media player, one
// media-list player and one media list, with the option strings that every
// media created or started next receives. Options that libvlc 3 reads only
// from the instance (VlcInstanceOptions.h) are handed to libvlc_new instead:
// each set of them in use gets an instance of its own, made when a media is
// first created under it and kept for the next item that needs it. The
// title over the picture is the media player's own switch, set from the
// option table for each media created or started. Every operation checks
// its handles: without libvlc (not installed, not opened in this process,
// or libvlc_new failed) it does nothing and reports failure.
//
// Paths, locations and options go to libvlc as UTF-8.
//
// The worker thread makes almost every call; the window thread pauses,
// stops and asks for the state (power events, the wallpaper's dialog). One
// lock guards the handles: shared for using them, exclusive for replacing
// them or changing the option table and the list locations.
class CVlcPlayer {
 public:
  static constexpr int kMaxOptions = 30;
  // Instances kept at most, the one in use included.
  static constexpr int kMaxInstances = 8;
  // Playlists inside playlists are followed this deep, no deeper (one that
  // names itself would go on for ever).
  static constexpr size_t kMaxPlaylistDepth = 8;

  CVlcPlayer();
  CVlcPlayer(const CVlcPlayer&) = delete;
  CVlcPlayer& operator=(const CVlcPlayer&) = delete;

  bool OpenLibrary(const std::wstring& pluginBaseFolder);
  bool CloseLibrary();
  bool IsOpen();

  // The caller owns the returned media (PlayMedia takes it over). Made on
  // the instance of the option table's instance options.
  libvlc_media_t* NewMediaFromPath(const std::wstring& path);
  // Appends a location to the media list. The locations are kept, so the
  // media list can be rebuilt whenever libvlc's is replaced.
  bool AddListLocation(const std::wstring& location);
  // Empties the media list, so that it follows a reloaded web-media list.
  void ClearListLocations();
  // Removes one location; the later ones move down one place.
  bool RemoveListLocation(int index);
  int GetListLocationCount();
  bool PlayMedia(libvlc_media_t* media);
  // A playlist plays as PlayMedia plays a media, but libvlc only reads it
  // into entries (the media's sub-items) and reports it ended. Each
  // PlayNextPlaylistEntry then starts the next entry on the media player,
  // with the options the playlist was given, going into entries that are
  // playlists themselves; false when none is left. Any other start ends the
  // playlist.
  bool PlayPlaylist(libvlc_media_t* media);
  bool PlayNextPlaylistEntry();
  // The caller owns the returned item (PlayListItem takes it over). From
  // the media list of the option table's instance, as NewMediaFromPath.
  libvlc_media_t* ListItemAt(int index);
  int PlayListItem(libvlc_media_t* item);
  unsigned ListItemDuration(int index);
  bool IsListItemPlaying(int index);

  // true pauses (a paused item stays paused), false resumes.
  bool MediaPlayerPause(bool pause);
  bool ListPlayerPause(bool pause);
  bool MediaPlayerStop();
  bool ListPlayerStop();
  // libvlc's player state; 7 (error) without a player, so a show never
  // waits on an item that cannot play.
  int MediaPlayerState();
  int ListPlayerState();
  bool MediaPlayerSetPosition(float position);
  bool MediaPlayerWillPlay();
  bool ReleaseMedia(libvlc_media_t* media);

  void SetOutputWindow(HWND window);
  HWND GetOutputWindow();
  void SetMute(bool mute);
  void RecreatePlayers();

  // The option table for the next media: at most kMaxOptions entries; a
  // further one is dropped (and traced), and AddOption returns false.
  bool AddOption(const std::string& option);
  void ClearOptions();
  std::vector<std::string> GetOptions();
  // The libvlc_new arguments of the instance in use beyond the start-up one.
  std::vector<std::string> GetInstanceArguments();

 private:
  class SharedUse;
  class ExclusiveUse;

  // The entries of one playlist level, and the next one to play.
  struct PlaylistLevel {
    libvlc_media_list_t* entries;
    int next;
  };

  // An instance with its players and lists: one kept for later, or what
  // is let go of (ReleaseKeptLocked, the one place that releases them).
  struct KeptInstance {
    std::vector<std::string> arguments;
    libvlc_instance_t* instance = nullptr;
    libvlc_media_player_t* mediaPlayer = nullptr;
    libvlc_media_list_player_t* listPlayer = nullptr;
    libvlc_media_list_t* mediaList = nullptr;
    libvlc_media_list_t* idleList = nullptr;
    unsigned listGeneration = 0;
    bool titleShown = false;
  };

  bool StartMedia(libvlc_media_t* media, bool playlist);
  void EndPlaylistLocked();
  bool StartPlaylistEntryLocked(libvlc_media_t* entry, int number);
  bool StartInstanceLocked(const std::vector<std::string>& arguments);
  void UseInstanceForOptionsLocked();
  // The players and lists in use, taken out (the instance stays in use).
  KeptInstance TakePlayersLocked();
  // The instance in use with its players and lists, taken out.
  KeptInstance TakeCurrentLocked();
  void PutCurrentLocked(const KeptInstance& kept);
  void ReleaseKeptLocked(KeptInstance& kept);
  libvlc_media_t* ItemAtLocked(int index);
  void CreatePlayersLocked();
  void FillMediaListLocked();
  void ReplaceMediaListLocked();
  bool AppendLocationLocked(const std::string& location);
  void BindWindowLocked();
  void ShowTitleLocked();
  void AddOptionsLocked(libvlc_media_t* media);

  SRWLOCK lock_ = SRWLOCK_INIT;
  // The thread that owns the output window: while it waits for the lock it
  // keeps handling sent messages, since libvlc may be closing a video window
  // inside that window at that moment.
  std::atomic<DWORD> windowThread_{0};

  const VlcApi* api_ = nullptr;
  libvlc_instance_t* instance_ = nullptr;
  libvlc_media_player_t* mediaPlayer_ = nullptr;
  libvlc_media_list_player_t* listPlayer_ = nullptr;
  libvlc_media_list_t* mediaList_ = nullptr;
  // What the list player holds while the media player plays an item of its
  // own: nothing (see PlayMedia).
  libvlc_media_list_t* idleList_ = nullptr;
  HWND window_ = nullptr;
  bool mute_ = false;
  // The title switch the media player was last given (libvlc's own is off).
  bool titleShown_ = false;
  // The playlist, or the entry of it that plays (our reference), and the
  // levels of entries gone into.
  libvlc_media_t* playlistItem_ = nullptr;
  std::vector<PlaylistLevel> playlistLevels_;

  std::string startArgument_;
  std::vector<std::string> arguments_;  // of the instance in use
  std::vector<KeptInstance> kept_;      // oldest first
  // Bumped by each change of the locations; a kept instance whose list is
  // older is refilled when it comes back into use.
  unsigned listGeneration_ = 0;
  unsigned currentListGeneration_ = 0;

  // Slots keep their text when cleared, so refilling them reuses the memory.
  std::vector<std::string> optionSlots_;
  int optionCount_ = 0;
  std::vector<std::string> locations_;  // UTF-8, in media-list order
};

// The process's one libvlc wrapper.
CVlcPlayer& GetVlcPlayer();
