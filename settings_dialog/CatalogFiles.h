#pragma once
#include <windows.h>

#include <string>

// The catalog file and the extension-list file, read into and written from
// the dialog's tree views. Every load or save makes its own parser.

// Writes the whole tree as a catalog (root "CATALOG", declaration UTF-8),
// every level in the tree's order, folders not opened yet included; loading
// the file gives the same tree back. The document replaces the old file only
// once it is complete (ReplacingFile): false when anything failed, GetLastError
// says why, and the old file is untouched. topName is not used.
bool WriteCatalogFile(HWND tree, const std::wstring& path, const std::wstring& topName);

// Appends the items of a catalog file to the tree. False when the file gives
// no root element (missing, empty, malformed): the tree keeps what it held.
// topName is not used.
bool LoadCatalogIntoTree(HWND tree, const std::wstring& path, const std::wstring& topName);

// The same for the extension list.
bool LoadExtensionsIntoTree(HWND tree, const std::wstring& path, const std::wstring& topName);

// Writes the tree with the root "EXTENSION" holding one "ExtList" element;
// the same safe replacement as WriteCatalogFile. The third argument is not
// used.
bool WriteExtensionFile(HWND tree, const std::wstring& path, const std::wstring& unused);

// The name of a kind as a group label of the extension tree: "AUDIO",
// "PICTURE", "PLAYLIST", "VIDEO", "FOLDER", "WEBM", else
// "KEL_FILTERTYPE_ERROR".
void GetKindGroupName(int kind, std::wstring& name);
std::wstring GetKindGroupName(int kind);
