#include "settings_dialog/CatalogTree.h"

bool InitTreeImageList(HWND) { return false; }
HTREEITEM InsertCatalogTreeItem(HWND, HTREEITEM, int, const std::wstring&, CatalogItem* record) {
  delete record;
  return nullptr;
}
bool DeleteCatalogTreeItem(HWND, HTREEITEM) { return true; }
bool LoadDialogTrees(HWND) { return true; }
bool GetTreeItemText(HWND, HTREEITEM, wchar_t*, int) { return false; }
bool GetTreeItemText(HWND, HTREEITEM, std::wstring&) { return false; }
bool GetTreeItemPath(HWND, HTREEITEM, std::wstring&) { return true; }
bool GetTreeItemName(HWND, HTREEITEM, std::wstring&) { return true; }
bool IsTreeItemKind(HWND, HTREEITEM, int) { return false; }
CatalogItem* GetTreeItemRecord(HWND, HTREEITEM) { return nullptr; }
HTREEITEM FindWebMediaFolder(HWND, HTREEITEM) { return nullptr; }
