#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

struct IXMLDOMNode;
class CatalogXmlText;

// The walks between a DOM and a tree. They keep their position on the heap,
// not on the call stack, so a file nested thousands of levels deep neither
// overflows the dialog's stack nor is cut.

// Turns first and its following siblings into items under parent (the top
// level when null), and everything they hold into entries that wait in them
// until each is opened; every level in document order. Every element gives
// an item except one labelled "catalog" (any case) when it is the document
// element; its children take its place.
void FillCatalogTree(HWND tree, HTREEITEM parent, IXMLDOMNode* first);

// The same for the extension list: elements labelled "extension" or
// "extlist" (any case) give no item; kinds come from the labels of the
// groups.
void FillExtensionTree(HWND tree, HTREEITEM parent, IXMLDOMNode* first);

// Writes first and its following siblings (the top level when null), with
// everything below the folders (what waits in folders not opened yet
// included), as elements inside the element the text is in, every level in
// the tree's order. counter numbers the "FOLDER" elements over the whole
// walk, depth first. The text is back in the same element when the walk
// returns.
void WriteCatalogItems(HWND tree, CatalogXmlText& out, HTREEITEM first, const std::wstring& parentName,
                       int& counter);
void WriteExtensionItems(HWND tree, CatalogXmlText& out, HTREEITEM first, const std::wstring& parentName,
                         int& counter);
