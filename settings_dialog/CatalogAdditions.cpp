#include "settings_dialog/CatalogAdditions.h"

#include "media/MediaKind.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/DialogSeams.h"
#include "settings_dialog/ExtensionLookup.h"

namespace {

bool IsMediaItem(HWND tree, HTREEITEM item) {
  const CatalogItem* record = GetTreeItemRecord(tree, item);
  if (!record) return false;
  switch (record->kind) {
    case MediaKindAudio:
    case MediaKindPicture:
    case MediaKindPlaylist:
    case MediaKindVideo:
    case MediaKindWebMedia:
      return true;
    default:
      return false;
  }
}

// Nothing below a media item is saved, so new items go to the nearest folder
// that holds it instead (the top level when none does).
HTREEITEM NearestFolder(HWND tree, HTREEITEM item) {
  while (item && IsMediaItem(tree, item)) item = TreeView_GetParent(tree, item);
  return item;
}

std::wstring LookupForm(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

}  // namespace

void AddWebMediaItem(HWND dialog, const std::wstring& name, const std::wstring& address, HTREEITEM parent) {
  HWND tree = GetDlgItem(dialog, IDC_CATALOG_TREE);
  if (parent) {
    parent = NearestFolder(tree, parent);
  } else {
    parent = FindWebMediaFolder(tree, nullptr);
    if (!parent)
      parent = InsertCatalogTreeItem(tree, nullptr, MediaKindFolder, L"Web Media",
                                     NewCatalogRecord(L"world wide web", L"Web Media", L"http", MediaKindFolder));
  }
  InsertCatalogTreeItem(tree, parent, MediaKindWebMedia, name, NewCatalogRecord(name, address, L"Web Media", MediaKindWebMedia));
}

bool DropFileIntoCatalog(HWND dialog, const std::wstring& path) {
  HWND tree = GetDlgItem(dialog, IDC_CATALOG_TREE);
  WIN32_FIND_DATAW found = {};
  HANDLE listing = FindFirstFileW(LookupForm(path).c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return false;
  bool added = false;
  size_t cut = path.rfind(L'\\');
  std::wstring label = cut == std::wstring::npos ? path : path.substr(cut + 1);
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    HTREEITEM selected = TreeView_GetSelection(tree);
    if (!selected) {
      GetDialogSeams().messageBox(dialog, L"\nPlease select a target folder in the catalog!\n",
                                  L"ERROR: Dropping a File Into Catalog", MB_TOPMOST | MB_ICONEXCLAMATION);
      continue;
    }
    int kind = ClassifyFileByExtension(dialog, path);
    if (kind == MediaKindNone) continue;
    if (InsertCatalogTreeItem(tree, NearestFolder(tree, selected), kind, label, NewCatalogRecord(label, path, path, kind)))
      added = true;
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
  return added;
}
