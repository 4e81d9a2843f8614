#pragma once
#include <windows.h>

#include "platform/ScreenSaverCallbacks.h"

// Our stand-in for the platform's screen-saver library (MinGW ships empty
// ones). The program supplies the three callbacks (ScreenSaverCallbacks.h);
// the library owns the entry point, the command line and the saver window.

// Supplied by the library.
LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

extern HINSTANCE hMainInstance;
extern HWND hMainWindow;
extern BOOL fChildPreview;

// The program's resources the library uses: the template of the configure
// dialog, and the icon of the saver window's class.
constexpr int DLG_SCRNSAVECONFIGURE = 2003;
constexpr int ID_APP = 112;

// Class of the saver window, as the platform names it.
constexpr const wchar_t* kScreenSaverWindowClass = L"WindowsScreenSaverClass";

// Runs the library for one command line (without the program name) and
// returns the process's exit code.
int RunScreenSaverLibrary(HINSTANCE instance, const wchar_t* commandLine);
