#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

// Adds one web address to the catalog tree: under parent, or with none
// under the top-level "Web Media" folder, made when missing.
void AddWebMediaItem(HWND dialog, const std::wstring& name, const std::wstring& address, HTREEITEM parent);

// Adds a dropped file under the selected item of the catalog tree (under its
// nearest folder when a media item is selected, the top level when it has
// none). True when an item was added; with nothing selected a message says
// so.
bool DropFileIntoCatalog(HWND dialog, const std::wstring& path);
