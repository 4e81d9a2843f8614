#pragma once

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
