#include "settings_dialog/FolderScan.h"

#include <shlobj.h>

#include "media/MediaKind.h"
#include "platform/Scoped.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/ScopedRedraw.h"
#include "settings_dialog/DialogSeams.h"
#include "settings_dialog/ExtensionLookup.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:\", "C:" or "C:/" : a drive's root.
bool IsDriveRoot(const std::wstring& folder) {
  return (folder.size() == 2 || (folder.size() == 3 && IsSeparator(folder[2]))) && folder[1] == L':' &&
         iswalpha(folder[0]);
}

// The folder in its ordinary form: no "\\?\" prefix, no trailing separator
// except after a drive letter ("C:\").
std::wstring OrdinaryFolder(std::wstring folder) {
  if (folder.compare(0, 8, L"\\\\?\\UNC\\") == 0)
    folder = L"\\\\" + folder.substr(8);
  else if (folder.compare(0, 4, L"\\\\?\\") == 0)
    folder = folder.substr(4);
  while (folder.size() > 1 && IsSeparator(folder.back()) && !IsDriveRoot(folder)) folder.pop_back();
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  if (IsDriveRoot(folder)) folder[2] = L'\\';
  return folder;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
  return folder + L"\\" + name;
}

std::wstring SlashForm(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'\\') c = L'/';
  return path;
}

// What FindFirstFile is given: the long form once the pattern would not fit
// in MAX_PATH, so that deep folders are listed too.
std::wstring ListingPattern(const std::wstring& folder) {
  std::wstring pattern = Join(folder, L"*");
  if (pattern.size() < MAX_PATH) return pattern;
  for (wchar_t& c : pattern)
    if (c == L'/') c = L'\\';
  if (pattern.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + pattern.substr(2);
  return L"\\\\?\\" + pattern;
}

HANDLE StartListing(const std::wstring& folder, WIN32_FIND_DATAW& found) {
  return FindFirstFileExW(ListingPattern(folder).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                          FIND_FIRST_EX_LARGE_FETCH);
}

std::wstring LastComponent(const std::wstring& folder) {
  size_t cut = folder.find_last_of(L"\\/");
  return cut == std::wstring::npos ? folder : folder.substr(cut + 1);
}

}  // namespace

bool IsFolderToEnter(const WIN32_FIND_DATAW& found) {
  if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // A junction or a link may lead back to an ancestor.
  if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
  return wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0;
}

void FolderScanTopItem(const std::wstring& folder, std::wstring& label, std::wstring& path, std::wstring& parent) {
  std::wstring ordinary = OrdinaryFolder(folder);
  parent = folder;
  if (IsDriveRoot(ordinary)) {
    // A drive has no name of its own in its path: its volume's, else "C:".
    wchar_t volume[MAX_PATH + 1] = L"";
    if (!GetVolumeInformationW(ordinary.c_str(), volume, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
      volume[0] = L'\0';
    label = volume[0] ? volume : ordinary.substr(0, 2);
    path = SlashForm(ordinary);
    return;
  }
  label = LastComponent(ordinary);
  if (label.empty()) label = ordinary;
  path = SlashForm(ordinary + L"\\");
}

// The shell's allocator is COM's task allocator: the item list and the name
// go back to it through their holders.
HTREEITEM ChooseFolderAndScan(HWND dialog) {
  BROWSEINFOW info = {};
  info.hwndOwner = nullptr;
  info.pidlRoot = nullptr;
  info.lpszTitle = L"Select a folder:";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  ScopedItemIdList chosen(GetDialogSeams().browseForFolder(&info));
  std::wstring path;
  if (chosen.Get()) {
    CoTaskMem<wchar_t> name;
    if (SUCCEEDED(SHGetNameFromIDList(chosen.Get(), SIGDN_FILESYSPATH, name.Receive())) && name.Get())
      path = name.Get();
  }
  if (path.empty()) return nullptr;
  std::vector<FolderScanLevel> levels;
  return ScanFolderIntoCatalog(dialog, path, levels, nullptr);
}

HTREEITEM ScanFolderIntoCatalog(HWND dialog, const std::wstring& folder, std::vector<FolderScanLevel>& levels,
                                HTREEITEM parent) {
  HWND tree = GetDlgItem(dialog, IDC_CATALOG_TREE);
  // The extension list is read once for the whole scan.
  ExtensionTable extensions(GetDlgItem(dialog, IDC_EXTENSION_TREE));
  ScopedRedraw pause(tree);

  // The levels stand in for the call stack, so that a deep folder tree
  // cannot exhaust it; this call owns the levels from base on.
  const size_t base = levels.size();
  FolderScanLevel top;
  top.item = parent;
  top.folder = OrdinaryFolder(folder);
  top.listing = StartListing(top.folder, top.found);
  if (top.listing == INVALID_HANDLE_VALUE) return nullptr;
  top.fresh = true;
  if (!parent) {
    std::wstring label, path, parentPath;
    FolderScanTopItem(folder, label, path, parentPath);
    top.name = label;
    top.item = InsertCatalogTreeItem(tree, nullptr, MediaKindFolder, label,
                                     NewCatalogRecord(label, path, parentPath, MediaKindFolder));
  } else {
    GetTreeItemText(tree, parent, top.name);
  }
  HTREEITEM added = parent ? nullptr : top.item;
  levels.push_back(std::move(top));

  while (levels.size() > base) {
    // Found again by position: the descent below may move the list.
    FolderScanLevel& level = levels.back();
    if (!level.fresh && !FindNextFileW(level.listing, &level.found)) {
      FindClose(level.listing);
      levels.pop_back();
      continue;
    }
    level.fresh = false;
    const WIN32_FIND_DATAW& found = level.found;
    std::wstring name = found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (name == L"." || name == L"..") continue;
      std::wstring sub = Join(level.folder, name);
      HTREEITEM item = InsertCatalogTreeItem(
          tree, level.item, MediaKindFolder, name,
          NewCatalogRecord(level.name, SlashForm(sub + L"\\"), level.folder, MediaKindFolder));
      // A link shows as an empty folder.
      if (!item || !IsFolderToEnter(found)) continue;
      FolderScanLevel next;
      next.item = item;
      next.folder = sub;
      next.name = name;
      next.listing = StartListing(sub, next.found);
      if (next.listing == INVALID_HANDLE_VALUE) continue;
      next.fresh = true;
      levels.push_back(std::move(next));
      continue;
    }
    int kind = extensions.ScanKindOf(FileExtensionOf(name));
    if (kind == MediaKindNone) continue;
    InsertCatalogTreeItem(tree, level.item, kind, name,
                          NewCatalogRecord(level.name, SlashForm(Join(level.folder, name)), level.folder, kind));
  }
  return added;
}
