#include "settings_dialog/FolderScan.h"

void ChooseFolderAndScan(HWND) {}
void ScanFolderIntoCatalog(HWND, const std::wstring&, std::vector<FolderScanLevel>&, HTREEITEM) {}
void FolderScanTopItem(const std::wstring&, std::wstring&, std::wstring&, std::wstring&) {}
