#pragma once
#include <string>

// One catalog entry: kept with each catalog tree item of the settings dialog
// and as the element of the player's picture list.
struct CatalogItem {
  std::wstring name;
  std::wstring path;
  std::wstring parent;
  int kind = 0;  // MediaKind
};
