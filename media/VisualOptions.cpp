#include "media/VisualOptions.h"

#include "engine/Settings.h"
#include "media/MediaKind.h"
#include "media/Randomizer.h"
#include "media/VlcPlayer.h"

namespace {

// Slot 3 holds a shuffled order of the four effects Scope..VU Meter.
constexpr int kEffectSlot = 3;

// A draw from the effect order; a negative draw (no order) stays Random.
VisualMode DrawRandomEffect() {
  Tam_Randomizer* randomizer = GetRandomizer();
  int r = randomizer ? randomizer->NextIndex(kEffectSlot) : -1;
  if (r < 0) return VisualModeRandom;
  if (r >= 4) r = 0;
  return static_cast<VisualMode>(r + VisualModeScope);
}

const char* EffectOf(VisualMode mode) {
  switch (mode) {
    case VisualModeScope:
      return "effect-list=scope";
    case VisualModeSpectrum:
      return "effect-list=spectrum";
    case VisualModeSpectrometer:
      return "effect-list=spectrometer";
    case VisualModeVuMeter:
      return "effect-list=vumeter";
    default:
      return "effect-list=none";
  }
}

}  // namespace

void ApplyVisualOptions(VisualMode mode) {
  if (mode == VisualModeKeep) return;
  const VisualMode originalMode = mode;  // Random is drawn below
  CVlcPlayer& vlc = GetVlcPlayer();
  bool resetCache = ResetCache;
  vlc.ClearOptions();
  if (mode == VisualModeRandom) mode = DrawRandomEffect();

  switch (mode) {
    case VisualModeNone:
    case VisualModeLocalImage:
    case VisualModeRandom:
    case VisualModeScope:
    case VisualModeSpectrum:
    case VisualModeSpectrometer:
    case VisualModeVuMeter:
    case VisualModeWebMedia:
      vlc.AddOption("audio-visual=visual");
      vlc.AddOption(EffectOf(mode));
      break;
    case VisualModeGoom:
      // Goom takes effect only on players created after its options.
      vlc.RecreatePlayers();
      vlc.AddOption("audio-visual=goom");
      resetCache = true;
      break;
    case VisualModeLoadingPicture:
      vlc.AddOption("audio-visual=none");
      vlc.AddOption("effect-list=none");
      break;
    default:  // WEB Image and unknown modes: the settings' options only
      break;
  }

  vlc.AddOption("osd");
  vlc.AddOption(ShowName ? "video-title-show" : "no-video-title-show");
  if (BlankVideo) vlc.AddOption("no-video");
  if (HighPriority) vlc.AddOption("high-priority");
  vlc.AddOption("one-instance");
  vlc.AddOption("ignore-config");
  if (resetCache) vlc.AddOption("reset-plugins-cache");
  vlc.SetMute(MuteAudio);
  AddPlaybackOptionsTail(originalMode);
}

void ApplyVisualOptionsForKind(int mediaKind) {
  if (mediaKind == MediaKindVideo)
    ApplyVisualOptions(VisualModeNone);
  else if (mediaKind == MediaKindWebMedia)
    ApplyVisualOptions(VisualModeWebMedia);
  else
    ApplyVisualOptions(static_cast<VisualMode>(CurrentVisualIndex));
}

void ApplyAdvertVisualOptions() { ApplyVisualOptions(VisualModeNone); }
