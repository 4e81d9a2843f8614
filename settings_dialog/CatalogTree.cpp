#include "settings_dialog/CatalogTree.h"

#include <atomic>
#include <vector>

#include "engine/Settings.h"
#include "media/MediaKind.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/CatalogFiles.h"

namespace {

const wchar_t kOwnedTreeProp[] = L"KelCatalogTreeRecords";
const wchar_t kImageListProp[] = L"KelCatalogTreeImages";
const UINT_PTR kRecordOwnerId = 0x4b656c31;  // one subclass per parent window
const UINT_PTR kImageListOwnerId = 0x4b656c32;

std::atomic<size_t> liveRecords{0};

// Image indexes of the kinds, as the list was built (the order of the
// bitmaps gives 0..5 unless the list was made some other way).
int kindImage[7] = {0, 5, 2, 3, 4, 1, 0};

int ImageOfKind(int kind) { return kind >= 1 && kind <= 5 ? kindImage[kind] : kindImage[0]; }

// Frees the record of every item of our trees once the dialog has seen the
// deletion; takes itself off when the window ends.
LRESULT CALLBACK RecordOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR) {
  if (message == WM_NOTIFY) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if ((header->code == TVN_DELETEITEMW || header->code == TVN_DELETEITEMA) &&
        GetPropW(header->hwndFrom, kOwnedTreeProp)) {
      LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      const NMTREEVIEWW* view = reinterpret_cast<const NMTREEVIEWW*>(lParam);
      if (CatalogItem* record = reinterpret_cast<CatalogItem*>(view->itemOld.lParam)) {
        delete record;
        --liveRecords;
      }
      return result;
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, RecordOwnerProc, id);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK ImageListOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, ImageListOwnerProc, id);
    ImageList_Destroy(static_cast<HIMAGELIST>(RemovePropW(window, kImageListProp)));
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

bool OwnRecordsOf(HWND tree) {
  if (GetPropW(tree, kOwnedTreeProp)) return true;
  HWND parent = GetParent(tree);
  if (!parent || !SetWindowSubclass(parent, RecordOwnerProc, kRecordOwnerId, 0)) return false;
  // The property goes with the tree window itself when it is destroyed.
  return SetPropW(tree, kOwnedTreeProp, reinterpret_cast<HANDLE>(1)) != FALSE;
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

size_t LiveCatalogTreeRecords() { return liveRecords; }

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
  if (HIMAGELIST old = static_cast<HIMAGELIST>(RemovePropW(dialog, kImageListProp))) ImageList_Destroy(old);
  SetPropW(dialog, kImageListProp, list);
  SetWindowSubclass(dialog, ImageListOwnerProc, kImageListOwnerId, 0);
  SendDlgItemMessageW(dialog, IDC_CATALOG_TREE, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
  SendDlgItemMessageW(dialog, IDC_EXTENSION_TREE, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
  return true;
}

namespace {

HTREEITEM InsertItem(HWND tree, HTREEITEM parent, HTREEITEM after, int image, const std::wstring& label,
                     CatalogItem* record) {
  if (!OwnRecordsOf(tree)) {
    delete record;
    return nullptr;
  }
  // TVI_FIRST and TVI_LAST spare the control a search for a sibling handle.
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<wchar_t*>(label.c_str());
  insert.item.iImage = insert.item.iSelectedImage = image;
  insert.item.lParam = reinterpret_cast<LPARAM>(record);
  HTREEITEM item =
      reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item)
    delete record;
  else if (record)
    ++liveRecords;
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

HTREEITEM FindWebMediaFolder(HWND tree, HTREEITEM first) {
  // Depth first without recursion: a deep catalog must not end the dialog.
  // Only a folder counts; a web item is never a place for new items, as
  // nothing below a media item is saved.
  std::vector<HTREEITEM> pending;
  HTREEITEM item = first ? first : TreeView_GetRoot(tree);
  std::wstring label;
  while (item) {
    GetTreeItemText(tree, item, label);
    const CatalogItem* record = GetTreeItemRecord(tree, item);
    bool folder = !record || record->kind == MediaKindFolder || record->kind < MediaKindAudio ||
                  record->kind > MediaKindWebMedia;
    if (folder && label == L"Web Media") return item;
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
