#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

struct IXMLDOMNode;
class MSXMLParser;

// The walks between a DOM and a tree. They keep their position on the heap,
// not on the call stack, so a file nested thousands of levels deep neither
// overflows the dialog's stack nor is cut.

// Turns first, its descendants and its following siblings into items under
// parent (the top level when null), each level in document order. Every
// element gives an item except one labelled "catalog" (any case) when it is
// the document element; its children take its place.
void FillCatalogTree(HWND tree, HTREEITEM parent, IXMLDOMNode* first);

// The same for the extension list: elements labelled "extension" or
// "extlist" (any case) give no item; kinds come from the labels of the
// groups.
void FillExtensionTree(HWND tree, HTREEITEM parent, IXMLDOMNode* first);

// Writes first and its following siblings (the top level when null), with
// everything below the folders, as elements under the parser's current
// node, each as its parent's first child. counter numbers the "FOLDER"
// elements over the whole walk. The parser's current node is back where it
// was when the walk returns.
void WriteCatalogItems(HWND tree, MSXMLParser& parser, HTREEITEM first, const std::wstring& parentName,
                       int& counter);
void WriteExtensionItems(HWND tree, MSXMLParser& parser, HTREEITEM first, const std::wstring& parentName,
                         int& counter);
