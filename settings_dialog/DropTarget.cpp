#include "settings_dialog/DropTarget.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "engine/Settings.h"
#include "platform/ComPtr.h"
#include "platform/Scoped.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/CatalogAdditions.h"
#include "settings_dialog/DialogRules.h"
#include "settings_dialog/DialogSeams.h"
#include "settings_dialog/FolderScan.h"

namespace {

// Only a copy, and only when the source allows one and the shell would
// take the drag: the shell answers "move" within one drive, and a source told
// "move" deletes its originals.
DWORD CopyOrNone(HRESULT shellResult, DWORD shellEffect, DWORD allowed) {
  if (FAILED(shellResult) || shellEffect == DROPEFFECT_NONE) return DROPEFFECT_NONE;
  return (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

// The data object's global memory in the format, held in medium; false when
// it has none.
bool GetGlobalMedium(IDataObject* data, CLIPFORMAT format, ScopedStgMedium& medium) {
  FORMATETC wanted = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return SUCCEEDED(data->GetData(&wanted, medium.Receive())) && medium.Memory();
}

std::wstring AnsiToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length > 0 ? length : 0, L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

// "scheme://something": what a browser puts into the URL format. Plain
// words dropped in that format are no address to play.
bool LooksLikeAddress(const std::wstring& text) {
  size_t colon = text.find(L"://");
  if (colon == std::wstring::npos || colon == 0 || colon + 3 >= text.size()) return false;
  for (size_t i = 0; i < colon; ++i) {
    wchar_t c = text[i];
    bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    if (!letter && !(i > 0 && ((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.'))) return false;
  }
  return true;
}

int CatalogItemCount(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageW(dialog, IDC_CATALOG_TREE, TVM_GETCOUNT, 0, 0));
}

// The drop target the shell's folder view would use for the folder.
IDropTarget* BindShellTarget(const std::wstring& path) {
  if (path.empty()) return nullptr;
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Receive()))) return nullptr;
  std::wstring folder = path;
  // Parsed by the desktop, the relative list is an absolute one.
  ScopedRelativeItemIdList list;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, &folder[0], nullptr, list.Receive(), nullptr)) ||
      !list.Get())
    return nullptr;
  void* target = nullptr;
  ComPtr<IShellFolder> parent;
  PCUITEMID_CHILD last = nullptr;
  if (SUCCEEDED(SHBindToParent(reinterpret_cast<PCIDLIST_ABSOLUTE>(list.Get()), IID_IShellFolder,
                               reinterpret_cast<void**>(parent.Receive()), &last)))
    if (FAILED(parent->GetUIObjectOf(nullptr, 1, &last, IID_IDropTarget, nullptr, &target))) target = nullptr;
  return static_cast<IDropTarget*>(target);
}

CDropTarget::ShellTargetBinder g_binder = BindShellTarget;

}  // namespace

void CDropTarget::SetShellTargetBinderForTests(ShellTargetBinder binder) {
  g_binder = binder ? binder : BindShellTarget;
}

CDropTarget::CDropTarget() = default;

// A shell target still held is left alone: the dialog ends inside OLE's own
// teardown, where releasing it is not ours to do.
CDropTarget::~CDropTarget() = default;

STDMETHODIMP CDropTarget::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    *out = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

// The object lives inside the dialog's; the count never frees it.
STDMETHODIMP_(ULONG) CDropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
STDMETHODIMP_(ULONG) CDropTarget::Release() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

void CDropTarget::ReleaseShellTarget() {
  if (shellTarget_) shellTarget_->Release();
  shellTarget_ = nullptr;
}

STDMETHODIMP CDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  DWORD allowed = *effect;
  ReleaseShellTarget();
  bool accepted = false;
  shellTarget_ = g_binder(KEL_TARGETDIR);
  if (shellTarget_) {
    DWORD shellEffect = allowed;
    HRESULT hr = shellTarget_->DragEnter(data, keyState, point, &shellEffect);
    *effect = CopyOrNone(hr, shellEffect, allowed);
    accepted = *effect != DROPEFFECT_NONE;
  }
  if (!accepted) *effect = DROPEFFECT_NONE;
  return S_OK;
}

STDMETHODIMP CDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!shellTarget_) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  DWORD allowed = *effect;
  DWORD shellEffect = allowed;
  HRESULT hr = shellTarget_->DragOver(keyState, point, &shellEffect);
  *effect = CopyOrNone(hr, shellEffect, allowed);
  return hr;
}

STDMETHODIMP CDropTarget::DragLeave() {
  if (!shellTarget_) return S_OK;
  HRESULT hr = shellTarget_->DragLeave();
  ReleaseShellTarget();
  return hr;
}

// The address text may come without its terminator: it is read only within
// the memory the source gave.
bool CDropTarget::DropAddress(IDataObject* data, bool* added) {
  static const CLIPFORMAT urlFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"UniformResourceLocator"));
  ScopedStgMedium medium;
  if (!urlFormat || !GetGlobalMedium(data, urlFormat, medium)) return false;
  GlobalMemoryLock lock(medium.Memory());
  if (!lock.Data()) return false;
  const char* bytes = static_cast<const char*>(lock.Data());
  size_t size = GlobalSize(medium.Memory());
  size_t length = 0;
  while (length < size && bytes[length]) ++length;
  std::wstring line = AnsiToWide(SplitFirstLine(std::string(bytes, length)));
  if (!LooksLikeAddress(line)) return true;
  if (RenameDrops) {
    // The user names the item and adds it with "Add Media"; the edit's own
    // rule decides which buttons the address enables.
    EnableWindow(GetDlgItem(window, IDC_URL_NAME_EDIT), TRUE);
    EnableWindow(GetDlgItem(window, IDC_ADD_MEDIA), TRUE);
    SetDlgItemTextW(window, IDC_URL_EDIT, line.c_str());
  } else {
    AddWebMediaItem(window, line, line, nullptr);
  }
  *added = true;
  return true;
}

bool CDropTarget::DropPaths(IDataObject* data, bool* added) {
  ScopedStgMedium medium;
  if (!GetGlobalMedium(data, CF_HDROP, medium)) return false;
  GlobalMemoryLock lock(medium.Memory());
  if (!lock.Data()) return false;
  HDROP drop = static_cast<HDROP>(medium.Memory());
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  int before = CatalogItemCount(window);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::vector<wchar_t> name(length + 1);
    if (DragQueryFileW(drop, i, name.data(), length + 1) == 0) continue;
    std::vector<FolderScanLevel> levels;
    ScanFolderIntoCatalog(window, std::wstring(name.data()), levels, nullptr);
  }
  *added = CatalogItemCount(window) != before;
  return true;
}

STDMETHODIMP CDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!shellTarget_ || *effect == DROPEFFECT_NONE) {
    GetDialogSeams().messageBox(window, L"\nCDropTarget::Drop!\n", L"ERROR: Dropping on Drop Target",
                                MB_TOPMOST | MB_ICONEXCLAMATION);
    *effect = DROPEFFECT_NONE;
    return E_FAIL;
  }
  bool added = false;
  HRESULT result = S_OK;
  if (!data || (!DropAddress(data, &added) && !DropPaths(data, &added))) result = E_INVALIDARG;
  *effect = added ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  ReleaseShellTarget();
  return result;
}
