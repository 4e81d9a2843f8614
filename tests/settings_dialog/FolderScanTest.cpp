// Folder scans into a real catalog tree, with the shipped extension list.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "media/MediaKind.h"
#include "settings_dialog/CatalogFiles.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/ExtensionLookup.h"
#include "settings_dialog/FolderScan.h"
#include "settings_dialog/TreeHost.h"
#include "support/CurrentDirectoryMarker.h"
#include "support/MappedDrive.h"
#include "support/TestPaths.h"

namespace {

const int A = MediaKindAudio, P = MediaKindPicture, L = MediaKindPlaylist, V = MediaKindVideo, F = MediaKindFolder,
          W = MediaKindWebMedia;

std::wstring ShippedExtensions() {
  return ProgramFolder() + L"..\\Kelvane\\kelconfig\\Scripts\\dialogs\\extension.xml";
}

std::vector<TreeNode> Sorted(std::vector<TreeNode> nodes) {
  std::sort(nodes.begin(), nodes.end(), [](const TreeNode& a, const TreeNode& b) { return a.label < b.label; });
  for (TreeNode& node : nodes) node.children = Sorted(std::move(node.children));
  return nodes;
}

std::wstring Slashes(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path;
}

class FolderScanTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    host_.reset(new TreeHost);
    ASSERT_TRUE(LoadExtensionsIntoTree(host_->extensions(), ShippedExtensions(), L"extension"));
    temp_ = MakeTempFolder(L"kelscan");
    ASSERT_FALSE(temp_.empty());
  }
  void TearDown() override {
    host_.reset();
    RemoveTree(temp_);
    CoUninitialize();
  }
  HWND tree() const { return host_->catalog(); }
  void MakeFile(const std::wstring& path) { ASSERT_TRUE(WriteFileBytes(path, "x")) << Slashes(path).size(); }
  void Scan(const std::wstring& folder) {
    std::vector<FolderScanLevel> levels;
    ScanFolderIntoCatalog(host_->window(), folder, levels, nullptr);
    EXPECT_TRUE(levels.empty());
  }

  std::unique_ptr<TreeHost> host_;
  std::wstring temp_;
};

TEST_F(FolderScanTest, AFolderScansIntoOneTopItemWithEverythingBelowIt) {
  std::wstring root = temp_ + L"Trip";
  CreateDirectoryW(root.c_str(), nullptr);
  CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
  CreateDirectoryW((root + L"\\sub\\deeper").c_str(), nullptr);
  CreateDirectoryW((root + L"\\empty").c_str(), nullptr);
  for (const wchar_t* name : {L"\\a.jpg", L"\\b.MP3", L"\\notes.txt", L"\\noext", L"\\list.m3u", L"\\sub\\c.avi",
                              L"\\sub\\deeper\\d.png"})
    MakeFile(root + name);
  BuildTree(tree(), {{L"older", F, L"older"}});
  Scan(root);

  const std::wstring r = Slashes(root);
  std::vector<TreeNode> expected = {
      {L"Trip",
       F,
       r + L"/",
       {{L"a.jpg", P, r + L"/a.jpg", {}, L"Trip", root},
        {L"b.MP3", A, r + L"/b.MP3", {}, L"Trip", root},
        {L"empty", F, r + L"/empty/", {}, L"Trip", root},
        {L"list.m3u", L, r + L"/list.m3u", {}, L"Trip", root},
        {L"sub",
         F,
         r + L"/sub/",
         {{L"c.avi", V, r + L"/sub/c.avi", {}, L"sub", root + L"\\sub"},
          {L"deeper", F, r + L"/sub/deeper/", {{L"d.png", P, r + L"/sub/deeper/d.png", {}, L"deeper", root + L"\\sub\\deeper"}},
           L"sub", root + L"\\sub"}},
         L"Trip", root}},
       L"Trip", root},
      {L"older", F, L"older"},
  };
  EXPECT_EQ(Sorted(ReadTree(tree(), true)), Sorted(expected));

  // Nothing for a folder that does not list.
  int count = CountItems(tree());
  Scan(temp_ + L"missing");
  Scan(root + L"\\a.jpg");
  EXPECT_EQ(CountItems(tree()), count);
}

// The whole extension counts, in any case; the text before it never does.
TEST_F(FolderScanTest, ExtensionsMatchWholeIgnoringCase) {
  const struct {
    const wchar_t* file;
    int scanKind;
    int droppedKind;
  } cases[] = {
      {L"a.jpeg", P, P},   {L"a.flac", A, A},     {L"a.webm", V, V},  {L"a.tiff", P, P},     {L"a.opus", A, A},
      {L"a.ts", V, V},     {L"A.MP3", A, A},      {L"a.JpG", P, P},   {L"a.mp4", V, V},      {L"a.m3u", L, L},
      {L"mp3", 0, 0},      {L"a.mp3.txt", 0, 0},  {L"a.peg", 0, 0},   {L"a.s", 0, 0},        {L"a.", 0, 0},
      {L"a.xmp3", 0, 0},   {L"a.ure", 0, 0},
  };
  HWND ext = host_->extensions();
  ExtensionTable table(ext);
  for (const auto& c : cases) {
    std::wstring extension = FileExtensionOf(c.file);
    EXPECT_EQ(table.ScanKindOf(extension), c.scanKind) << Slashes(c.file);
    EXPECT_EQ(ClassifyFileByExtension(host_->window(), std::wstring(L"D:\\x.y\\") + c.file), c.droppedKind)
        << Slashes(c.file);
    for (int kind = A; kind <= W; ++kind)
      EXPECT_EQ(IsExtensionOfKind(ext, nullptr, kind, extension), table.IsOfKind(kind, extension))
          << Slashes(c.file) << " " << kind;
  }
}

TEST_F(FolderScanTest, AnExtensionInTwoGroupsTakesTheFirstOfEachOrder) {
  HWND ext = host_->extensions();
  TreeView_DeleteAllItems(ext);
  BuildTree(ext, {{L"AUDIO", A, L"AUDIO", {{L"dup", A, L"*.dup"}, {L"x", A, L"x"}}},
                  {L"PICTURE", P, L"PICTURE", {{L"dup", P, L".dup"}}},
                  {L"WEBM", W, L"WEBM", {{L"url", W, L"*.url"}}}});
  EXPECT_EQ(ClassifyFileByExtension(host_->window(), L"C:\\a.dup"), A);
  EXPECT_EQ(ExtensionTable(ext).ScanKindOf(L"dup"), P);
  EXPECT_EQ(ClassifyFileByExtension(host_->window(), L"C:\\a.url"), W);
  EXPECT_EQ(ExtensionTable(ext).ScanKindOf(L"url"), 0);  // the scan never makes web items
  EXPECT_EQ(ClassifyFileByExtension(host_->window(), L"C:\\a.x"), A);  // an entry path without a dot
  EXPECT_FALSE(IsExtensionOfKind(ext, nullptr, A, L""));
}

// Which directories a scan enters: a link (junction or symbolic link) shows
// as an empty folder, so no chain of links can loop.
TEST(FolderScanRuleTest, LinksAreNeverEntered) {
  const struct {
    const wchar_t* name;
    DWORD attributes;
    bool enters;
  } cases[] = {
      {L"sub", FILE_ATTRIBUTE_DIRECTORY, true},
      {L"hidden", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true},
      {L"link", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, false},
      {L".", FILE_ATTRIBUTE_DIRECTORY, false},
      {L"..", FILE_ATTRIBUTE_DIRECTORY, false},
      {L"a.jpg", FILE_ATTRIBUTE_ARCHIVE, false},
  };
  for (const auto& c : cases) {
    WIN32_FIND_DATAW found = {};
    found.dwFileAttributes = c.attributes;
    wcscpy(found.cFileName, c.name);
    EXPECT_EQ(IsFolderToEnter(found), c.enters) << c.attributes;
  }
}

// Wine leaves links out of listings; what it does list scans once.
TEST_F(FolderScanTest, LinkedFoldersScanOnce) {
  std::wstring root = temp_ + L"linked";
  CreateDirectoryW(root.c_str(), nullptr);
  CreateDirectoryW((root + L"\\target").c_str(), nullptr);
  MakeFile(root + L"\\target\\a.jpg");
  ASSERT_TRUE(CreateSymbolicLinkW((root + L"\\link").c_str(), (root + L"\\target").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
      << GetLastError();
  ASSERT_TRUE(CreateSymbolicLinkW((root + L"\\target\\back").c_str(), root.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
      << GetLastError();
  Scan(root);
  std::vector<TreeNode> scanned = ReadTree(tree());
  ASSERT_EQ(scanned.size(), 1u);
  int pictures = 0;
  std::vector<const TreeNode*> pending = {&scanned[0]};
  while (!pending.empty()) {
    const TreeNode* node = pending.back();
    pending.pop_back();
    if (node->kind == P) ++pictures;
    for (const TreeNode& child : node->children) pending.push_back(&child);
  }
  EXPECT_EQ(pictures, 1);
}

// Its removal leaves the current directory alone (the shell's delete once
// emptied it whenever a name went beyond MAX_PATH).
TEST_F(FolderScanTest, FoldersBeyondMaxPathAreListedAndStoredInTheirOrdinaryForm) {
  CurrentDirectoryMarker current;
  std::wstring folder = temp_ + L"long";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring deepest = folder;
  for (int i = 0; deepest.size() < 330; ++i) {
    deepest += L"\\" + std::wstring(40, static_cast<wchar_t>(L'a' + i));
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deepest).c_str(), nullptr));
  }
  ASSERT_TRUE(WriteFileBytes(L"\\\\?\\" + deepest + L"\\clip.mp4", "x"));
  Scan(folder);
  HTREEITEM item = TopItem(tree(), 0);
  HTREEITEM last = nullptr;
  while (item) {
    last = item;
    item = TreeView_GetChild(tree(), item);
  }
  ASSERT_NE(last, nullptr);
  std::wstring path;
  GetTreeItemPath(tree(), last, path);
  EXPECT_EQ(path, Slashes(deepest) + L"/clip.mp4");
  const CatalogItem* record = GetTreeItemRecord(tree(), last);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->parent, deepest);
  EXPECT_EQ(record->kind, V);

  RemoveTree(folder);
  EXPECT_FALSE(FileExists(folder));
  EXPECT_TRUE(current.MarkerSurvives());
}

TEST_F(FolderScanTest, DriveRootsGiveALabelAndSinglePaths) {
  const struct {
    const wchar_t* folder;
    const wchar_t* path;
  } cases[] = {{L"C:\\", L"C:/"}, {L"C:", L"C:/"}, {L"C:/", L"C:/"}, {L"q:\\", L"q:/"}};
  for (const auto& c : cases) {
    std::wstring label, path, parent;
    FolderScanTopItem(c.folder, label, path, parent);
    EXPECT_FALSE(label.empty()) << Slashes(c.folder);
    EXPECT_EQ(label.find_first_of(L"\\/"), std::wstring::npos) << Slashes(label);
    EXPECT_EQ(path, c.path);
    EXPECT_EQ(parent, c.folder);
  }
  std::wstring label, path, parent;
  FolderScanTopItem(L"D:\\Pics\\", label, path, parent);
  EXPECT_EQ(label, L"Pics");
  EXPECT_EQ(path, L"D:/Pics/");

}

// A drive, scanned from its root: labelled, and single separators everywhere
// below it. The drive stands for a folder of the test's own: the system
// drive of a Wine prefix leads into the user's home.
TEST_F(FolderScanTest, ADriveRootScansToSinglePaths) {
  std::wstring folder = temp_ + L"drive";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\Trip").c_str(), nullptr));
  MakeFile(folder + L"\\a.jpg");
  MakeFile(folder + L"\\Trip\\b.mp3");
  MappedDrive drive(folder);
  ASSERT_FALSE(drive.Root().empty()) << "no drive letter could stand for the folder";
  const std::wstring root = drive.Root();  // "K:\\"
  const std::wstring slashed = Slashes(root);

  Scan(root);
  std::vector<TreeNode> scanned = ReadTree(tree(), true);
  ASSERT_EQ(scanned.size(), 1u);
  const std::wstring label = scanned[0].label;
  EXPECT_FALSE(label.empty());
  EXPECT_EQ(label.find_first_of(L"\\/"), std::wstring::npos) << Slashes(label);
  std::vector<TreeNode> expected = {
      {label,
       F,
       slashed,
       {{L"Trip", F, slashed + L"Trip/", {{L"b.mp3", A, slashed + L"Trip/b.mp3", {}, L"Trip", root + L"Trip"}}, label,
         root},
        {L"a.jpg", P, slashed + L"a.jpg", {}, label, root}},
       label,
       root},
  };
  EXPECT_EQ(Sorted(scanned), Sorted(expected));
}

TEST_F(FolderScanTest, ALargeFolderScansWhole) {
  std::wstring root = temp_ + L"many";
  CreateDirectoryW(root.c_str(), nullptr);
  for (int i = 0; i < 2000; ++i) MakeFile(root + L"\\f" + std::to_wstring(i) + (i % 2 ? L".jpg" : L".mp3"));
  Scan(root);
  EXPECT_EQ(CountItems(tree()), 2001);
}

}  // namespace
