// The settings dialog's commands: catalogs, web addresses, playback, help and
// the updater.
#include <shlobj.h>
#include <urlmon.h>

#include <vector>

#include "engine/ScrSvrThread.h"
#include "engine/Settings.h"
#include "engine/ShowRequests.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "platform/ComPtr.h"
#include "platform/Scoped.h"
#include "settings_dialog/CatalogAdditions.h"
#include "settings_dialog/CatalogFiles.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/ConfigDialog.h"
#include "settings_dialog/DialogRules.h"
#include "settings_dialog/DialogSeams.h"
#include "settings_dialog/DialogText.h"
#include "settings_dialog/FolderScan.h"
#include "settings_dialog/ScopedRedraw.h"

namespace {

// kel's configure mode has no player: the playback buttons only reach one
// that the running show owns.
bool ShowIsRunning() { return GetScrSvrThread() != nullptr && GetListPlayer() != nullptr; }

int Ask(HWND owner, const std::wstring& text, UINT style) {
  return GetDialogSeams().messageBox(owner, text.c_str(), kDialogMessageCaption, style);
}

}  // namespace

void CConfigDialog::CreateCatalogFromFolder() {
  HTREEITEM added;
  {
    ScopedRedraw quiet(CatalogTree());
    added = ChooseFolderAndScan(dialog_);
  }
  // The user sees what was added, wherever the tree was scrolled to.
  if (!added) return;
  TreeView_SelectItem(CatalogTree(), added);
  TreeView_EnsureVisible(CatalogTree(), added);
}

void CConfigDialog::OpenCatalog(HWND dialog) {
  std::wstring folder = KEL_TARGETDIR + L"kelconfig\\Scripts\\MyCatalogs\\";
  ScopedItemIdList root;
  if (FAILED(SHParseDisplayName(folder.c_str(), nullptr, root.Receive(), 0, nullptr))) root.Reset();
  BROWSEINFOW info = {};
  info.hwndOwner = nullptr;
  info.pidlRoot = root.Get();
  info.lpszTitle = L"Select a Catalog XML description:";
  info.ulFlags = BIF_BROWSEINCLUDEFILES | BIF_STATUSTEXT;
  ScopedItemIdList chosen(GetDialogSeams().browseForFolder(&info));
  if (!chosen.Get()) return;
  std::vector<wchar_t> path(32768);
  if (!SHGetPathFromIDListEx(chosen.Get(), path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT) ||
      !path[0])
    return;
  ScopedRedraw quiet(CatalogTree());
  LoadCatalogIntoTree(CatalogTree(), path.data(), L"catalog");
}

void CConfigDialog::DeleteSelectedItem() {
  HTREEITEM selected = TreeView_GetSelection(CatalogTree());
  std::wstring path;
  if (selected) {
    GetTreeItemPath(CatalogTree(), selected, path);
    DeleteCatalogTreeItem(CatalogTree(), selected);
  }
  TreeView_SelectItem(CatalogTree(), nullptr);
  // Nothing is selected now: the line says what went.
  if (selected) SetStatusText(path);
}

bool CConfigDialog::SaveCatalogAs(HWND dialog) {
  std::wstring name = GetDialogItemText(dialog, IDC_URL_EDIT);
  SetDlgItemTextW(dialog, IDC_URL_EDIT, L"");
  EnableWindow(GetDlgItem(dialog, IDC_SAVE_CATALOG), FALSE);
  if (name.empty()) return false;
  std::wstring problem = CatalogNameProblem(name);
  if (!problem.empty()) {
    Ask(dialog, L"The catalog can't be saved as \"" + name + L"\".\n" + problem, MB_OK | MB_ICONWARNING);
    return false;
  }
  std::wstring folder = KEL_TARGETDIR + L"kelconfig\\Scripts\\MyCatalogs";
  int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
    Ask(dialog, L"The folder\n" + folder + L"\ncould not be made (error " + std::to_wstring(made) + L").",
        MB_OK | MB_ICONWARNING);
    return false;
  }
  std::wstring path = folder + L"\\" + name + L".xml";
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
      Ask(dialog, L"A catalog named \"" + name + L"\" exists already.\nReplace it?",
          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return false;
  if (!WriteCatalogFile(CatalogTree(), path, L"catalog")) {
    Ask(dialog, L"The catalog could not be saved as\n" + path, MB_OK | MB_ICONWARNING);
    return false;
  }
  return true;
}

void CConfigDialog::AddWebMediaFromEdit(HWND dialog) {
  std::wstring name = GetDialogItemText(dialog, IDC_URL_NAME_EDIT);
  std::wstring address = GetDialogItemText(dialog, IDC_URL_EDIT);
  if (!address.empty()) AddWebMediaItem(dialog, name.empty() ? address : name, address, nullptr);
  EnableWindow(GetDlgItem(dialog, IDC_URL_NAME_EDIT), FALSE);
  EnableWindow(GetDlgItem(dialog, IDC_ADD_MEDIA), FALSE);
  SetDlgItemTextW(dialog, IDC_URL_NAME_EDIT, L"");
  SetDlgItemTextW(dialog, IDC_URL_EDIT, L"");
}

// Without an AUDIO or VIDEO item selected, Play goes on with a paused item
// and stops nothing.
void CConfigDialog::PlaySelectedItem() {
  if (!ShowIsRunning()) return;
  HTREEITEM selected = TreeView_GetSelection(CatalogTree());
  bool audio = selected && IsTreeItemKind(CatalogTree(), selected, MediaKindAudio);
  bool video = selected && IsTreeItemKind(CatalogTree(), selected, MediaKindVideo);
  if (!audio && !video) {
    RequestPlaybackResume();
    return;
  }
  std::wstring path;
  GetTreeItemPath(CatalogTree(), selected, path);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  // The player is the show's: the worker plays the item at its next frame.
  RequestDialogPlay(path, audio ? MediaKindAudio : MediaKindVideo);
}

void TogglePreviewPause() {
  if (!ShowIsRunning()) return;
  PostShowRequest([] {
    const int kPaused = 4;  // libvlc's player state
    bool pause = GetPlayerState() != kPaused;
    if (GetCurrentMediaKind() == MediaKindWebMedia)
      PauseListPlayer(pause);
    else
      PausePlayer(pause);
  });
}

void StopPreview() {
  if (!ShowIsRunning()) return;
  RequestPlaybackStop();
}

void CConfigDialog::ShowHtmlPage(const wchar_t* url) {
  typedef HRESULT(STDAPICALLTYPE * ShowHtmlDialogEx)(HWND, IMoniker*, DWORD, VARIANT*, LPWSTR, VARIANT*);
  HMODULE mshtml = LoadLibraryW(L"mshtml.dll");
  if (!mshtml) return;
  auto show = reinterpret_cast<ShowHtmlDialogEx>(GetProcAddress(mshtml, "ShowHTMLDialogEx"));
  if (show) {
    ComBstr address{std::wstring(url)};
    ComPtr<IMoniker> moniker;
    if (address.Get() && SUCCEEDED(CreateURLMoniker(nullptr, address.Get(), moniker.Receive())) && moniker) {
      wchar_t options[] = L"help:no";
      show(dialog_, moniker.Get(), 0x20 /* HTMLDLG_MODAL */, nullptr, options, nullptr);
    }
  }
  FreeLibrary(mshtml);
}

void RunUpdater(const wchar_t* commandLine) {
  std::wstring application = KEL_TARGETDIR + L"updater.exe";
  // CreateProcessW may write into its command line.
  std::vector<wchar_t> line(commandLine, commandLine + wcslen(commandLine) + 1);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!GetDialogSeams().createProcess(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process))
    return;
  // Nobody waits for the updater.
  ScopedHandle thread(process.hThread);
  ScopedHandle started(process.hProcess);
}
