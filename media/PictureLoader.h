#pragma once
#include <string>

// Where the list player's picture choosers put the picture they chose. The
// show draws the pictures, so the engine installs the loader
// (engine/Logic.cpp); the media library needs nothing of it.
enum class PictureLoadResult {
  NoShow,  // nowhere to load into: nothing was tried
  Loaded,
  Failed,
};
using PictureLoader = PictureLoadResult (*)(const std::wstring& path);

// Null (the start) leaves the choosers without a show: they load nothing.
void SetPictureLoader(PictureLoader loader);
