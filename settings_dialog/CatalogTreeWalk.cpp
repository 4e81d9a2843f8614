#include "settings_dialog/CatalogTreeWalk.h"

void FillCatalogTree(HWND, HTREEITEM, IXMLDOMNode*) {}
void FillExtensionTree(HWND, HTREEITEM, IXMLDOMNode*) {}
void WriteCatalogItems(HWND, MSXMLParser&, HTREEITEM, const std::wstring&, int&) {}
void WriteExtensionItems(HWND, MSXMLParser&, HTREEITEM, const std::wstring&, int&) {}
