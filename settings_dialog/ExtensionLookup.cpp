#include "settings_dialog/ExtensionLookup.h"

#include <algorithm>

#include "media/MediaKind.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/CatalogFiles.h"
#include "settings_dialog/CatalogTree.h"

namespace {

std::wstring UpperCase(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

// The extension an entry stands for: what follows the last "." of its path
// ("*.mp3" and "mp3" both give "mp3").
std::wstring EntryExtension(const std::wstring& path) {
  size_t dot = path.rfind(L'.');
  return dot == std::wstring::npos ? path : path.substr(dot + 1);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// Walks the entries that count for kind from first along its siblings: a
// group labelled with the kind's name is searched, other groups are passed
// over, every other item is compared by its own path. visit answers true to
// end the walk.
template <class Visit>
bool WalkEntries(HWND tree, HTREEITEM first, int kind, Visit&& visit) {
  const std::wstring group = GetKindGroupName(kind);
  std::vector<HTREEITEM> pending;
  HTREEITEM item = first;
  std::wstring label, path;
  while (item || !pending.empty()) {
    if (!item) {
      item = pending.back();
      pending.pop_back();
      continue;
    }
    HTREEITEM next = TreeView_GetNextSibling(tree, item);
    HTREEITEM child = TreeView_GetChild(tree, item);
    GetTreeItemText(tree, item, label);
    if (child) {
      // A group is searched when it is the kind's own and never compared: its
      // label ("WEBM") would otherwise pass for an extension of other kinds.
      if (SameText(label, group)) {
        pending.push_back(next);
        item = child;
      } else {
        item = next;
      }
      continue;
    }
    GetTreeItemPath(tree, item, path);
    if (visit(EntryExtension(path))) return true;
    item = next;
  }
  return false;
}

}  // namespace

std::wstring FileExtensionOf(const std::wstring& path) {
  size_t name = path.find_last_of(L"\\/");
  name = name == std::wstring::npos ? 0 : name + 1;
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || dot < name) return std::wstring();
  return path.substr(dot + 1);
}

bool IsExtensionOfKind(HWND tree, HTREEITEM first, int kind, const std::wstring& extension) {
  if (extension.empty()) return false;
  HTREEITEM start = first ? first : TreeView_GetRoot(tree);
  if (!start) return false;
  return WalkEntries(tree, start, kind, [&](const std::wstring& entry) {
    return !entry.empty() && SameText(entry, extension);
  });
}

int ClassifyFileByExtension(HWND dialog, const std::wstring& path) {
  HWND tree = GetDlgItem(dialog, IDC_EXTENSION_TREE);
  std::wstring extension = FileExtensionOf(path);
  static const int order[] = {MediaKindAudio, MediaKindPicture, MediaKindPlaylist, MediaKindVideo, MediaKindWebMedia};
  for (int kind : order)
    if (IsExtensionOfKind(tree, nullptr, kind, extension)) return kind;
  return MediaKindNone;
}

ExtensionTable::ExtensionTable(HWND tree) {
  HTREEITEM root = TreeView_GetRoot(tree);
  if (!root) return;
  for (int kind = MediaKindAudio; kind <= MediaKindWebMedia; ++kind) {
    std::vector<std::wstring>& keys = keys_[kind];
    WalkEntries(tree, root, kind, [&](const std::wstring& entry) {
      if (!entry.empty()) keys.push_back(UpperCase(entry));
      return false;
    });
    std::sort(keys.begin(), keys.end());
  }
}

bool ExtensionTable::IsOfKind(int kind, const std::wstring& extension) const {
  if (kind < 0 || kind > MediaKindWebMedia || extension.empty()) return false;
  const std::vector<std::wstring>& keys = keys_[kind];
  return std::binary_search(keys.begin(), keys.end(), UpperCase(extension));
}

int ExtensionTable::ScanKindOf(const std::wstring& extension) const {
  static const int order[] = {MediaKindPicture, MediaKindAudio, MediaKindVideo, MediaKindPlaylist};
  for (int kind : order)
    if (IsOfKind(kind, extension)) return kind;
  return MediaKindNone;
}
