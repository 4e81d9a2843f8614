#include "support/XDisplay.h"

#include <cctype>
#include <vector>

#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

namespace {

// kernel32's Wine extension; the result is freed with HeapFree.
using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);

// Binary PPM (P6, maxval 255) as 0x00RRGGBB pixels.
std::vector<uint32_t> ParsePpm(const std::string& bytes, int width, int height) {
  size_t at = 0;
  int fields[4] = {};
  for (int f = 0; f < 4; ++f) {
    while (at < bytes.size()) {
      if (bytes[at] == '#') {
        while (at < bytes.size() && bytes[at] != '\n') ++at;
      } else if (isspace(static_cast<unsigned char>(bytes[at]))) {
        ++at;
      } else {
        break;
      }
    }
    if (f == 0) {
      if (bytes.compare(at, 2, "P6") != 0) return {};
      at += 2;
      continue;
    }
    int value = 0;
    while (at < bytes.size() && isdigit(static_cast<unsigned char>(bytes[at]))) value = value * 10 + (bytes[at++] - '0');
    fields[f] = value;
  }
  ++at;  // the one whitespace after the header
  if (fields[1] != width || fields[2] != height || fields[3] != 255) return {};
  if (bytes.size() < at + static_cast<size_t>(width) * height * 3) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at + i * 3;
    pixels[i] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  }
  return pixels;
}

}  // namespace

std::string UnixPathOf(const std::wstring& path) {
  auto function = reinterpret_cast<UnixFileNameFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!function) return std::string();
  char* unix = function(path.c_str());
  if (!unix) return std::string();
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

bool RunOnXDisplay(const std::string& command, DWORD milliseconds) {
  std::wstring folder = MakeTempFolder(L"kel-xdisplay");
  std::wstring result = folder + L"result";
  std::string unixResult = UnixPathOf(result);
  bool ran = false;
  if (!unixResult.empty()) {
    std::wstring line = L"sh -c \"" + Utf8ToWide(command) + L"; echo $? > '" + Utf8ToWide(unixResult) + L"'\"";
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (CreateProcessW(L"Z:\\bin\\sh", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      if (pi.hThread) CloseHandle(pi.hThread);
      if (pi.hProcess) CloseHandle(pi.hProcess);
      std::string code;
      ran = WaitUntil(milliseconds, [&] {
        code = ReadFileBytes(result);
        return !code.empty() && code.back() == '\n';
      }) && code == "0\n";
    }
  }
  RemoveTree(folder);
  return ran;
}

bool RunXdotool(const std::string& arguments, DWORD milliseconds) { return RunOnXDisplay("xdotool " + arguments, milliseconds); }

std::vector<uint32_t> GrabScreenArea(const RECT& area) {
  int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return {};
  std::wstring folder = MakeTempFolder(L"kel-screenshot");
  std::wstring shot = folder + L"shot.ppm";
  std::string unixShot = UnixPathOf(shot);
  std::vector<uint32_t> pixels;
  if (!unixShot.empty()) {
    std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(area.left) + "+" +
                       std::to_string(area.top);
    if (RunOnXDisplay("import -window root -crop " + crop + " +repage -depth 8 'ppm:" + unixShot + "'", 20000))
      pixels = ParsePpm(ReadFileBytes(shot), width, height);
  }
  RemoveTree(folder);
  return pixels;
}
