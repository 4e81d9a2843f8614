#include "ProcStat.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

std::wstring ProcFolder(unsigned pid) { return L"Z:\\proc\\" + std::to_wstring(pid) + L"\\"; }

std::string PrefixEntry() {
  std::string prefix;
  if (const char* value = getenv("WINEPREFIX")) prefix = value;
  return "WINEPREFIX=" + prefix;
}

// The first field of a schedstat file: the time run, in nanoseconds.
double RunSeconds(const std::wstring& path) {
  return static_cast<double>(strtoull(ReadProcFile(path).c_str(), nullptr, 10)) / 1e9;
}

}  // namespace

std::string ReadProcFile(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

// A program started from Windows keeps its parent's Unix environment, so
// only the command line tells the programs started here apart.
std::vector<unsigned> FindProcesses(const std::string& commandText, const std::string& environmentEntry) {
  std::vector<unsigned> found;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    wchar_t* end = nullptr;
    unsigned long pid = wcstoul(data.cFileName, &end, 10);
    if (!pid || *end) continue;
    if (ReadProcFile(ProcFolder(pid) + L"cmdline").find(commandText) == std::string::npos) continue;
    if (!environmentEntry.empty()) {
      std::string environment = '\0' + ReadProcFile(ProcFolder(pid) + L"environ");
      if (environment.find('\0' + environmentEntry + '\0') == std::string::npos) continue;
    }
    found.push_back(static_cast<unsigned>(pid));
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return found;
}

std::vector<unsigned> FindWineServer() { return FindProcesses("wineserver", PrefixEntry()); }

// By its file name among the programs of this prefix; other programs of the
// same name may run under other prefixes at the same time.
std::vector<unsigned> FindThisProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string name;
  for (const wchar_t* p = wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path; *p; ++p)
    name += static_cast<char>(*p);
  std::vector<unsigned> found = FindProcesses(name, PrefixEntry());
  if (found.size() != 1) found.clear();
  return found;
}

double CpuSeconds(unsigned pid) {
  std::string stat = ReadProcFile(ProcFolder(pid) + L"stat");
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  // Fields after the name start at the state (3); utime and stime are 14, 15.
  const char* p = stat.c_str() + close + 2;
  for (int field = 3; field < 14 && *p; ++field) {
    p = strchr(p, ' ');
    if (!p) return -1;
    ++p;
  }
  char* next = nullptr;
  unsigned long long user = strtoull(p, &next, 10);
  unsigned long long system = strtoull(next, nullptr, 10);
  return static_cast<double>(user + system) / 100.0;  // the kernel's USER_HZ
}

double CpuSeconds(const std::vector<unsigned>& pids) {
  double total = 0;
  for (unsigned pid : pids) {
    double seconds = CpuSeconds(pid);
    if (seconds > 0) total += seconds;
  }
  return total;
}

double PreciseCpuSeconds(unsigned pid) {
  std::wstring tasks = ProcFolder(pid) + L"task\\";
  double total = 0;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return -1;
  do {
    if (data.cFileName[0] == L'.') continue;
    total += RunSeconds(tasks + data.cFileName + L"\\schedstat");
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return total;
}

double PreciseCpuSeconds(const std::vector<unsigned>& pids) {
  double total = 0;
  for (unsigned pid : pids) {
    double seconds = PreciseCpuSeconds(pid);
    if (seconds > 0) total += seconds;
  }
  return total;
}
