#pragma once
#include <windows.h>

#include "settings_dialog/ConfigDialogProc.h"

// Our stand-in for the platform's screen-saver library (MinGW ships empty
// ones). The program supplies the three callbacks; the library owns the entry
// point, the command line and the saver window.

// Supplied by the program.
LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// ScreenSaverConfigureDialog: settings_dialog/ConfigDialogProc.h.
BOOL WINAPI RegisterDialogClasses(HANDLE instance);

// Supplied by the library.
LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

extern HINSTANCE hMainInstance;
extern HWND hMainWindow;
extern BOOL fChildPreview;

// Template of the configure dialog.
constexpr int DLG_SCRNSAVECONFIGURE = 2003;

// Class of the saver window, as the platform names it.
constexpr const wchar_t* kScreenSaverWindowClass = L"WindowsScreenSaverClass";

// Runs the library for one command line (without the program name) and
// returns the process's exit code.
int RunScreenSaverLibrary(HINSTANCE instance, const wchar_t* commandLine);
