#include "settings_dialog/ConfigDialogProc.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "engine/ScrSvrThread.h"
#include "engine/ShowRequests.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/CatalogAdditions.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/ConfigDialog.h"
#include "engine/Settings.h"
#include "settings_dialog/DialogSeams.h"
#include "settings_dialog/DialogVariant.h"

namespace {

CConfigDialog* g_dialog = nullptr;
unsigned char g_dialogOpen = 0;

// Messages of a second dialog (refused at its start) never reach the open
// dialog's object.
CConfigDialog* ObjectOf(HWND dialog) { return g_dialog && g_dialog->Window() == dialog ? g_dialog : nullptr; }

void DeleteDialogObject() {
  delete g_dialog;
  g_dialog = nullptr;
  g_dialogOpen = 0;
}

// OK keeps the dialog open when something could not be saved, so the user's
// changes are not lost behind a closed window.
void SaveAndClose(HWND dialog, CConfigDialog* object) {
  if (object) {
    LONG settings = object->SaveSettings();
    bool catalog = object->SaveCatalogTree();
    if (settings != ERROR_SUCCESS || !catalog) {
      std::wstring text;
      if (settings != ERROR_SUCCESS)
        text += L"The settings could not be saved (error " + std::to_wstring(settings) + L").\n";
      if (!catalog) text += L"The catalog could not be saved to\n" + MainCatalogPath() + L"\n";
      text += L"\nThe dialog stays open.";
      GetDialogSeams().messageBox(dialog, text.c_str(), kDialogMessageCaption, MB_OK | MB_ICONWARNING);
      return;
    }
  }
  DeleteDialogObject();
  OnDialogSaved();
  EndDialog(dialog, 1);
}

// The show stops its playback at its next frame and then closes its window,
// which ends the program; the settings and the catalog are saved meanwhile.
void CloseProgram(CConfigDialog* object) {
  if (GetScrSvrThread()) RequestShowClose();
  if (object) {
    object->SaveSettings();
    object->SaveCatalogTree();
  }
}

void DropFiles(HWND dialog, HDROP drop) {
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::vector<wchar_t> name(length + 1);
    if (DragQueryFileW(drop, i, name.data(), length + 1) == 0) continue;
    DropFileIntoCatalog(dialog, std::wstring(name.data()));
  }
  DragFinish(drop);
}

// Commands with notification code 0 (buttons clicked).
void OnClick(HWND dialog, CConfigDialog* object, int id) {
  switch (id) {
    case IDC_UPDATE:
      RunUpdater(L"updater.exe /checknow");
      break;
    case IDC_OPEN_CATALOG:
      if (object) object->OpenCatalog(dialog);
      break;
    case IDC_CREATE_CATALOG:
      if (object) object->CreateCatalogFromFolder();
      break;
    case IDC_DELETE_ITEM:
      if (object) object->DeleteSelectedItem();
      break;
    case IDC_SAVE_CATALOG:
      if (object) object->SaveCatalogAs(dialog);
      break;
    case IDC_ADD_MEDIA:
      if (object) object->AddWebMediaFromEdit(dialog);
      break;
    case IDC_RENAME_URLS:
      // The drop target reads it at the next drop, before OK.
      RenameDrops = IsDlgButtonChecked(dialog, IDC_RENAME_URLS) == BST_CHECKED;
      break;
    case IDC_PLAY:
      // Play stops what plays itself, and only when it has an item to play.
      if (object) object->PlaySelectedItem();
      break;
    case IDC_PAUSE:
      TogglePreviewPause();
      break;
    case IDC_STOP:
      StopPreview();
      break;
    case IDC_MUTE_AUDIO:
      OnDialogMuteClicked(IsDlgButtonChecked(dialog, IDC_MUTE_AUDIO) == BST_CHECKED);
      break;
    default:
      if (object) object->OnRadioClicked(id);
      break;
  }
}

}  // namespace

CConfigDialog* GetCurrentConfigDialog() { return g_dialog; }

bool InitDialogControls() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  return InitCommonControlsEx(&controls) != FALSE;
}

INT_PTR RunSettingsDialog(HWND owner) {
  InitDialogControls();
  return DialogBoxParamW(GetDialogModule(), MAKEINTRESOURCEW(IDD_SETTINGS_DIALOG), owner, ScreenSaverConfigureDialog,
                         0);
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (!g_dialogOpen) {
        g_dialog = new CConfigDialog(dialog);
        g_dialogOpen = 1;
      } else {
        GetDialogSeams().messageBox(nullptr, L"Only one instance allowed!", L"Kelvane Error!", MB_ICONWARNING);
        EndDialog(dialog, 0);
      }
      return TRUE;

    case WM_COMMAND: {
      int id = LOWORD(wParam);
      CConfigDialog* object = ObjectOf(dialog);
      switch (id) {
        case IDOK:
          SaveAndClose(dialog, object);
          return TRUE;
        case IDCANCEL:
          if (object) DeleteDialogObject();
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_HELP_BUTTON:
          if (object) object->ShowHtmlPage(L"res://kel.scr/105");
          return TRUE;
        case IDC_URL_EDIT:
          if (object) object->OnUrlEditChanged();
          break;
        case IDC_CLOSE_WALLPAPER:
          if (DialogCloseEndsProgram()) CloseProgram(object);
          return FALSE;
      }
      if (HIWORD(wParam) == 0) OnClick(dialog, object, id);
      return FALSE;
    }

    case WM_NOTIFY: {
      CConfigDialog* object = ObjectOf(dialog);
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (object && wParam == IDC_CATALOG_TREE && header && header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        HWND tree = GetDlgItem(dialog, IDC_CATALOG_TREE);
        HTREEITEM selected = TreeView_GetSelection(tree);
        if (selected) {
          std::wstring path;
          GetTreeItemPath(tree, selected, path);
          object->SetStatusText(path);
        }
      }
      return FALSE;
    }

    case WM_HSCROLL:
      if (ObjectOf(dialog) && lParam && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_INTERVAL_SLIDER)
        g_dialog->OnIntervalSliderChanged();
      return FALSE;

    case WM_DROPFILES:
      if (ObjectOf(dialog))
        DropFiles(dialog, reinterpret_cast<HDROP>(wParam));
      else
        DragFinish(reinterpret_cast<HDROP>(wParam));
      return FALSE;

    case WM_DESTROY:
      // Destroyed without OK or Cancel (its owner went first): the drop
      // registration and OLE still end with the object.
      if (ObjectOf(dialog)) DeleteDialogObject();
      return FALSE;
  }
  return FALSE;
}
