#include "support/RelayLog.h"

#include <cstdlib>
#include <map>
#include <vector>

#include "platform/Scoped.h"

namespace {

const wchar_t kDebugKey[] = L"Software\\Wine\\Debug";

// The Unix path as Wine shows it through the drive that maps the root.
std::wstring FromUnixPath(const std::wstring& path) {
  std::wstring out = L"Z:" + path;
  for (wchar_t& c : out)
    if (c == L'/') c = L'\\';
  return out;
}

std::wstring Variable(const wchar_t* name) {
  DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::vector<wchar_t> buffer(n);
  GetEnvironmentVariableW(name, buffer.data(), n);
  return buffer.data();
}

unsigned long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadFrom(const std::wstring& path, unsigned long long offset) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
  std::string text;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

// "0118:011c:Call user32.SystemParametersInfoW(0000000f,00000258,00000000,00000002) ret=..."
// "0118:011c:Ret  user32.SystemParametersInfoW() retval=00000001 ret=..."
// A call may nest inside another on the same thread (a broadcast runs window
// procedures), so each thread keeps a stack of open calls.
std::vector<RelayCall> ParseRelayLines(const std::string& text) {
  std::vector<RelayCall> calls;
  std::map<unsigned long long, std::vector<size_t>> open;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    char* rest = nullptr;
    unsigned long process = std::strtoul(line.c_str(), &rest, 16);
    if (*rest != ':') continue;
    unsigned long thread = std::strtoul(rest + 1, &rest, 16);
    if (*rest != ':') continue;
    std::string body(rest + 1);
    unsigned long long key = (static_cast<unsigned long long>(process) << 32) | thread;
    if (body.compare(0, 5, "Call ") == 0) {
      size_t paren = body.find('(');
      size_t close = body.find(')', paren);
      if (paren == std::string::npos || close == std::string::npos) continue;
      RelayCall call;
      call.process = process;
      call.thread = thread;
      call.function = body.substr(5, paren - 5);
      std::string args = body.substr(paren + 1, close - paren - 1);
      size_t at = 0;
      while (at < args.size()) {
        size_t comma = args.find(',', at);
        if (comma == std::string::npos) comma = args.size();
        call.arguments.push_back(std::strtoull(args.substr(at, comma - at).c_str(), nullptr, 16));
        at = comma + 1;
      }
      open[key].push_back(calls.size());
      calls.push_back(call);
    } else if (body.compare(0, 5, "Ret  ") == 0) {
      std::vector<size_t>& stack = open[key];
      size_t value = body.find("retval=");
      if (stack.empty() || value == std::string::npos) continue;
      RelayCall& call = calls[stack.back()];
      stack.pop_back();
      call.returned = true;
      call.result = std::strtoull(body.c_str() + value + 7, nullptr, 16);
    }
  }
  return calls;
}

}  // namespace

RelayLog::RelayLog(const std::wstring& functions) {
  std::wstring file = Variable(L"KEL_STDERR_FILE");
  if (!file.empty()) path_ = FromUnixPath(file);
  start_ = FileSize(path_);
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kDebugKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                      nullptr) != ERROR_SUCCESS)
    return;
  wchar_t old[1024] = {};
  DWORD size = sizeof(old) - sizeof(wchar_t);
  DWORD type = 0;
  hadInclude_ = RegQueryValueExW(key, L"RelayInclude", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
                    ERROR_SUCCESS && type == REG_SZ;
  if (hadInclude_) oldInclude_ = old;
  RegSetValueExW(key, L"RelayInclude", 0, REG_SZ, reinterpret_cast<const BYTE*>(functions.c_str()),
                 static_cast<DWORD>((functions.size() + 1) * sizeof(wchar_t)));
}

RelayLog::~RelayLog() {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kDebugKey, 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) return;
  if (hadInclude_) {
    RegSetValueExW(key, L"RelayInclude", 0, REG_SZ, reinterpret_cast<const BYTE*>(oldInclude_.c_str()),
                   static_cast<DWORD>((oldInclude_.size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key, L"RelayInclude");
  }
}

std::vector<RelayCall> RelayLog::Calls(const std::string& function, DWORD process) const {
  std::vector<RelayCall> out;
  if (path_.empty()) return out;
  for (const RelayCall& call : ParseRelayLines(ReadFrom(path_, start_)))
    if (call.function == function && call.process == process) out.push_back(call);
  return out;
}
