// The screen-saver library's configure callback that is not the dialog
// procedure itself.
#include "platform/ScreenSaverLibrary.h"

#include "resources/ResourceIds.h"
#include "settings_dialog/ConfigDialogProc.h"

// The library loads these by its own ids.
static_assert(DLG_SCRNSAVECONFIGURE == IDD_SETTINGS_DIALOG, "the configure dialog is the settings dialog");
static_assert(ID_APP == IDI_KELVANE, "the saver window's class carries the program's icon");

// Nothing of our own to register; the template's tree views, trackbar and
// tooltips are the system's common controls, which must be ready before the
// library creates the dialog.
BOOL WINAPI RegisterDialogClasses(HANDLE) {
  InitDialogControls();
  return TRUE;
}
