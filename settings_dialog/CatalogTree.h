#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <memory>
#include <string>

#include "media/CatalogItem.h"
#include "settings_dialog/CatalogEntries.h"

// The catalog tree (IDC_CATALOG_TREE) and the extension tree
// (IDC_EXTENSION_TREE) of the settings dialog: every item carries its own
// CatalogItem as item data.
//
// The records belong to their items: the first insert into a tree hooks the
// tree's parent window (its window procedure is replaced and called on) and
// frees each record after the parent has seen the tree's TVN_DELETEITEM, so
// deleting an item, emptying the tree or destroying the window frees them.
// The dialog must not free them itself. Window thread only.
//
// A folder read from a file keeps what it holds out of the control until it
// is first opened: the item shows its expander, and its entries wait with
// it, in file order, and are inserted when the user expands it or when
// anything is inserted under it. The walks (save, search) read the waiting
// entries where the control has none.

// What waits in a folder not opened yet: the entries from begin up to end,
// those it holds directly and what they hold in turn.
struct CatalogWaiting {
  std::shared_ptr<const CatalogEntries> entries;
  size_t begin = 0;
  size_t end = 0;
};

// How many records the trees hold now (all trees of the process), waiting
// entries included.
size_t LiveCatalogTreeRecords();

// Builds the six-image list (32 x 32) of the kind icons and gives it to both
// trees of the dialog. False when it can't be made whole.
bool InitTreeImageList(HWND dialog);

// A new record for an item about to be inserted.
CatalogItem* NewCatalogRecord(const std::wstring& name, const std::wstring& path, const std::wstring& parent,
                              int kind);

// Inserts an item with the label, the kind's image and the record (taken
// over: freed with the item, or at once when the insert fails). Without a
// parent the item goes first at the top level; with one, after the parent's
// children. Null on failure.
HTREEITEM InsertCatalogTreeItem(HWND tree, HTREEITEM parent, int kind, const std::wstring& label,
                                CatalogItem* record);

// The loaders' insert: after the items already under parent (the top level
// when null), with the image of imageKind. The record is taken over.
HTREEITEM AppendCatalogTreeItem(HWND tree, HTREEITEM parent, int imageKind, const std::wstring& label,
                                CatalogItem* record);

// The entries read from a file go under parent (the top level when null),
// after the items there: those at the top of the entries become items, and
// what each holds waits with it (the item then shows its expander) until it
// is first opened. An entry that gives no item hands its place to those it
// holds.
void PlaceCatalogEntries(HWND tree, HTREEITEM parent, std::shared_ptr<const CatalogEntries> entries);

// Inserts the entries waiting in item, in their order, each keeping what it
// holds waiting. False when nothing was waiting.
bool FillDeferredItems(HWND tree, HTREEITEM item);

// The entries waiting in item; null when none wait (it never held any, or
// it was filled already).
const CatalogWaiting* DeferredItemsOf(HWND tree, HTREEITEM item);

// Deletes the item and everything below it, with their records. Always true.
bool DeleteCatalogTreeItem(HWND tree, HTREEITEM item);

// Loads KEL_TARGETDIR's "kelconfig\Scripts\dialogs\catalog.xml" into the
// catalog tree and "kelconfig\Scripts\dialogs\extension.xml" into the
// extension tree. Always true.
bool LoadDialogTrees(HWND dialog);

// The item's label. The buffer form keeps what fits (terminated); the string
// form takes the whole label.
bool GetTreeItemText(HWND tree, HTREEITEM item, wchar_t* buffer, int size);
bool GetTreeItemText(HWND tree, HTREEITEM item, std::wstring& text);

// The record's path (GetTreeItemPath) or name (GetTreeItemName), whole; the
// label when the item has no record. Always true.
bool GetTreeItemPath(HWND tree, HTREEITEM item, std::wstring& path);
bool GetTreeItemName(HWND tree, HTREEITEM item, std::wstring& name);

// True when the item exists, has a record and the record's kind is kind.
bool IsTreeItemKind(HWND tree, HTREEITEM item, int kind);

// The record of an item; null when it has none. Owned by the item.
CatalogItem* GetTreeItemRecord(HWND tree, HTREEITEM item);

// The first folder labelled exactly "Web Media", depth first from first and
// its following siblings (from the top level when first is null), waiting
// entries included: the folders that hold a waiting one are filled on the
// way. Null when there is none.
HTREEITEM FindWebMediaFolder(HWND tree, HTREEITEM first);

struct OwnedTree;

// The shape of a tree (top level, children, siblings) for long walks. It is
// read from what this program inserted and the control deleted while the
// control holds exactly those items, else from the control itself. Valid
// until the tree next changes.
class TreeShape {
 public:
  explicit TreeShape(HWND tree);
  HTREEITEM First() const;
  HTREEITEM Child(HTREEITEM item) const;
  HTREEITEM Next(HTREEITEM item) const;
  HTREEITEM Parent(HTREEITEM item) const;
  // The entries waiting in an item (DeferredItemsOf).
  const CatalogWaiting* Deferred(HTREEITEM item) const;
  bool Mirrored() const { return owned_ != nullptr; }

 private:
  HWND tree_;
  OwnedTree* records_ = nullptr;  // what this program inserted, when it did
  OwnedTree* owned_ = nullptr;    // the same when it mirrors the control
};
