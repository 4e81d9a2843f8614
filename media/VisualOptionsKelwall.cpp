// The wallpaper program's end of the playback options.
#include "media/VisualOptions.h"

#include "engine/Settings.h"
#include "media/VlcPlayer.h"

// Every item but the loading picture plays as the wallpaper, with the
// system's screen saver held off while it plays.
// libvlc 3 reads "video-wallpaper" from the library instance, so the player
// wrapper also hands it to the instance it plays these items on.
void AddPlaybackOptionsTail(int mode) {
  if (mode == VisualModeLoadingPicture) return;
  CurrentPowerIndex = PowerIndexNoPower;
  CVlcPlayer& vlc = GetVlcPlayer();
  vlc.AddOption("video-wallpaper");
  vlc.AddOption("disable-screensaver");
}
