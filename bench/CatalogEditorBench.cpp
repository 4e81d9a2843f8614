// The catalog editor on large libraries, in a hidden window with real tree
// views. Prints:
//   scan 10000 files: N ms, bare walk M ms, ratio R   (target: ratio <= 3)
//   tree load 100000 entries: N ms                    (target: < 3 s)
//   tree save 100000 entries: N ms                    (target: < 3 s)
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "settings_dialog/CatalogFiles.h"
#include "settings_dialog/FolderScan.h"
#include "settings_dialog/TreeHost.h"
#include "support/TestPaths.h"

namespace {

const int kRuns = 3;

// What the scan is measured against: the same folders listed and nothing
// else done.
int BareWalk(const std::wstring& folder) {
  int files = 0;
  std::vector<std::wstring> pending = {folder};
  while (!pending.empty()) {
    std::wstring current = pending.back();
    pending.pop_back();
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((current + L"\\*").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) continue;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L".."))
          pending.push_back(current + L"\\" + found.cFileName);
      } else {
        ++files;
      }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
  }
  return files;
}

std::string LargeCatalog(int folders, int perFolder) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CATALOG>\n";
  for (int f = 0; f < folders; ++f) {
    std::string name = "Folder" + std::to_string(f);
    xml += "<FOLDER" + std::to_string(f) + " parentname=\"CATALOG\" branchname=\"" + name + "\" branchpath=\"D:\\" +
           name + "\" parentpath=\"D:\">\n";
    for (int i = 0; i < perFolder; ++i) {
      std::string file = "picture" + std::to_string(i) + ".jpg";
      xml += "<PICTURE parentname=\"" + name + "\" branchname=\"" + file + "\" branchpath=\"D:\\" + name + "\\" + file +
             "\" parentpath=\"D:\\" + name + "\"/>\n";
    }
    xml += "</FOLDER" + std::to_string(f) + ">\n";
  }
  return xml + "</CATALOG>\n";
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::wstring temp = MakeTempFolder(L"kelbench");
  std::wstring extensions = ProgramFolder() + L"..\\Kelvane\\kelconfig\\Scripts\\dialogs\\extension.xml";
  {
    // 10,000 files in 100 folders, half pictures, half sounds.
    std::wstring library = temp + L"library";
    CreateDirectoryW(library.c_str(), nullptr);
    for (int f = 0; f < 100; ++f) {
      std::wstring folder = library + L"\\album" + std::to_wstring(f);
      CreateDirectoryW(folder.c_str(), nullptr);
      for (int i = 0; i < 100; ++i)
        WriteFileBytes(folder + L"\\track" + std::to_wstring(i) + (i % 2 ? L".jpg" : L".mp3"), "x");
    }
    TreeHost host;
    if (!LoadExtensionsIntoTree(host.extensions(), extensions, L"extension")) {
      printf("no extension list at %ls\n", extensions.c_str());
      return 1;
    }
    double bare = 1e9, scan = 1e9;
    int files = 0, items = 0;
    for (int run = 0; run < kRuns; ++run) {
      double start = BenchSeconds();
      files = BareWalk(library);
      bare = std::min(bare, BenchSeconds() - start);
      std::vector<FolderScanLevel> levels;
      start = BenchSeconds();
      ScanFolderIntoCatalog(host.window(), library, levels, nullptr);
      scan = std::min(scan, BenchSeconds() - start);
      items = CountItems(host.catalog());
      TreeView_DeleteAllItems(host.catalog());
    }
    if (files != 10000 || items != 10101) printf("scan found %d files, %d items\n", files, items);
    printf("scan 10000 files: %.0f ms, bare walk %.0f ms, ratio %.2f\n", scan * 1000, bare * 1000, scan / bare);
  }
  {
    std::wstring catalog = temp + L"large.xml";
    WriteFileBytes(catalog, LargeCatalog(10, 10000));
    TreeHost host;
    double start = BenchSeconds();
    bool loaded = LoadCatalogIntoTree(host.catalog(), catalog, L"catalog");
    double load = BenchSeconds() - start;
    int items = CountItems(host.catalog());
    if (!loaded || items != 100010) printf("load gave %d items\n", items);
    printf("tree load 100000 entries: %.0f ms\n", load * 1000);
    start = BenchSeconds();
    bool saved = WriteCatalogFile(host.catalog(), temp + L"saved.xml", L"catalog");
    double save = BenchSeconds() - start;
    if (!saved) printf("save failed\n");
    printf("tree save 100000 entries: %.0f ms\n", save * 1000);
  }
  RemoveTree(temp);
  CoUninitialize();
  return 0;
}
