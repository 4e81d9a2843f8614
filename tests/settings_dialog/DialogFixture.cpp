#include "settings_dialog/DialogFixture.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "engine/Settings.h"
#include "platform/WideText.h"
#include "media/CatalogFixtures.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/ConfigDialog.h"
#include "settings_dialog/ConfigDialogProc.h"
#include "support/TestPaths.h"

namespace {

int WINAPI FakeMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
  SeamRecord& record = Seams();
  record.boxes.push_back({owner, text ? text : L"", caption ? caption : L"", style});
  if (record.answers.empty()) return IDOK;
  int answer = record.answers.front();
  record.answers.erase(record.answers.begin());
  return answer;
}

PIDLIST_ABSOLUTE WINAPI FakeBrowse(LPBROWSEINFOW info) {
  SeamRecord& record = Seams();
  record.browseTitles.push_back(info && info->lpszTitle ? info->lpszTitle : L"");
  if (record.chosenPath.empty()) return nullptr;
  PIDLIST_ABSOLUTE list = nullptr;
  if (FAILED(SHParseDisplayName(record.chosenPath.c_str(), nullptr, &list, 0, nullptr))) return nullptr;
  return list;
}

BOOL WINAPI FakeOpenFileName(LPOPENFILENAMEW) { return FALSE; }

BOOL WINAPI FakeCreateProcess(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                              LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                              LPPROCESS_INFORMATION information) {
  SeamRecord& record = Seams();
  record.launches.push_back({application ? application : L"", commandLine ? commandLine : L""});
  // The real function may write into the command line: so does the fake
  // (a read-only text would fault here).
  if (commandLine) {
    volatile wchar_t* first = commandLine;
    wchar_t kept = *first;
    *first = L'#';
    *first = kept;
  }
  if (!record.launchSucceeds) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  record.givenProcess = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  record.givenThread = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  information->hProcess = record.givenProcess;
  information->hThread = record.givenThread;
  information->dwProcessId = 1234;
  information->dwThreadId = 5678;
  return TRUE;
}

DialogSeams FakeSeams() {
  Seams() = SeamRecord();
  DialogSeams seams = GetDialogSeams();
  seams.messageBox = FakeMessageBox;
  seams.browseForFolder = FakeBrowse;
  seams.getOpenFileName = FakeOpenFileName;
  seams.createProcess = FakeCreateProcess;
  return seams;
}

std::string ShippedExtensionList() {
  return ReadFileBytes(ProgramFolder() + L"..\\Kelvane\\kelconfig\\Scripts\\dialogs\\extension.xml");
}

}  // namespace

SeamRecord& Seams() {
  static SeamRecord record;
  return record;
}

std::string SmallCatalogXml() {
  CatalogNode holiday{L"FOLDER0", L"Holiday", L"C:/Pics/Holiday/", L"C:/Pics", {}};
  holiday.children.push_back({L"PICTURE", L"beach.jpg", L"C:/Pics/Holiday/beach.jpg", L"C:/Pics/Holiday", {}});
  holiday.children.push_back({L"AUDIO", L"song.mp3", L"C:/Pics/Holiday/song.mp3", L"C:/Pics/Holiday", {}});
  CatalogNode video{L"VIDEO", L"clip.avi", L"C:\\Videos\\clip.avi", L"C:\\Videos", {}};
  return CatalogXml({holiday, video});
}

DialogFixture::DialogFixture() : seams_(FakeSeams()) {
  install_ = MakeTempFolder(L"keldialog");
  for (const wchar_t* folder : {L"kelconfig", L"kelconfig\\Scripts", L"kelconfig\\Scripts\\dialogs"})
    if (!CreateDirectoryW((install_ + folder).c_str(), nullptr)) SetupFailed(L"could not make " + install_ + folder);
  std::string extensions = ShippedExtensionList();
  if (extensions.empty())
    SetupFailed(L"no shipped extension list beside the test programs (build the install tree)");
  else if (!WriteFileBytes(install_ + L"kelconfig\\Scripts\\dialogs\\extension.xml", extensions))
    SetupFailed(L"could not copy the extension list into " + install_);
  registry_.SetText(L"KEL_TARGETDIR", install_);
}

DialogFixture::~DialogFixture() {
  if (dialog_ && IsWindow(dialog_)) DestroyWindow(dialog_);
  RemoveTree(install_);
}

void DialogFixture::SetupFailed(const std::wstring& what) {
  if (setupFailure_.empty()) setupFailure_ = what;
}

std::wstring DialogFixture::CatalogPath() const { return install_ + L"kelconfig\\Scripts\\dialogs\\catalog.xml"; }

void DialogFixture::WriteCatalog(const std::string& xml) {
  if (!WriteFileBytes(CatalogPath(), xml)) SetupFailed(L"could not write " + CatalogPath());
}

bool DialogFixture::Open() {
  // A dialog opened on a half-made install would compare what is missing
  // with nothing, and pass.
  if (!setupFailure_.empty()) {
    ADD_FAILURE() << "the dialog's install is not set up: " << WideToUtf8(setupFailure_);
    return false;
  }
  // A dialog ended by OK or Cancel is only hidden (it is modeless here).
  if (dialog_ && IsWindow(dialog_)) DestroyWindow(dialog_);
  InitDialogControls();
  dialog_ = CreateDialogParamW(GetDialogModule(), MAKEINTRESOURCEW(IDD_SETTINGS_DIALOG), nullptr,
                               ScreenSaverConfigureDialog, 0);
  if (!dialog_) return false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

bool DialogFixture::Ended() const { return GetCurrentConfigDialog() == nullptr; }

void DialogFixture::Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }

void DialogFixture::Command(int id, int code) {
  SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Control(id)));
}

void DialogFixture::SetText(int id, const std::wstring& text) { SetWindowTextW(Control(id), text.c_str()); }

std::wstring DialogFixture::Text(int id) const {
  wchar_t buffer[2048] = {};
  GetWindowTextW(Control(id), buffer, 2048);
  return buffer;
}

bool DialogFixture::Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

void DialogFixture::SetChecked(int id, bool checked) {
  if (Checked(id) != checked) Click(id);
}

bool DialogFixture::Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

bool DialogFixture::Visible(int id) const { return (GetWindowLongW(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }

std::wstring TreeText(HWND tree, HTREEITEM first) {
  std::wstring out;
  for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
    TreeView_Expand(tree, item, TVE_EXPAND);
    wchar_t label[1024] = {};
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = label;
    data.cchTextMax = 1024;
    TreeView_GetItem(tree, &data);
    if (!out.empty()) out += L", ";
    out += label;
    HTREEITEM child = TreeView_GetChild(tree, item);
    if (child) out += L"(" + TreeText(tree, child) + L")";
  }
  return out;
}

std::wstring DialogFixture::CatalogTreeText() const {
  HWND tree = Control(IDC_CATALOG_TREE);
  return TreeText(tree, TreeView_GetRoot(tree));
}

std::wstring DialogFixture::ExtensionTreeText() const {
  HWND tree = Control(IDC_EXTENSION_TREE);
  return TreeText(tree, TreeView_GetRoot(tree));
}

namespace {
HTREEITEM FindIn(HWND tree, HTREEITEM first, const std::wstring& label) {
  for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
    wchar_t text[1024] = {};
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 1024;
    TreeView_GetItem(tree, &data);
    if (label == text) return item;
    TreeView_Expand(tree, item, TVE_EXPAND);
    if (HTREEITEM found = FindIn(tree, TreeView_GetChild(tree, item), label)) return found;
  }
  return nullptr;
}
}  // namespace

HTREEITEM DialogFixture::FindCatalogItem(const std::wstring& label) const {
  HWND tree = Control(IDC_CATALOG_TREE);
  return FindIn(tree, TreeView_GetRoot(tree), label);
}

void DialogFixture::SelectCatalogItem(HTREEITEM item) {
  TreeView_SelectItem(Control(IDC_CATALOG_TREE), item);
}

DWORD DialogFixture::Dword(const wchar_t* name, DWORD missing) const {
  DWORD value = missing;
  return registry_.GetDword(name, &value) ? value : missing;
}
