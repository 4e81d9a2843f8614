// The screen-saver library's configure callback that is not the dialog
// procedure itself.
#include "platform/ScreenSaverLibrary.h"

// Nothing of our own to register; the template's tree views, trackbar and
// tooltips are the system's common controls, which must be ready before the
// library creates the dialog.
BOOL WINAPI RegisterDialogClasses(HANDLE) {
  InitDialogControls();
  return TRUE;
}
