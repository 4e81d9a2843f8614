// Times LoadMediaCatalog against a bare DOM load of the same generated
// catalog, at 10,000 and 100,000 entries, and prints what the filled lists
// take per entry. Target: at 100,000 entries LoadMediaCatalog within 3 times
// the bare load, and under 2 s.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/Settings.h"
#include "media/CatalogFixtures.h"
#include "media/CatalogLoader.h"
#include "media/ListPlayer.h"
#include "media/MSXMLParser.h"
#include "platform/ComPtr.h"

namespace {

const int kRuns = 3;

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The DOM alone: create the document, load the file, let it go.
double BareLoad(const std::wstring& path) {
  ComPtr<IXMLDOMDocument> document;
  if (FAILED(CoCreateInstance(kCLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, kIID_IXMLDOMDocument,
                              reinterpret_cast<void**>(document.Receive()))))
    return -1;
  document->put_async(VARIANT_FALSE);
  ComVariant source = ComVariant::String(path);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  double start = Seconds();
  document->load(source.Get(), &loaded);
  double elapsed = Seconds() - start;
  return loaded == VARIANT_TRUE ? elapsed : -1;
}

double CatalogLoad() {
  ClearLists();
  double start = Seconds();
  bool loaded = LoadMediaCatalog();
  double elapsed = Seconds() - start;
  return loaded ? elapsed : -1;
}

// Heap bytes behind one string: none while it fits the 16 bytes that both
// libstdc++ and MSVC keep inside the string object.
size_t StringHeap(const std::wstring& s) {
  const size_t inPlace = 16 / sizeof(wchar_t) - 1;
  return s.capacity() > inPlace ? (s.capacity() + 1) * sizeof(wchar_t) : 0;
}

// What the lists hold: their arrays and the heap blocks of their strings.
size_t ListBytes(const KEL_TamListPlayer& player) {
  size_t bytes = player.media.capacity() * sizeof(MediaEntry) + player.pictures.capacity() * sizeof(CatalogItem);
  for (const MediaEntry& e : player.media) bytes += StringHeap(e.path) + StringHeap(e.parent);
  for (const CatalogItem& p : player.pictures) bytes += StringHeap(p.name) + StringHeap(p.path) + StringHeap(p.parent);
  return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"kel-catalog-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  KEL_TARGETDIR = folder;
  if (!MakeFolders(folder + L"kelconfig\\Scripts\\dialogs")) {
    std::printf("cannot make %ls\n", folder.c_str());
    return 1;
  }
  std::wstring path = folder + L"kelconfig\\Scripts\\dialogs\\catalog.xml";

  std::printf("catalog load, best of %d runs (generated entries: AUDIO, VIDEO, PICTURE, WEBM, PLAYLIST in turn)\n",
              kRuns);
  std::printf("%9s %9s %12s %20s %7s %17s\n", "entries", "file MB", "DOM load ms", "LoadMediaCatalog ms", "ratio",
              "list bytes/entry");
  for (int n : {10000, 100000}) {
    std::string xml = GeneratedCatalogXml(n);
    if (!WriteBytes(path, xml)) {
      std::printf("cannot write the catalog\n");
      return 1;
    }

    double bare = 1e9;
    double catalog = 1e9;
    size_t listBytes = 0;
    for (int run = 0; run < kRuns; ++run) {
      bare = std::min(bare, BareLoad(path));
      KEL_TamListPlayer* player = new KEL_TamListPlayer;
      catalog = std::min(catalog, CatalogLoad());
      listBytes = ListBytes(*player);
      delete player;
    }
    std::printf("%9d %9.1f %12.1f %20.1f %7.2f %17.1f\n", n, xml.size() / 1048576.0, bare * 1000.0,
                catalog * 1000.0, bare > 0 ? catalog / bare : 0.0, static_cast<double>(listBytes) / n);
  }
  std::printf("target at 100000: LoadMediaCatalog within 3 times the DOM load, and under 2000 ms\n");

  DeleteFileW(path.c_str());
  RemoveDirectoryW((folder + L"kelconfig\\Scripts\\dialogs").c_str());
  RemoveDirectoryW((folder + L"kelconfig\\Scripts").c_str());
  RemoveDirectoryW((folder + L"kelconfig").c_str());
  RemoveDirectoryW(folder.c_str());
  CoUninitialize();
  return 0;
}
