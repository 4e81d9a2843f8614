#pragma once
#include <windows.h>

#include <string>

// A control's whole text, however long the user made it.
std::wstring GetDialogItemText(HWND dialog, int id);

// A string-table entry of the dialog's module, whole.
std::wstring LoadDialogString(UINT id);
