#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// One folder being listed by a scan: the tree item its entries go under and
// the entry being handled.
struct FolderScanLevel {
  HTREEITEM item = nullptr;
  WIN32_FIND_DATAW found = {};
  HANDLE listing = INVALID_HANDLE_VALUE;
  std::wstring folder;  // ordinary form, no trailing separator (but "C:\")
  std::wstring name;    // the folder's label in the tree
  bool fresh = false;   // found holds an entry not handled yet
};

// Lets the user pick a folder in the folder browser and scans it into the
// catalog tree. The folder's new item; null when nothing was chosen or it
// could not be listed.
HTREEITEM ChooseFolderAndScan(HWND dialog);

// Scans folder and everything below it into the catalog tree of the dialog:
// with no parent, under a new top-level item named after the folder; else
// under parent. levels is the scan's shared list, empty on entry and on
// return. Reparse points (junctions, symbolic links) are not descended into;
// paths of any length are listed. The new top-level item (null with a
// parent, or when the folder could not be listed).
HTREEITEM ScanFolderIntoCatalog(HWND dialog, const std::wstring& folder, std::vector<FolderScanLevel>& levels,
                                HTREEITEM parent);

// Whether the scan descends into a listed entry: a directory other than "."
// and "..", and not a reparse point (junction, symbolic link).
bool IsFolderToEnter(const WIN32_FIND_DATAW& found);

// The label, record path and parent path of the scanned folder's own item:
// a drive root gives its volume name (or "C:") and "C:/".
void FolderScanTopItem(const std::wstring& folder, std::wstring& label, std::wstring& path, std::wstring& parent);
