#include "engine/InstanceCheck.h"

#include <psapi.h>
#include <algorithm>
#include <cwchar>
#include <string>

#include "engine/ProgramVariant.h"
#include "platform/Scoped.h"

namespace {

bool g_wallpaperFound = false;
bool g_scanDone = false;
ProcessEnumerator g_enumerate = nullptr;

// EnumProcesses cannot say that its buffer was too small; a buffer filled
// completely may have cut the list, so it is tried again with more room.
bool TryEnumerate(size_t capacity, std::vector<DWORD>* ids, bool* complete) {
  ids->assign(capacity, 0);
  DWORD bytes = 0;
  ProcessEnumerator enumerate = g_enumerate ? g_enumerate : EnumProcesses;
  if (!enumerate(ids->data(), static_cast<DWORD>(capacity * sizeof(DWORD)), &bytes)) return false;
  // A count past the buffer would read beyond it; the buffer is all we have.
  bytes = std::min<DWORD>(bytes, static_cast<DWORD>(capacity * sizeof(DWORD)));
  ids->resize(bytes / sizeof(DWORD));
  *complete = bytes < capacity * sizeof(DWORD);
  return true;
}

// The executable's base name, or "<unknown>" for a process we may not read.
std::wstring ProcessBaseName(DWORD id) {
  wchar_t baseName[MAX_PATH] = L"<unknown>";
  ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  if (process.Valid()) {
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (EnumProcessModules(process.Get(), &module, sizeof(module), &needed))
      GetModuleBaseNameW(process.Get(), module, baseName, MAX_PATH);
  }
  return baseName;
}

}  // namespace

std::vector<DWORD> EnumerateProcessIds() {
  std::vector<DWORD> best;
  // 2048 ids first, then 32768, then more while the list still fills up.
  for (size_t capacity = 2048; capacity <= (1u << 20); capacity *= 16) {
    std::vector<DWORD> ids;
    bool complete = false;
    if (TryEnumerate(capacity, &ids, &complete)) {
      best.swap(ids);
      if (complete) break;
    } else if (capacity > 2048) {
      break;  // the first failure gets one more try with more room
    }
  }
  return best;
}

bool IsAnotherInstanceRunning(HWND window) {
  std::vector<DWORD> ids = EnumerateProcessIds();
  if (ids.empty()) {
    MessageBoxW(window, L"Trying again to find processes!", L"Process List Greater 16K.", MB_ICONERROR);
    return false;
  }
  int matches = 0;
  for (DWORD id : ids) {
    if (id == 0) continue;
    std::wstring name = ProcessBaseName(id);
    if (_wcsicmp(name.c_str(), L"kelwall.exe") == 0) {
      ++matches;
      g_wallpaperFound = true;
    }
    if (_wcsicmp(name.c_str(), L"kel.scr") == 0) ++matches;
  }
  if (matches == 0) return false;
  g_scanDone = true;
  return IsAnotherInstanceByRule(matches, g_wallpaperFound);
}

void SetProcessEnumeratorForTests(ProcessEnumerator enumerator) { g_enumerate = enumerator; }

bool WasWallpaperProcessFound() { return g_wallpaperFound; }
bool WasInstanceScanDone() { return g_scanDone; }
