#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "settings_dialog/DialogSeams.h"
#include "support/RegistrySandbox.h"

// What the dialog asked through its seams, and how the test answers.
struct SeamRecord {
  struct Box {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT style;
  };
  std::vector<Box> boxes;
  std::vector<int> answers;  // answers in turn; IDOK when they run out
  std::wstring chosenPath;   // what the folder browser "chooses"; empty: cancel
  std::vector<std::wstring> browseTitles;
  struct Launch {
    std::wstring application;
    std::wstring commandLine;
  };
  std::vector<Launch> launches;
  bool launchSucceeds = true;
  HANDLE givenProcess = nullptr;  // handles handed back by the fake launch
  HANDLE givenThread = nullptr;
};
SeamRecord& Seams();

// An install folder with a catalog and the shipped extension list, the
// registry naming it, the dialog's seams answered by the test, and the
// settings dialog made from template 2003 (modeless, so the test thread
// drives it with messages).
class DialogFixture {
 public:
  DialogFixture();
  ~DialogFixture();

  // The install folder, with its trailing backslash.
  const std::wstring& Install() const { return install_; }
  std::wstring CatalogPath() const;
  void WriteCatalog(const std::string& xml);
  RegistrySandbox& Registry() { return registry_; }

  // Opens the dialog (after the registry and files are set up), again after
  // OK or Cancel too; false, with a test failure, when the install or the
  // catalog could not be written, and false when the dialog could not be made.
  bool Open();
  HWND Dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }
  // The dialog object is gone (OK or Cancel ended it).
  bool Ended() const;

  void Click(int id);
  void Command(int id, int code = 0);
  void SetText(int id, const std::wstring& text);
  std::wstring Text(int id) const;
  bool Checked(int id) const;
  void SetChecked(int id, bool checked);
  bool Enabled(int id) const;
  bool Visible(int id) const;
  void Ok() { Command(IDOK); }
  void Cancel() { Command(IDCANCEL); }

  // Trees as text: "A, B(X, Y), C" for the top level and the children,
  // opening every folder on the way as a user would.
  std::wstring CatalogTreeText() const;
  std::wstring ExtensionTreeText() const;
  // The first item with the label, depth first, opening the folders it
  // looks into.
  HTREEITEM FindCatalogItem(const std::wstring& label) const;
  void SelectCatalogItem(HTREEITEM item);

  DWORD Dword(const wchar_t* name, DWORD missing = 0xDEADBEEF) const;

 private:
  RegistrySandbox registry_;
  ScopedDialogSeams seams_;
  void SetupFailed(const std::wstring& what);

  std::wstring install_;
  std::wstring setupFailure_;  // the first thing that went wrong, if any
  HWND dialog_ = nullptr;
};

// A tree control's items as text, opening every folder (see
// CatalogTreeText).
std::wstring TreeText(HWND tree, HTREEITEM first);

// A small catalog: a folder "Holiday" with a picture and an audio item, a
// video at the top level.
std::string SmallCatalogXml();
