#include "settings_dialog/CatalogTree.h"

#include <atomic>
#include <iterator>
#include <unordered_map>
#include <vector>

#include "engine/Settings.h"
#include "media/MediaKind.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/CatalogFiles.h"

namespace {

std::atomic<size_t> liveRecords{0};
// Entries waiting in folders not opened yet.
std::atomic<size_t> waitingEntries{0};

// Image indexes of the kinds, as the list was built (the order of the
// bitmaps gives 0..5 unless the list was made some other way).
int kindImage[7] = {0, 5, 2, 3, 4, 1, 0};

int ImageOfKind(int kind) { return kind >= 1 && kind <= 5 ? kindImage[kind] : kindImage[0]; }

// The trees' parent windows are hooked by replacing their window procedure
// and the trees are known by handle, all in this process: window properties
// and the common controls' subclass chain cost a trip to the window server
// per message here, which made a 100,000-item tree take seconds to fill and
// to end. Only the dialog's thread touches these.
struct ParentHook {
  WNDPROC previous = nullptr;
  HIMAGELIST images = nullptr;
};
std::unordered_map<HWND, ParentHook> parentHooks;
// What the control holds, as our inserts and its deletions built it: the
// writer walks this instead of asking the control for every sibling, which
// Wine answers by searching all items for the handle.
}  // namespace

struct ItemLinks {
  HTREEITEM parent = nullptr;
  HTREEITEM firstChild = nullptr;
  HTREEITEM lastChild = nullptr;
  HTREEITEM previous = nullptr;
  HTREEITEM next = nullptr;
};
struct OwnedTree {
  HWND parent = nullptr;
  std::unordered_map<HTREEITEM, ItemLinks> links;
  ItemLinks top;  // firstChild / lastChild of the top level
  // What the folders not opened yet hold, by their items.
  std::unordered_map<HTREEITEM, CatalogWaiting> deferred;

  OwnedTree() = default;
  OwnedTree(const OwnedTree&) = delete;
  OwnedTree& operator=(const OwnedTree&) = delete;
  ~OwnedTree() {
    for (const auto& folder : deferred) waitingEntries -= folder.second.end - folder.second.begin;
  }
  void ForgetDeferred(HTREEITEM item) {
    auto found = deferred.find(item);
    if (found == deferred.end()) return;
    waitingEntries -= found->second.end - found->second.begin;
    deferred.erase(found);
  }
};

namespace {
std::unordered_map<HWND, OwnedTree> ownedTrees;

OwnedTree* FindOwned(HWND tree) {
  auto owned = ownedTrees.find(tree);
  return owned != ownedTrees.end() && owned->second.parent == GetParent(tree) ? &owned->second : nullptr;
}

void Link(OwnedTree& owned, HTREEITEM item, HTREEITEM parent, bool first) {
  ItemLinks* holder = &owned.top;
  if (parent) {
    auto found = owned.links.find(parent);
    if (found == owned.links.end()) return;
    holder = &found->second;
  }
  ItemLinks& links = owned.links[item];
  links.parent = parent;
  if (first) {
    links.next = holder->firstChild;
    if (holder->firstChild) owned.links[holder->firstChild].previous = item;
    holder->firstChild = item;
    if (!holder->lastChild) holder->lastChild = item;
  } else {
    links.previous = holder->lastChild;
    if (holder->lastChild) owned.links[holder->lastChild].next = item;
    holder->lastChild = item;
    if (!holder->firstChild) holder->firstChild = item;
  }
}

void Unlink(OwnedTree& owned, HTREEITEM item) {
  auto found = owned.links.find(item);
  if (found == owned.links.end()) return;
  ItemLinks links = found->second;
  owned.links.erase(found);
  ItemLinks* holder = &owned.top;
  if (links.parent) {
    auto parent = owned.links.find(links.parent);
    holder = parent == owned.links.end() ? nullptr : &parent->second;
  }
  auto previous = links.previous ? owned.links.find(links.previous) : owned.links.end();
  auto next = links.next ? owned.links.find(links.next) : owned.links.end();
  if (previous != owned.links.end()) previous->second.next = links.next;
  if (next != owned.links.end()) next->second.previous = links.previous;
  if (holder) {
    if (holder->firstChild == item) holder->firstChild = links.next;
    if (holder->lastChild == item) holder->lastChild = links.previous;
  }
}

LRESULT CALLBACK ParentHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto hook = parentHooks.find(window);
  if (hook == parentHooks.end()) return DefWindowProcW(window, message, wParam, lParam);
  WNDPROC previous = hook->second.previous;
  if (message == WM_NOTIFY) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    bool expanding = header->code == TVN_ITEMEXPANDINGW || header->code == TVN_ITEMEXPANDINGA;
    if (expanding && ownedTrees.count(header->hwndFrom)) {
      // A folder opened for the first time gets its items before the
      // control looks for them.
      const NMTREEVIEWW* view = reinterpret_cast<const NMTREEVIEWW*>(lParam);
      if ((view->action & (TVE_EXPAND | TVE_COLLAPSE)) == TVE_EXPAND)
        FillDeferredItems(header->hwndFrom, view->itemNew.hItem);
      return CallWindowProcW(previous, window, message, wParam, lParam);
    }
    auto owned = header->code == TVN_DELETEITEMW || header->code == TVN_DELETEITEMA ? ownedTrees.find(header->hwndFrom)
                                                                                      : ownedTrees.end();
    if (owned != ownedTrees.end()) {
      // The dialog sees the deletion with the record still alive.
      LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
      const NMTREEVIEWW* view = reinterpret_cast<const NMTREEVIEWW*>(lParam);
      // The hook may have gone during the call when the window ended.
      owned = ownedTrees.find(header->hwndFrom);
      if (owned != ownedTrees.end()) {
        Unlink(owned->second, view->itemOld.hItem);
        owned->second.ForgetDeferred(view->itemOld.hItem);
      }
      if (CatalogItem* record = reinterpret_cast<CatalogItem*>(view->itemOld.lParam)) {
        delete record;
        --liveRecords;
      }
      return result;
    }
  } else if (message == WM_NCDESTROY) {
    HIMAGELIST images = hook->second.images;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == ParentHookProc)
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    parentHooks.erase(hook);
    for (auto tree = ownedTrees.begin(); tree != ownedTrees.end();)
      tree = tree->second.parent == window ? ownedTrees.erase(tree) : std::next(tree);
    LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
    if (images) ImageList_Destroy(images);
    return result;
  }
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

ParentHook* HookParent(HWND window) {
  auto hook = parentHooks.find(window);
  if (hook != parentHooks.end()) return &hook->second;
  if (!IsWindow(window)) return nullptr;
  ParentHook& added = parentHooks[window];
  added.previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ParentHookProc)));
  if (!added.previous) {
    parentHooks.erase(window);
    return nullptr;
  }
  return &added;
}

OwnedTree* OwnRecordsOf(HWND tree) {
  HWND parent = GetParent(tree);
  auto owned = ownedTrees.find(tree);
  // The handle may be a new window's after the old tree ended.
  if (owned != ownedTrees.end() && owned->second.parent == parent) return &owned->second;
  if (!parent || !HookParent(parent)) return nullptr;
  if (owned != ownedTrees.end()) ownedTrees.erase(owned);
  OwnedTree& added = ownedTrees[tree];
  added.parent = parent;
  return &added;
}

bool ReadItem(HWND tree, HTREEITEM item, UINT mask, wchar_t* buffer, int size, LPARAM* data) {
  TVITEMW tv = {};
  tv.mask = mask;
  tv.hItem = item;
  tv.pszText = buffer;
  tv.cchTextMax = size;
  if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return false;
  if (data) *data = tv.lParam;
  return true;
}

}  // namespace

size_t LiveCatalogTreeRecords() { return liveRecords + waitingEntries; }

bool InitTreeImageList(HWND dialog) {
  HIMAGELIST list = ImageList_Create(32, 32, ILC_COLORDDB, 6, 0);
  if (!list) return false;
  static const struct {
    int bitmap;
    int kind;
  } order[] = {{IDB_TREE_HAND_FOLDER, 0}, {IDB_TREE_FOLDER, MediaKindFolder},  {IDB_TREE_PICTURE, MediaKindPicture},
               {IDB_TREE_PLAYLIST, MediaKindPlaylist}, {IDB_TREE_VIDEO, MediaKindVideo}, {IDB_TREE_AUDIO, MediaKindAudio}};
  int images[7] = {0, 5, 2, 3, 4, 1, 0};
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const auto& row : order) {
    HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(row.bitmap));
    if (!bitmap) continue;
    int index = ImageList_Add(list, bitmap, nullptr);
    DeleteObject(bitmap);
    if (index >= 0) images[row.kind] = index;
  }
  if (ImageList_GetImageCount(list) != 6) {
    ImageList_Destroy(list);
    return false;
  }
  images[MediaKindWebMedia] = images[0];
  for (int kind = 0; kind < 7; ++kind) kindImage[kind] = images[kind];

  // The dialog keeps the list until it ends; a second call replaces it.
  ParentHook* hook = HookParent(dialog);
  if (!hook) {
    ImageList_Destroy(list);
    return false;
  }
  if (hook->images) ImageList_Destroy(hook->images);
  hook->images = list;
  SendDlgItemMessageW(dialog, IDC_CATALOG_TREE, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
  SendDlgItemMessageW(dialog, IDC_EXTENSION_TREE, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
  return true;
}

namespace {

// With expander, the item shows one before it has items of its own.
HTREEITEM InsertItem(HWND tree, HTREEITEM parent, HTREEITEM after, int image, const std::wstring& label,
                     CatalogItem* record, bool expander = false) {
  OwnedTree* owned = OwnRecordsOf(tree);
  if (!owned) {
    delete record;
    return nullptr;
  }
  // What waits in a folder goes before anything added to it.
  if (parent && owned->deferred.count(parent)) {
    FillDeferredItems(tree, parent);
    owned = OwnRecordsOf(tree);
    if (!owned) {
      delete record;
      return nullptr;
    }
  }
  // TVI_FIRST and TVI_LAST spare the control a search for a sibling handle.
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  if (expander) {
    insert.item.mask |= TVIF_CHILDREN;
    insert.item.cChildren = 1;
  }
  insert.item.pszText = const_cast<wchar_t*>(label.c_str());
  insert.item.iImage = insert.item.iSelectedImage = image;
  insert.item.lParam = reinterpret_cast<LPARAM>(record);
  HTREEITEM item =
      reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item) {
    delete record;
    return nullptr;
  }
  if (record) ++liveRecords;
  Link(*owned, item, parent, after == TVI_FIRST);
  return item;
}

}  // namespace

HTREEITEM InsertCatalogTreeItem(HWND tree, HTREEITEM parent, int kind, const std::wstring& label,
                                CatalogItem* record) {
  return InsertItem(tree, parent, parent ? TVI_LAST : TVI_FIRST, ImageOfKind(kind), label, record);
}

HTREEITEM AppendCatalogTreeItem(HWND tree, HTREEITEM parent, int imageKind, const std::wstring& label,
                                CatalogItem* record) {
  return InsertItem(tree, parent, TVI_LAST, ImageOfKind(imageKind), label, record);
}

namespace {

// The entry's item under parent, what it holds waiting with it.
HTREEITEM PlaceEntry(HWND tree, HTREEITEM parent, const std::shared_ptr<const CatalogEntries>& entries, size_t i) {
  const CatalogEntries::Entry& entry = (*entries)[i];
  bool holds = entry.end > i + 1;
  HTREEITEM item = InsertItem(tree, parent, TVI_LAST, ImageOfKind(entry.imageKind), std::wstring(entries->Label(i)),
                              new CatalogItem(entries->Record(i)), holds);
  OwnedTree* owned = item && holds ? FindOwned(tree) : nullptr;
  if (owned) {
    owned->deferred[item] = CatalogWaiting{entries, i + 1, entry.end};
    waitingEntries += entry.end - (i + 1);
  }
  return item;
}

}  // namespace

void PlaceCatalogEntries(HWND tree, HTREEITEM parent, std::shared_ptr<const CatalogEntries> entries) {
  if (!entries) return;
  // The ranges whose entries go under parent: the whole, and what a
  // placeless entry holds.
  std::vector<std::pair<size_t, size_t>> ranges = {{0, entries->Size()}};
  while (!ranges.empty()) {
    auto& range = ranges.back();
    if (range.first >= range.second) {
      ranges.pop_back();
      continue;
    }
    size_t i = range.first;
    const CatalogEntries::Entry& entry = (*entries)[i];
    range.first = entry.end;
    if (entry.placeless)
      ranges.push_back({i + 1, entry.end});
    else
      PlaceEntry(tree, parent, entries, i);
  }
}

bool FillDeferredItems(HWND tree, HTREEITEM item) {
  OwnedTree* owned = FindOwned(tree);
  if (!owned) return false;
  auto found = owned->deferred.find(item);
  if (found == owned->deferred.end()) return false;
  CatalogWaiting waiting = std::move(found->second);
  owned->deferred.erase(found);
  // Each entry becomes an item; what it holds waits on, counted again.
  waitingEntries -= waiting.end - waiting.begin;
  for (size_t i = waiting.begin; i < waiting.end; i = (*waiting.entries)[i].end)
    PlaceEntry(tree, item, waiting.entries, i);
  return true;
}

const CatalogWaiting* DeferredItemsOf(HWND tree, HTREEITEM item) {
  OwnedTree* owned = FindOwned(tree);
  if (!owned) return nullptr;
  auto found = owned->deferred.find(item);
  return found == owned->deferred.end() ? nullptr : &found->second;
}

bool DeleteCatalogTreeItem(HWND tree, HTREEITEM item) {
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
  return true;
}

bool LoadDialogTrees(HWND dialog) {
  LoadCatalogIntoTree(GetDlgItem(dialog, IDC_CATALOG_TREE),
                      KEL_TARGETDIR + L"kelconfig\\Scripts\\dialogs\\catalog.xml", L"catalog");
  LoadExtensionsIntoTree(GetDlgItem(dialog, IDC_EXTENSION_TREE),
                         KEL_TARGETDIR + L"kelconfig\\Scripts\\dialogs\\extension.xml", L"extension");
  return true;
}

bool GetTreeItemText(HWND tree, HTREEITEM item, wchar_t* buffer, int size) {
  if (!buffer || size <= 0) return false;
  buffer[0] = L'\0';
  bool ok = ReadItem(tree, item, TVIF_TEXT, buffer, size, nullptr);
  buffer[size - 1] = L'\0';
  return ok;
}

bool GetTreeItemText(HWND tree, HTREEITEM item, std::wstring& text) {
  // The control copies what fits; a label that filled the buffer may be
  // longer, so ask again with more room.
  std::vector<wchar_t> buffer(260);
  for (;;) {
    buffer[0] = L'\0';
    if (!ReadItem(tree, item, TVIF_TEXT, buffer.data(), static_cast<int>(buffer.size()), nullptr)) {
      text.clear();
      return false;
    }
    buffer.back() = L'\0';
    size_t length = wcslen(buffer.data());
    if (length + 1 < buffer.size() || buffer.size() >= 65536) {
      text.assign(buffer.data(), length);
      return true;
    }
    buffer.resize(buffer.size() * 4);
  }
}

CatalogItem* NewCatalogRecord(const std::wstring& name, const std::wstring& path, const std::wstring& parent,
                              int kind) {
  CatalogItem* record = new CatalogItem;
  record->name = name;
  record->path = path;
  record->parent = parent;
  record->kind = kind;
  return record;
}

CatalogItem* GetTreeItemRecord(HWND tree, HTREEITEM item) {
  LPARAM data = 0;
  if (!ReadItem(tree, item, TVIF_PARAM, nullptr, 0, &data)) return nullptr;
  return reinterpret_cast<CatalogItem*>(data);
}

bool GetTreeItemPath(HWND tree, HTREEITEM item, std::wstring& path) {
  if (const CatalogItem* record = GetTreeItemRecord(tree, item))
    path = record->path;
  else
    GetTreeItemText(tree, item, path);
  return true;
}

bool GetTreeItemName(HWND tree, HTREEITEM item, std::wstring& name) {
  if (const CatalogItem* record = GetTreeItemRecord(tree, item))
    name = record->name;
  else
    GetTreeItemText(tree, item, name);
  return true;
}

bool IsTreeItemKind(HWND tree, HTREEITEM item, int kind) {
  const CatalogItem* record = GetTreeItemRecord(tree, item);
  return record && record->kind == kind;
}

namespace {

bool IsFolderKind(int kind) {
  return kind == MediaKindFolder || kind < MediaKindAudio || kind > MediaKindWebMedia;
}

bool IsFolderRecord(const CatalogItem* record) { return !record || IsFolderKind(record->kind); }

bool HoldsWebMediaFolder(const CatalogWaiting& waiting) {
  for (size_t i = waiting.begin; i < waiting.end; ++i)
    if (IsFolderKind((*waiting.entries)[i].kind) && waiting.entries->Label(i) == L"Web Media") return true;
  return false;
}

}  // namespace

HTREEITEM FindWebMediaFolder(HWND tree, HTREEITEM first) {
  // Depth first without recursion: a deep catalog must not end the dialog.
  // Only a folder counts; a web item is never a place for new items, as
  // nothing below a media item is saved.
  std::vector<HTREEITEM> pending;
  HTREEITEM item = first ? first : TreeView_GetRoot(tree);
  std::wstring label;
  while (item) {
    GetTreeItemText(tree, item, label);
    if (IsFolderRecord(GetTreeItemRecord(tree, item)) && label == L"Web Media") return item;
    // A folder not opened yet is opened only when the one sought waits in it.
    const CatalogWaiting* waiting = DeferredItemsOf(tree, item);
    if (waiting && HoldsWebMediaFolder(*waiting)) FillDeferredItems(tree, item);
    HTREEITEM child = TreeView_GetChild(tree, item);
    HTREEITEM next = TreeView_GetNextSibling(tree, item);
    if (child) {
      if (next) pending.push_back(next);
      item = child;
    } else if (next) {
      item = next;
    } else if (!pending.empty()) {
      item = pending.back();
      pending.pop_back();
    } else {
      item = nullptr;
    }
  }
  return nullptr;
}

TreeShape::TreeShape(HWND tree) : tree_(tree), records_(FindOwned(tree)) {
  // Items put in some other way would be missing here: then the control
  // answers.
  if (records_ && static_cast<size_t>(SendMessageW(tree, TVM_GETCOUNT, 0, 0)) == records_->links.size())
    owned_ = records_;
}

const CatalogWaiting* TreeShape::Deferred(HTREEITEM item) const {
  if (!records_ || records_->deferred.empty()) return nullptr;
  auto found = records_->deferred.find(item);
  return found == records_->deferred.end() ? nullptr : &found->second;
}

HTREEITEM TreeShape::First() const { return owned_ ? owned_->top.firstChild : TreeView_GetRoot(tree_); }

HTREEITEM TreeShape::Child(HTREEITEM item) const {
  if (!owned_) return TreeView_GetChild(tree_, item);
  auto found = owned_->links.find(item);
  return found == owned_->links.end() ? nullptr : found->second.firstChild;
}

HTREEITEM TreeShape::Next(HTREEITEM item) const {
  if (!owned_) return TreeView_GetNextSibling(tree_, item);
  auto found = owned_->links.find(item);
  return found == owned_->links.end() ? nullptr : found->second.next;
}

HTREEITEM TreeShape::Parent(HTREEITEM item) const {
  if (!owned_) return TreeView_GetParent(tree_, item);
  auto found = owned_->links.find(item);
  return found == owned_->links.end() ? nullptr : found->second.parent;
}
