// The screen saver's end of the playback options.
#include "media/VisualOptions.h"

#include "engine/Settings.h"
#include "media/VlcPlayer.h"

// The saver lets the system's screen saver and power saving alone while it
// plays.
void AddPlaybackOptionsTail(int) {
  CurrentPowerIndex = PowerIndexUsePower;
  GetVlcPlayer().AddOption("no-disable-screensaver");
}
