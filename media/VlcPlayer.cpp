// Placeholder until libvlc is bound: every operation finds no library.
#include "media/VlcPlayer.h"

namespace {
CVlcPlayer g_vlc;
std::vector<std::string> g_options;
}  // namespace

CVlcPlayer& GetVlcPlayer() { return g_vlc; }

bool CVlcPlayer::OpenLibrary(const std::wstring&) {
  g_options.clear();
  return false;
}
bool CVlcPlayer::CloseLibrary() { return true; }
bool CVlcPlayer::IsOpen() const { return false; }
libvlc_media_t* CVlcPlayer::NewMediaFromPath(const std::wstring&) { return nullptr; }
bool CVlcPlayer::AddListLocation(const std::wstring&) { return false; }
void CVlcPlayer::ClearListLocations() {}
bool CVlcPlayer::PlayMedia(libvlc_media_t*) { return false; }
libvlc_media_t* CVlcPlayer::ListItemAt(int) { return nullptr; }
int CVlcPlayer::PlayListItem(libvlc_media_t*) { return 0; }
unsigned CVlcPlayer::ListItemDuration(int) { return 3; }
bool CVlcPlayer::IsListItemPlaying(int) { return false; }
bool CVlcPlayer::MediaPlayerPause(bool) { return false; }
bool CVlcPlayer::ListPlayerPause(bool) { return false; }
bool CVlcPlayer::MediaPlayerStop() { return false; }
bool CVlcPlayer::ListPlayerStop() { return false; }
int CVlcPlayer::MediaPlayerState() { return 0; }
int CVlcPlayer::ListPlayerState() { return 0; }
bool CVlcPlayer::MediaPlayerSetPosition(float) { return false; }
bool CVlcPlayer::MediaPlayerWillPlay() { return false; }
bool CVlcPlayer::ReleaseMedia(libvlc_media_t*) { return false; }
void CVlcPlayer::SetOutputWindow(HWND) {}
HWND CVlcPlayer::GetOutputWindow() { return nullptr; }
void CVlcPlayer::SetMute(bool) {}
void CVlcPlayer::RecreatePlayers() {}
void CVlcPlayer::AddOption(const std::string& option) {
  if (g_options.size() < 30) g_options.push_back(option);
}
void CVlcPlayer::ClearOptions() { g_options.clear(); }
std::vector<std::string> CVlcPlayer::GetOptions() const { return g_options; }
