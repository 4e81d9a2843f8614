#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct libvlc_instance_t;
struct libvlc_media_t;
struct libvlc_media_player_t;
struct libvlc_media_list_t;
struct libvlc_media_list_player_t;

// The one owner of libvlc: one library instance, one media player, one
// media-list player and one media list, with the option strings that every
// media created or started next receives. Every operation checks its handles:
// without libvlc (not installed, or not opened in this process) it does
// nothing and reports failure.
class CVlcPlayer {
 public:
  bool OpenLibrary(const std::wstring& pluginBaseFolder);
  bool CloseLibrary();
  bool IsOpen() const;

  // The caller owns the returned media (PlayMedia takes it over).
  libvlc_media_t* NewMediaFromPath(const std::wstring& path);
  // Appends a location to the media list; returns nothing the caller keeps.
  bool AddListLocation(const std::wstring& location);
  // Empties the media list, so that it follows a reloaded web-media list.
  void ClearListLocations();
  bool PlayMedia(libvlc_media_t* media);
  // The caller owns the returned item (PlayListItem takes it over).
  libvlc_media_t* ListItemAt(int index);
  int PlayListItem(libvlc_media_t* item);
  unsigned ListItemDuration(int index);
  bool IsListItemPlaying(int index);

  bool MediaPlayerPause(bool pause);
  bool ListPlayerPause(bool pause);
  bool MediaPlayerStop();
  bool ListPlayerStop();
  int MediaPlayerState();
  int ListPlayerState();
  bool MediaPlayerSetPosition(float position);
  bool MediaPlayerWillPlay();
  bool ReleaseMedia(libvlc_media_t* media);

  void SetOutputWindow(HWND window);
  HWND GetOutputWindow();
  void SetMute(bool mute);
  void RecreatePlayers();

  // The option table for the next media.
  void AddOption(const std::string& option);
  void ClearOptions();
  std::vector<std::string> GetOptions() const;
};

// The process's one libvlc wrapper (static storage; nothing to construct).
CVlcPlayer& GetVlcPlayer();
