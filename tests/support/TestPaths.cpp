#include "support/TestPaths.h"

#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/WideText.h"

namespace {

std::mutex g_handedOutLock;
std::vector<std::wstring> g_handedOut;  // as FolderKey gives them
TestPathFailureReporter g_reporter = nullptr;

void Report(const std::string& message) {
  if (g_reporter)
    g_reporter(message);
  else
    std::fprintf(stderr, "%s\n", message.c_str());
}

// The path in its full form, without a "\\?\" prefix or trailing
// separators; empty when the system cannot make it full.
std::wstring FullPath(const std::wstring& path) {
  std::wstring plain = path;
  if (plain.compare(0, 4, L"\\\\?\\") == 0) plain = plain.substr(4);
  DWORD size = GetFullPathNameW(plain.c_str(), 0, nullptr, nullptr);
  if (size == 0) return std::wstring();
  std::vector<wchar_t> buffer(size + 1);
  DWORD length = GetFullPathNameW(plain.c_str(), size + 1, buffer.data(), nullptr);
  if (length == 0 || length > size) return std::wstring();
  std::wstring full(buffer.data(), length);
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  return full;
}

// Paths compare without regard to case, as the file system does.
std::wstring FolderKey(const std::wstring& full) {
  std::wstring key = full;
  if (!key.empty()) CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

bool IsSameOrInside(const std::wstring& key, const std::wstring& folderKey) {
  return key == folderKey ||
         (key.size() > folderKey.size() && key.compare(0, folderKey.size(), folderKey) == 0 &&
          key[folderKey.size()] == L'\\');
}

// "C:\..." only: "C:x", "\x", "x" and network paths are never removed.
bool IsAbsoluteDrivePath(const std::wstring& path) {
  std::wstring plain = path.compare(0, 4, L"\\\\?\\") == 0 ? path.substr(4) : path;
  return plain.size() >= 3 && iswalpha(plain[0]) && plain[1] == L':' && (plain[2] == L'\\' || plain[2] == L'/');
}

std::wstring Long(const std::wstring& full) { return L"\\\\?\\" + full; }

// Where the entry really is, as its volume and its path there (FolderKey's
// form): its own place for a file or folder and, on Windows, for a link too;
// the place it leads to for a Unix link under Wine, which lists a link to a
// file as a file. Empty when it cannot be opened.
std::wstring FinalKey(const std::wstring& full) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE entry = CreateFileW(Long(full).c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (entry == INVALID_HANDLE_VALUE) return std::wstring();
  BY_HANDLE_FILE_INFORMATION identity = {};
  // The name comes whole whatever its length (the final path name does not
  // under Wine beyond MAX_PATH).
  std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 65536);
  bool known = GetFileInformationByHandle(entry, &identity) &&
               GetFileInformationByHandleEx(entry, FileNameInfo, buffer.data(), static_cast<DWORD>(buffer.size()));
  CloseHandle(entry);
  if (!known) return std::wstring();
  const FILE_NAME_INFO* name = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
  std::wstring path(name->FileName, name->FileNameLength / sizeof(wchar_t));
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return std::to_wstring(identity.dwVolumeSerialNumber) + L":" + FolderKey(path);
}

// kernel32's Wine extension; the result is freed with HeapFree.
using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);
UnixFileNameFunction WineUnixFileName() {
  return reinterpret_cast<UnixFileNameFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

bool IsListed(const std::wstring& full) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(Long(full).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

// Wine deletes whatever a Unix link leads to, never the link: its own rm
// stands in for what Windows does with a link. Wine gives no handle to wait
// on for a Linux program, so the link's name is watched instead.
void RemoveUnixLink(const std::wstring& full) {
  UnixFileNameFunction unixName = WineUnixFileName();
  if (!unixName) return;
  char* link = unixName(Long(full).c_str());
  if (!link) return;
  std::wstring line = L"rm -f -- \"" + Utf8ToWide(link) + L"\"";
  HeapFree(GetProcessHeap(), 0, link);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {sizeof(si)};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(L"Z:\\bin\\rm", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  DWORD start = GetTickCount();
  while (IsListed(full) && GetTickCount() - start < 20000) Sleep(20);
}

void RemoveEntry(const std::wstring& full, const std::wstring& expectedKey, DWORD attributes);

// Removes what the folder holds; its entries really are where its own
// listing puts them unless they are links.
void RemoveContents(const std::wstring& full, const std::wstring& key) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(Long(full + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    RemoveEntry(full + L"\\" + name, key + L"\\" + FolderKey(name), found.dwFileAttributes);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

void RemoveEntry(const std::wstring& full, const std::wstring& expectedKey, DWORD attributes) {
  std::wstring key = FinalKey(full);
  if (key.empty()) return;  // in use, or a link that leads nowhere: left alone
  if (key != expectedKey) {
    // Seen through a link to somewhere else: only the link goes.
    if (WineUnixFileName()) RemoveUnixLink(full);
    return;
  }
  std::wstring name = Long(full);
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    // A junction or a link to a folder goes by itself, never its contents.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveContents(full, key);
    RemoveDirectoryW(name.c_str());
  } else {
    DeleteFileW(name.c_str());
  }
}

std::string Refusal(const std::wstring& folder, const char* reason) {
  return "RemoveTree refused \"" + WideToUtf8(folder) + "\": " + reason;
}

}  // namespace

TestPathFailureReporter SetTestPathFailureReporter(TestPathFailureReporter reporter) {
  TestPathFailureReporter previous = g_reporter;
  g_reporter = reporter;
  return previous;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, path, static_cast<DWORD>(sizeof(path) / sizeof(path[0])));
  std::wstring folder(path);
  size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L".\\" : folder.substr(0, slash + 1);
}

std::wstring MakeTempFolder(const std::wstring& prefix) {
  wchar_t temp[MAX_PATH + 1] = {};
  DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  std::wstring base = length > 0 && length <= MAX_PATH ? FullPath(temp) : std::wstring();
  if (base.empty() || !IsAbsoluteDrivePath(base))
    throw std::runtime_error("MakeTempFolder: no usable temp folder (\"" + WideToUtf8(temp) + "\")");
  if (base.back() != L'\\') base += L'\\';
  static unsigned counter = 0;
  std::lock_guard<std::mutex> hold(g_handedOutLock);
  for (;;) {
    std::wstring folder =
        base + prefix + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
      g_handedOut.push_back(FolderKey(FullPath(folder)));
      return folder + L"\\";
    }
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS)
      throw std::runtime_error("MakeTempFolder: could not make \"" + WideToUtf8(folder) + "\" (error " +
                               std::to_string(error) + ")");
  }
}

void RemoveTree(const std::wstring& folder) {
  if (folder.empty()) return Report(Refusal(folder, "an empty path"));
  if (!IsAbsoluteDrivePath(folder)) return Report(Refusal(folder, "not a full path with a drive"));
  std::wstring full = FullPath(folder);
  if (full.empty()) return Report(Refusal(folder, "the system cannot make it a full path"));
  if (full.size() <= 3) return Report(Refusal(folder, "a drive root"));
  std::wstring key = FolderKey(full);

  wchar_t current[MAX_PATH * 4] = {};
  DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, current);
  if (length == 0 || length >= MAX_PATH * 4) return Report(Refusal(folder, "the current directory is unknown"));
  if (IsSameOrInside(FolderKey(FullPath(current)), key))
    return Report(Refusal(folder, "it is the current directory or holds it"));

  bool ours = false;
  {
    std::lock_guard<std::mutex> hold(g_handedOutLock);
    for (const std::wstring& made : g_handedOut) ours = ours || IsSameOrInside(key, made);
  }
  if (!ours) return Report(Refusal(folder, "not inside a folder that MakeTempFolder made"));

  DWORD attributes = GetFileAttributesW(Long(full).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;  // already gone
  size_t cut = full.find_last_of(L'\\');
  std::wstring parentKey = FinalKey(full.substr(0, cut < 3 ? 3 : cut));
  while (!parentKey.empty() && parentKey.back() == L'\\') parentKey.pop_back();
  if (parentKey.empty()) return;
  RemoveEntry(full, parentKey + L"\\" + FolderKey(full.substr(cut + 1)), attributes);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(h, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(h);
  return bytes;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
