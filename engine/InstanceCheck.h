#pragma once
#include <windows.h>

#include <vector>

// True when this program must not run its show or dialog because another
// instance of either program runs. The window only owns the error message.
bool IsAnotherInstanceRunning(HWND window);

// Set once a scan has seen the wallpaper program / has counted a match;
// they never go back to false in a process.
bool WasWallpaperProcessFound();
bool WasInstanceScanDone();

// The process enumeration the check uses: every id, growing the buffer while
// the system fills it to the brim. Empty when enumeration fails.
std::vector<DWORD> EnumerateProcessIds();

// Test seam: the call that lists the process ids (EnumProcesses' shape), so a
// test can make it fail or fill its buffer; null restores EnumProcesses.
using ProcessEnumerator = BOOL(WINAPI*)(DWORD* ids, DWORD bytes, DWORD* bytesReturned);
void SetProcessEnumeratorForTests(ProcessEnumerator enumerator);
