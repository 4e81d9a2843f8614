#include "settings_dialog/DialogSeams.h"

DialogSeams& GetDialogSeams() {
  static DialogSeams seams = {SHBrowseForFolderW, GetOpenFileNameW, MessageBoxW, CreateProcessW};
  return seams;
}
