#include "media/VlcLibrary.h"

#include <windows.h>

#include <vector>

#include "platform/Trace.h"

namespace {

VlcApi g_api;
bool g_bound = false;

std::wstring FullPath(const std::wstring& path) {
  DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::vector<wchar_t> buffer(n);
  DWORD written = GetFullPathNameW(path.c_str(), n, buffer.data(), nullptr);
  if (written == 0 || written >= n) return path;
  return std::wstring(buffer.data(), written);
}

// The install folder's copy first; its dependencies (libvlccore.dll) are
// looked for beside it.
HMODULE LoadLibvlc(const std::wstring& installFolder) {
  if (!installFolder.empty()) {
    std::wstring path = installFolder;
    if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path = FullPath(path + L"libvlc.dll");
    if (HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
      Trace(L"libvlc: %s", path.c_str());
      return module;
    }
  }
  if (HMODULE module = LoadLibraryW(L"libvlc.dll")) {
    Trace(L"libvlc: found by the default search");
    return module;
  }
  return nullptr;
}

template <typename Function>
bool Bind(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (*function) return true;
  Trace(L"libvlc: no %S", name);
  return false;
}

}  // namespace

const VlcApi* LoadVlcApi(const std::wstring& installFolder) {
  if (g_bound) return &g_api;
  HMODULE module = LoadLibvlc(installFolder);
  if (!module) {
    Trace(L"libvlc: not found, no media playback");
    return nullptr;
  }
  VlcApi api;
  bool complete = true;
#define KEL_VLC_BIND(name) complete = Bind(module, #name, &api.name) && complete;
  KEL_VLC_FUNCTIONS(KEL_VLC_BIND)
#undef KEL_VLC_BIND
  if (!complete) {
    // Not the libvlc 3 this program is written for.
    FreeLibrary(module);
    return nullptr;
  }
  g_api = api;
  g_bound = true;
  return &g_api;
}
