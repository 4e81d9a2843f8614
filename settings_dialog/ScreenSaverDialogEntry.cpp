// The screen-saver library's configure callbacks. The settings dialog is not
// built yet: the library finds no template 2003 and says so.
#include "platform/ScreenSaverLibrary.h"

#include <commctrl.h>

BOOL WINAPI RegisterDialogClasses(HANDLE) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  return TRUE;
}

BOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}
