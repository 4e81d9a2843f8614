#include "settings_dialog/CatalogFiles.h"

bool WriteCatalogFile(HWND, const std::wstring&, const std::wstring&) { return false; }
bool LoadCatalogIntoTree(HWND, const std::wstring&, const std::wstring&) { return false; }
bool LoadExtensionsIntoTree(HWND, const std::wstring&, const std::wstring&) { return false; }
bool WriteExtensionFile(HWND, const std::wstring&, const std::wstring&) { return false; }
void GetKindGroupName(int kind, std::wstring& name) { name = GetKindGroupName(kind); }
std::wstring GetKindGroupName(int) { return L"KEL_FILTERTYPE_ERROR"; }
