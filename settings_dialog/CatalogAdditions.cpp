#include "settings_dialog/CatalogAdditions.h"

void AddWebMediaItem(HWND, const std::wstring&, const std::wstring&, HTREEITEM) {}
bool DropFileIntoCatalog(HWND, const std::wstring&) { return false; }
