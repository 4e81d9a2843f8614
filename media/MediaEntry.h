#pragma once
#include <string>

// One entry of the player's media, advert or catalog-node list.
struct MediaEntry {
  std::wstring path;    // file path or URL (adverts: under the install folder)
  std::wstring parent;  // the folder that holds the item
  int kind = 0;         // MediaKind; -1 for catalog nodes
  int listIndex = -1;   // web media: position in the library's media list
};
