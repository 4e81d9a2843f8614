#include "settings_dialog/ExtensionLookup.h"

bool IsExtensionOfKind(HWND, HTREEITEM, int, const std::wstring&) { return false; }
int ClassifyFileByExtension(HWND, const std::wstring&) { return 0; }
std::wstring FileExtensionOf(const std::wstring&) { return std::wstring(); }
ExtensionTable::ExtensionTable(HWND) {}
bool ExtensionTable::IsOfKind(int, const std::wstring&) const { return false; }
int ExtensionTable::ScanKindOf(const std::wstring&) const { return 0; }
