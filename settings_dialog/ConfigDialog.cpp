#include "settings_dialog/ConfigDialog.h"

#include <ole2.h>

#include <algorithm>
#include <iterator>

#include "engine/InstanceCheck.h"
#include "engine/Logic.h"
#include "engine/Settings.h"
#include "engine/SettingsVariant.h"
#include "platform/Scoped.h"
#include "settings_dialog/CatalogFiles.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/DialogRules.h"
#include "settings_dialog/DialogSeams.h"
#include "settings_dialog/DialogText.h"
#include "settings_dialog/DialogVariant.h"
#include "settings_dialog/ScopedRedraw.h"

const wchar_t* const kDialogMessageCaption = L"Kelvane Screen Saver Settings";

namespace {

// Check boxes and the settings they stand for, in the order they are read.
struct CheckBoxSetting {
  int id;
  bool* setting;
};
const CheckBoxSetting kCheckBoxes[] = {
    {IDC_SHOW_CLOCK, &ShowClock},       {IDC_SHOW_NAME, &ShowName},       {IDC_SHOW_DATE, &ShowDate},
    {IDC_RANDOM_MEDIA, &RandomMedia},   {IDC_MUTE_AUDIO, &MuteAudio},     {IDC_BLANK_VIDEO, &BlankVideo},
    {IDC_RENAME_URLS, &RenameDrops},    {IDC_PAIR_IMAGES, &PairImages},   {IDC_HIGH_PRIORITY, &HighPriority},
    {IDC_RESET_CACHE, &ResetCache},
};

// Visual radios in the order OK looks for the checked one; "None" is the
// answer when none of these is checked.
struct RadioValue {
  int id;
  int value;
};
const RadioValue kVisualRadios[] = {
    {IDC_VISUAL_LOCAL_IMAGE, 1}, {IDC_VISUAL_WEB_IMAGE, 2},    {IDC_VISUAL_SCOPE, 4},
    {IDC_VISUAL_SPECTRUM, 5},    {IDC_VISUAL_SPECTROMETER, 6}, {IDC_VISUAL_VU_METER, 7},
    {IDC_VISUAL_GOOM, 8},        {IDC_VISUAL_RANDOM, 3},
};
const RadioValue kPowerRadios[] = {
    {IDC_POWER_NONE, 0}, {IDC_POWER_SCREEN_SAVER, 1}, {IDC_POWER_USE, 2}};

template <size_t N>
bool IsIn(int id, const RadioValue (&group)[N]) {
  return std::any_of(std::begin(group), std::end(group), [id](const RadioValue& radio) { return radio.id == id; });
}

template <size_t N>
void UncheckAllBut(HWND dialog, int id, const RadioValue (&group)[N]) {
  for (const RadioValue& radio : group)
    if (radio.id != id) CheckDlgButton(dialog, radio.id, BST_UNCHECKED);
}

}  // namespace

HINSTANCE GetDialogModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&GetDialogModule), &module);
  return module;
}

std::wstring MainCatalogPath() { return KEL_TARGETDIR + L"kelconfig\\Scripts\\dialogs\\catalog.xml"; }

CConfigDialog::CConfigDialog(HWND dialog) : dialog_(dialog) {
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog_, nullptr,
                             GetDialogModule(), nullptr);
  if (tooltip_) SetWindowPos(tooltip_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  if (!GetLogic() && DialogMayCreateLogic()) {
    ownLogic_ = new KEL_Logic();
    KEL_Logic::RequestCatalogReload();
  }
  ShowVersionText();
  LoadSettings();
  // The trees are read through MSXML: COM must stand before they load.
  HRESULT ole = OleInitialize(nullptr);
  oleStarted_ = SUCCEEDED(ole);
  InitControlsFromSettings();
  dropRegistered_ = SUCCEEDED(RegisterDragDrop(Item(IDC_DROP_AREA), &dropTarget_));
  SetUpDialogVariantControls(dialog_);
  SetDlgItemTextW(dialog_, IDC_STATUS_LINE, L"No Media Selected");
  dropTarget_.window = dialog_;
}

CConfigDialog::~CConfigDialog() {
  if (ownLogic_) {
    KEL_Logic::RequestCatalogReload();
    KEL_Logic::Shutdown();
    delete ownLogic_;
    ownLogic_ = nullptr;
  }
  if (dropRegistered_) RevokeDragDrop(Item(IDC_DROP_AREA));
  if (oleStarted_) OleUninitialize();
}

void CConfigDialog::InitControlsFromSettings() {
  if (IsAnotherInstanceRunning(dialog_)) {
    GetDialogSeams().messageBox(nullptr, L"Only one instance allowed!", L"Kelvane Error!", MB_ICONWARNING);
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
    return;
  }
  for (const CheckBoxSetting& box : kCheckBoxes)
    CheckDlgButton(dialog_, box.id, *box.setting ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog_, IDC_VISUAL_NONE, CurrentVisualIndex == 0 ? BST_CHECKED : BST_UNCHECKED);
  for (const RadioValue& radio : kVisualRadios)
    CheckDlgButton(dialog_, radio.id, CurrentVisualIndex == radio.value ? BST_CHECKED : BST_UNCHECKED);
  for (const RadioValue& radio : kPowerRadios)
    CheckDlgButton(dialog_, radio.id, CurrentPowerIndex == radio.value ? BST_CHECKED : BST_UNCHECKED);

  // The slider and its number show the interval the show keeps to, also
  // when none is stored yet.
  int interval = PictureIntervalInUse();
  SendDlgItemMessageW(dialog_, IDC_INTERVAL_SLIDER, TBM_SETRANGEMIN, FALSE, kSliderMinimum);
  SendDlgItemMessageW(dialog_, IDC_INTERVAL_SLIDER, TBM_SETRANGEMAX, TRUE, SliderMaximumFor(interval));
  SendDlgItemMessageW(dialog_, IDC_INTERVAL_SLIDER, TBM_SETPOS, TRUE, interval);
  SetDlgItemTextW(dialog_, IDC_INTERVAL_VALUE, std::to_wstring(interval).c_str());

  // Without the kind pictures the trees still load, their items without
  // images: an empty tree would be saved over the user's catalog on OK.
  InitTreeImageList(dialog_);
  std::wstring catalog = MainCatalogPath();
  {
    ScopedRedraw quiet(CatalogTree());
    bool loaded = LoadCatalogIntoTree(CatalogTree(), catalog, L"catalog");
    catalogUnreadable_ = !loaded && GetFileAttributesW(catalog.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  {
    ScopedRedraw quiet(Item(IDC_EXTENSION_TREE));
    LoadExtensionsIntoTree(Item(IDC_EXTENSION_TREE),
                           KEL_TARGETDIR + L"kelconfig\\Scripts\\dialogs\\extension.xml", L"extension");
  }
  treesLoaded_ = true;
}

void CConfigDialog::ShowVersionText() {
  SetDlgItemTextW(dialog_, IDC_VERSION_TEXT, LoadDialogString(IDS_VERSION_TEXT).substr(0, 256).c_str());
}

LONG CConfigDialog::SaveSettings() {
  for (const CheckBoxSetting& box : kCheckBoxes) *box.setting = IsDlgButtonChecked(dialog_, box.id) == BST_CHECKED;
  SliderVal_PictureTimeout = static_cast<int>(SendDlgItemMessageW(dialog_, IDC_INTERVAL_SLIDER, TBM_GETPOS, 0, 0));
  CurrentVisualIndex = 0;
  for (const RadioValue& radio : kVisualRadios) {
    if (IsDlgButtonChecked(dialog_, radio.id) == BST_CHECKED) {
      CurrentVisualIndex = radio.value;
      break;
    }
  }
  CurrentPowerIndex = IsDlgButtonChecked(dialog_, IDC_POWER_SCREEN_SAVER) == BST_CHECKED ? 1
                      : IsDlgButtonChecked(dialog_, IDC_POWER_USE) == BST_CHECKED      ? 2
                                                                                        : 0;
  RegistryKey key;
  LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                nullptr, key.Receive(), nullptr);
  if (result != ERROR_SUCCESS) return result;

  // The show starts each list from its beginning after the user's changes.
  CurrentMediaIndex = 0;
  CurrentPictureIndex = 0;
  CurrentAdvertisingIndex = 0;
  for (const SettingInfo* setting : DialogSaveOrder()) {
    LONG written = WriteSettingDword(key, *setting);
    if (written != ERROR_SUCCESS && result == ERROR_SUCCESS) result = written;
  }
  LONG closed = key.Close();
  return result != ERROR_SUCCESS ? result : closed;
}

bool CConfigDialog::SaveCatalogTree() {
  // Without its trees (another instance ran) the dialog has nothing to save.
  if (!treesLoaded_) return true;
  std::wstring path = MainCatalogPath();
  if (catalogUnreadable_) {
    std::wstring question = L"The catalog\n" + path +
                            L"\ncould not be read when the dialog opened.\n\n"
                            L"Replace it with the catalog shown in the dialog?";
    if (GetDialogSeams().messageBox(dialog_, question.c_str(), kDialogMessageCaption,
                                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
      return true;  // kept, as the user asked: nothing failed
  }
  if (!WriteCatalogFile(CatalogTree(), path, L"catalog")) return false;
  catalogUnreadable_ = false;
  return true;
}

// The system clears the other radios of a group only where they are shown
// and enabled: a hidden or disabled one holding the stored mode would stay
// checked beside the user's choice, and win in SaveSettings' order.
void CConfigDialog::OnRadioClicked(int id) {
  if (IsDlgButtonChecked(dialog_, id) != BST_CHECKED) return;
  if (id == IDC_VISUAL_NONE || IsIn(id, kVisualRadios)) {
    if (id != IDC_VISUAL_NONE) CheckDlgButton(dialog_, IDC_VISUAL_NONE, BST_UNCHECKED);
    UncheckAllBut(dialog_, id, kVisualRadios);
  } else if (IsIn(id, kPowerRadios)) {
    UncheckAllBut(dialog_, id, kPowerRadios);
  }
}

void CConfigDialog::OnIntervalSliderChanged() {
  int position = static_cast<int>(SendDlgItemMessageW(dialog_, IDC_INTERVAL_SLIDER, TBM_GETPOS, 0, 0));
  SliderVal_PictureTimeout = position;
  SetDlgItemTextW(dialog_, IDC_INTERVAL_VALUE, std::to_wstring(position).c_str());
}

void CConfigDialog::OnUrlEditChanged() {
  UrlEditButtons buttons = UrlEditRule(GetDialogItemText(dialog_, IDC_URL_EDIT), RenameDrops);
  EnableWindow(Item(IDC_SAVE_CATALOG), buttons.save);
  EnableWindow(Item(IDC_ADD_MEDIA), buttons.addMedia);
  if (buttons.nameEdit) EnableWindow(Item(IDC_URL_NAME_EDIT), TRUE);
}

void CConfigDialog::SetStatusText(const std::wstring& text) {
  SetDlgItemTextW(dialog_, IDC_STATUS_LINE, text.c_str());
}

void CConfigDialog::LoadToolTipText(UINT stringId, NMTTDISPINFOW* request) {
  if (!request) return;
  SendMessageW(request->hdr.hwndFrom, TTM_SETMAXTIPWIDTH, 0, 256);
  request->hinst = GetDialogModule();
  LoadStringW(GetDialogModule(), stringId, text_, static_cast<int>(sizeof(text_) / sizeof(text_[0])));
  request->lpszText = text_;
}
