#pragma once

// The visualisation mode of an item: the values of CurrentVisualIndex (0-8,
// the dialog's radio buttons) and two the program uses itself.
enum VisualMode {
  VisualModeKeep = -1,  // leaves the options as they are
  VisualModeNone = 0,
  VisualModeLocalImage = 1,
  VisualModeWebImage = 2,
  VisualModeRandom = 3,
  VisualModeScope = 4,
  VisualModeSpectrum = 5,
  VisualModeSpectrometer = 6,
  VisualModeVuMeter = 7,
  VisualModeGoom = 8,
  VisualModeLoadingPicture = 9,
  VisualModeWebMedia = 10,
};

// Rebuilds the player's option table for the next media from the mode and
// the settings.
void ApplyVisualOptions(VisualMode mode);

// The options by media kind: VIDEO plays without a visualisation, WEBM as web
// media, any other kind with CurrentVisualIndex. Adverts play as VIDEO does.
void ApplyVisualOptionsForKind(int mediaKind);
void ApplyAdvertVisualOptions();

// The end of every options build, after the mute is applied; mode is the
// VisualMode the options were built for. Each program links one body
// (VisualOptionsKel.cpp, VisualOptionsKelwall.cpp).
void AddPlaybackOptionsTail(int mode);
