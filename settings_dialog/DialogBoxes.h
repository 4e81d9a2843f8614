#pragma once
#include <windows.h>

#include <string>

// Shows the system's open-file dialog; true and the chosen path when the
// user chose a file, false (path unchanged) when cancelled.
bool ChooseFile(std::wstring& path, HWND owner);

// "<operation> failed with error <n>: <system text>" for the thread's last
// error, in a box captioned "Error".
void ShowLastError(const std::wstring& operation);
