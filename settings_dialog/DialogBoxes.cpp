#include "settings_dialog/DialogBoxes.h"

bool ChooseFile(std::wstring&, HWND) { return false; }
void ShowLastError(const std::wstring&) {}
