#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

// The system boxes and launches the settings dialog and the catalog editor
// go through. Tests replace them to answer the boxes themselves; the program
// keeps the system's own functions.
struct DialogSeams {
  PIDLIST_ABSOLUTE(WINAPI* browseForFolder)(LPBROWSEINFOW info);
  BOOL(WINAPI* getOpenFileName)(LPOPENFILENAMEW info);
  int(WINAPI* messageBox)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
  BOOL(WINAPI* createProcess)(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES process,
                              LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                              LPCWSTR directory, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION information);
};

// The seams in use (the system's functions unless replaced).
DialogSeams& GetDialogSeams();

// Replaces the seams for its lifetime and puts the previous ones back.
class ScopedDialogSeams {
 public:
  explicit ScopedDialogSeams(const DialogSeams& seams) : saved_(GetDialogSeams()) { GetDialogSeams() = seams; }
  ~ScopedDialogSeams() { GetDialogSeams() = saved_; }
  ScopedDialogSeams(const ScopedDialogSeams&) = delete;
  ScopedDialogSeams& operator=(const ScopedDialogSeams&) = delete;

 private:
  DialogSeams saved_;
};
