#include "support/XInput.h"

#include <windows.h>

#include <vector>

#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

namespace {

// kernel32's Wine extension; the result is freed with HeapFree.
using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);

std::string UnixPath(const std::wstring& path) {
  auto function = reinterpret_cast<UnixFileNameFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!function) return std::string();
  char* unix = function(path.c_str());
  if (!unix) return std::string();
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

}  // namespace

bool RunXdotool(const std::string& arguments, unsigned long milliseconds) {
  std::wstring folder = MakeTempFolder(L"kel-xdotool");
  std::wstring result = folder + L"result";
  std::string unixResult = UnixPath(result);
  if (unixResult.empty()) {
    RemoveTree(folder);
    return false;
  }
  std::wstring command = L"sh -c \"xdotool " + Utf8ToWide(arguments) + L"; echo $? > '" + Utf8ToWide(unixResult) + L"'\"";
  std::vector<wchar_t> buffer(command.begin(), command.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {sizeof(si)};
  PROCESS_INFORMATION pi = {};
  bool ran = false;
  if (CreateProcessW(L"Z:\\bin\\sh", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    std::string code;
    ran = WaitUntil(milliseconds, [&] {
      code = ReadFileBytes(result);
      return !code.empty() && code.back() == '\n';
    }) && code == "0\n";
  }
  RemoveTree(folder);
  return ran;
}
