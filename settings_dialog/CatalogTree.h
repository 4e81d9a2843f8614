#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>

#include "settings_dialog/CatalogItem.h"

// The catalog tree (IDC_CATALOG_TREE) and the extension tree
// (IDC_EXTENSION_TREE) of the settings dialog: every item carries its own
// CatalogItem as item data.
//
// The records belong to their items: the first insert into a tree hooks the
// tree's parent window (its window procedure is replaced and called on) and
// frees each record after the parent has seen the tree's TVN_DELETEITEM, so
// deleting an item, emptying the tree or destroying the window frees them.
// The dialog must not free them itself. Window thread only.

// How many records the trees hold now (all trees of the process).
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
// its following siblings (from the top level when first is null). Null when
// there is none.
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
  bool Mirrored() const { return owned_ != nullptr; }

 private:
  HWND tree_;
  OwnedTree* owned_ = nullptr;
};
