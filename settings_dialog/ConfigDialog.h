#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "resources/ResourceIds.h"
#include "settings_dialog/DropTarget.h"

class KEL_Logic;

// The state of one open settings dialog (template 2003): made by the dialog
// procedure on WM_INITDIALOG, deleted before the dialog ends.
class CConfigDialog {
 public:
  explicit CConfigDialog(HWND dialog);
  ~CConfigDialog();
  CConfigDialog(const CConfigDialog&) = delete;
  CConfigDialog& operator=(const CConfigDialog&) = delete;

  HWND Window() const { return dialog_; }

  void InitControlsFromSettings();
  void ShowVersionText();
  // Controls into the settings, settings into the registry: the registry's
  // result (ERROR_SUCCESS when every value was written).
  LONG SaveSettings();
  // The catalog tree into the main catalog file; false when it was not
  // written. A main catalog that was there but could not be read is only
  // replaced when the user agrees (false, file kept, when not).
  bool SaveCatalogTree();
  // A visual or power radio clicked; any other id is not one.
  void OnRadioClicked(int id);
  void OnIntervalSliderChanged();
  void OnUrlEditChanged();
  void SetStatusText(const std::wstring& text);
  void ShowHtmlPage(const wchar_t* url);
  void CreateCatalogFromFolder();
  void OpenCatalog(HWND dialog);
  void DeleteSelectedItem();
  // The tree under the name typed in the URL edit; false when nothing was
  // written (the reason was said in a box, or the user kept the old file).
  bool SaveCatalogAs(HWND dialog);
  void AddWebMediaFromEdit(HWND dialog);
  void PlaySelectedItem();
  void LoadToolTipText(UINT stringId, NMTTDISPINFOW* request);

  // Whether the main catalog was loaded into the tree (or there was none to
  // load), so saving it loses nothing the user had.
  bool CatalogFileWasRead() const { return !catalogUnreadable_; }

 private:
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  HWND CatalogTree() const { return Item(IDC_CATALOG_TREE); }

  CDropTarget dropTarget_;
  HWND dialog_;
  HWND tooltip_ = nullptr;
  wchar_t text_[1024] = {};
  KEL_Logic* ownLogic_ = nullptr;
  bool oleStarted_ = false;
  bool dropRegistered_ = false;
  bool treesLoaded_ = false;
  bool catalogUnreadable_ = false;
};

// The playback buttons; they do nothing while no show runs in this program.
void TogglePreviewPause();
void StopPreview();

// Starts "updater.exe" of the install folder with the command line; a
// missing updater is not reported.
void RunUpdater(const wchar_t* commandLine);

// Texts of the boxes the dialog shows, for the tests that answer them.
extern const wchar_t* const kDialogMessageCaption;

// The module that carries the dialog's code and resources (kel.scr or
// kelwall.exe, or a test program).
HINSTANCE GetDialogModule();

// The main catalog file under the install folder.
std::wstring MainCatalogPath();
