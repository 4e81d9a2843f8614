#pragma once
#include <string>

// The kind of a catalog item, shared by catalogs, lists, dialog and actions;
// the catalog's element names are the kind names. 0: no current entry.
enum MediaKind {
  MediaKindNone = 0,
  MediaKindAudio = 1,
  MediaKindPicture = 2,
  MediaKindPlaylist = 3,
  MediaKindVideo = 4,
  MediaKindFolder = 5,
  MediaKindWebMedia = 6,
};

// The kind an element name stands for; names are compared exactly, so
// "audio" is a folder like any other name.
inline int MediaKindOfElementName(const std::wstring& name) {
  if (name == L"AUDIO") return MediaKindAudio;
  if (name == L"PICTURE") return MediaKindPicture;
  if (name == L"VIDEO") return MediaKindVideo;
  if (name == L"PLAYLIST") return MediaKindPlaylist;
  if (name == L"WEBM") return MediaKindWebMedia;
  return MediaKindFolder;
}
