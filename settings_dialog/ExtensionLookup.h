#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// Looking file extensions up in the extension tree. Extensions are compared
// whole, ignoring case: the text after the last "." of a file name against
// the text after the last "." of an entry's path (the whole path when it has
// none).

// Whether extension (without the dot) is listed for kind, from first and its
// following siblings (the tree's top level when null). An empty extension is
// never listed.
bool IsExtensionOfKind(HWND tree, HTREEITEM first, int kind, const std::wstring& extension);

// The kind of a file by its extension: AUDIO, PICTURE, PLAYLIST, VIDEO, WEBM
// asked in this order; 0 when none lists it.
int ClassifyFileByExtension(HWND dialog, const std::wstring& path);

// The text after the last "." of a file's name (not of its folders); empty
// when the name has none.
std::wstring FileExtensionOf(const std::wstring& path);

// What the extension tree lists, read once for a whole scan: the same
// answers as IsExtensionOfKind without walking the control for every file.
class ExtensionTable {
 public:
  explicit ExtensionTable(HWND tree);
  bool IsOfKind(int kind, const std::wstring& extension) const;
  // The folder scan's order: PICTURE, AUDIO, VIDEO, PLAYLIST; 0 for none.
  int ScanKindOf(const std::wstring& extension) const;

 private:
  std::vector<std::wstring> keys_[7];  // sorted upper-case extensions per kind
};
