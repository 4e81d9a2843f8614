#include "wallpaper/SystemSaverSwap.h"

#include <vector>

#include "engine/InstanceCheck.h"
#include "engine/ProgramVariant.h"
#include "engine/Settings.h"
#include "platform/Scoped.h"
#include "platform/Trace.h"

const wchar_t* const kDesktopKey = L"Control Panel\\Desktop";
const wchar_t* const kScreenSaverValue = L"SCRNSAVE.EXE";
const wchar_t* const kBlankScreenSaver = L"%SystemRoot%\\System32\\scrnsave.scr";
const wchar_t* const kReplacedSaverRecord = L"WP_ReplacedScreenSaver";

namespace {

struct TextValue {
  std::wstring text;
  DWORD type = REG_SZ;
};

// The worker's run loop and the window thread's end of session both restore.
struct SwapState {
  CriticalSection lock;
  bool swapped = false;
  TextValue replaced;
  std::wstring lastRead;
};

SwapState& State() {
  static SwapState* state = new SwapState();  // outlives every thread
  return *state;
}

bool SameName(const std::wstring& a, const wchar_t* b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

// A text value of any length. Anything but text (a number, binary data) is
// no screen-saver path, and is treated as missing.
bool ReadText(const wchar_t* keyName, const wchar_t* valueName, TextValue* value) {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return false;
  std::vector<wchar_t> buffer(261);
  for (;;) {
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    LONG result = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (result == ERROR_MORE_DATA) {
      buffer.resize(bytes / sizeof(wchar_t) + 2);
      continue;
    }
    if (result != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    size_t length = bytes / sizeof(wchar_t);
    while (length > 0 && buffer[length - 1] == L'\0') --length;
    value->text.assign(buffer.data(), length);
    value->type = type;
    return true;
  }
}

bool WriteText(const wchar_t* keyName, const wchar_t* valueName, const TextValue& value) {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS)
    return false;
  DWORD bytes = static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, valueName, 0, value.type, reinterpret_cast<const BYTE*>(value.text.c_str()), bytes) ==
         ERROR_SUCCESS;
}

void DeleteRecord() {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS)
    RegDeleteValueW(key, kReplacedSaverRecord);
}

bool ReadSetting(TextValue* value) {
  if (!ReadText(kDesktopKey, kScreenSaverValue, value)) return false;
  State().lastRead = value->text;
  return true;
}

// A record left by a run that never restored: while the setting still names
// the blank saver, that run's value goes back; otherwise the user has chosen
// since, and the record is stale.
void RepairUnfinishedRun() {
  TextValue recorded;
  if (!ReadText(kSettingsKey, kReplacedSaverRecord, &recorded)) return;
  TextValue current;
  if (ReadSetting(&current) && SameName(ScreenSaverFileName(current.text), L"scrnsave.scr")) {
    if (!WriteText(kDesktopKey, kScreenSaverValue, recorded)) return;  // try again next start
    Trace(L"screen saver repaired: %s", recorded.text.c_str());
  }
  DeleteRecord();
}

}  // namespace

std::wstring ScreenSaverFileName(const std::wstring& setting) {
  size_t slash = setting.find_last_of(L'\\');
  return slash == std::wstring::npos ? setting : setting.substr(slash + 1);
}

bool IsSaverSwapped() {
  CriticalSectionHold lock(State().lock);
  return State().swapped;
}

std::wstring GetLastScreenSaverSetting() {
  CriticalSectionHold lock(State().lock);
  return State().lastRead;
}

void ResetSaverSwapForTests() {
  CriticalSectionHold lock(State().lock);
  State().swapped = false;
  State().replaced = TextValue();
  State().lastRead.clear();
}

// Acts only after an instance check has seen this program running, so a
// second wallpaper never touches the first one's record.
void ReplaceSystemScreenSaver() {
  if (!WasInstanceScanDone()) return;
  CriticalSectionHold lock(State().lock);
  if (State().swapped) return;
  RepairUnfinishedRun();
  TextValue current;
  if (!ReadSetting(&current)) return;
  if (!SameName(ScreenSaverFileName(current.text), L"kel.scr")) return;
  // Without the record a crash would lose the user's setting for good.
  if (!WriteText(kSettingsKey, kReplacedSaverRecord, current)) return;
  TextValue blank;
  blank.text = kBlankScreenSaver;
  if (!WriteText(kDesktopKey, kScreenSaverValue, blank)) {
    DeleteRecord();
    return;
  }
  State().replaced = current;
  State().swapped = true;
  Trace(L"screen saver replaced: %s", current.text.c_str());
}

// Writes back exactly what was replaced; a saver the user chose meanwhile is
// kept. A failed write keeps the record for the next start to repair.
void RestoreSystemScreenSaver() {
  if (!WasInstanceScanDone()) return;
  CriticalSectionHold lock(State().lock);
  if (!State().swapped) return;
  TextValue current;
  if (!ReadSetting(&current)) return;
  if (!SameName(ScreenSaverFileName(current.text), L"scrnsave.scr")) {
    DeleteRecord();
    Trace(L"screen saver kept: %s", current.text.c_str());
    return;
  }
  if (!WriteText(kDesktopKey, kScreenSaverValue, State().replaced)) return;
  DeleteRecord();
  State().swapped = false;
  Trace(L"screen saver restored: %s", State().replaced.text.c_str());
}
