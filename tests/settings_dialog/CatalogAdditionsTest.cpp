// Web addresses, dropped files, the folder browser, the file chooser and the
// error box, with the system boxes answered through the dialog's seams.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "media/MediaKind.h"
#include "settings_dialog/CatalogAdditions.h"
#include "settings_dialog/CatalogFiles.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/DialogBoxes.h"
#include "settings_dialog/DialogSeams.h"
#include "settings_dialog/FolderScan.h"
#include "settings_dialog/TreeHost.h"
#include "support/TestPaths.h"

namespace {

const int A = MediaKindAudio, P = MediaKindPicture, V = MediaKindVideo, F = MediaKindFolder, W = MediaKindWebMedia;

struct Box {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT type;
};
std::vector<Box> boxes;
int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  boxes.push_back({owner, text ? text : L"", caption ? caption : L"", type});
  return IDOK;
}

std::wstring browsedTitle;
UINT browsedFlags = 0;
std::wstring browseAnswer;
PIDLIST_ABSOLUTE WINAPI AnswerBrowser(LPBROWSEINFOW info) {
  browsedTitle = info->lpszTitle ? info->lpszTitle : L"";
  browsedFlags = info->ulFlags;
  if (browseAnswer.empty()) return nullptr;
  return ILCreateFromPathW(browseAnswer.c_str());
}

OPENFILENAMEW chooserSeen;
std::wstring chooserAnswer;
BOOL WINAPI AnswerChooser(LPOPENFILENAMEW info) {
  chooserSeen = *info;
  if (chooserAnswer.empty()) return FALSE;
  wcsncpy(info->lpstrFile, chooserAnswer.c_str(), info->nMaxFile);
  return TRUE;
}

class CatalogAdditionsTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    boxes.clear();
    host_.reset(new TreeHost);
    ASSERT_TRUE(LoadExtensionsIntoTree(host_->extensions(),
                                       ProgramFolder() + L"..\\Kelvane\\kelconfig\\Scripts\\dialogs\\extension.xml",
                                       L"extension"));
    temp_ = MakeTempFolder(L"keladd");
    seams_.reset(new ScopedDialogSeams({AnswerBrowser, AnswerChooser, RecordBox, CreateProcessW}));
  }
  void TearDown() override {
    seams_.reset();
    host_.reset();
    RemoveTree(temp_);
    CoUninitialize();
  }
  HWND tree() const { return host_->catalog(); }
  HWND dialog() const { return host_->window(); }
  std::vector<TreeNode> SavedAndReloaded() {
    EXPECT_TRUE(WriteCatalogFile(tree(), temp_ + L"c.xml", L"catalog"));
    TreeHost other;
    EXPECT_TRUE(LoadCatalogIntoTree(other.catalog(), temp_ + L"c.xml", L"catalog"));
    return ReadTree(other.catalog());
  }

  std::unique_ptr<TreeHost> host_;
  std::unique_ptr<ScopedDialogSeams> seams_;
  std::wstring temp_;
};

TEST_F(CatalogAdditionsTest, WebAddressesGoToOneWebMediaFolderMadeFirst) {
  ASSERT_TRUE(InitTreeImageList(dialog()));
  BuildTree(tree(), {{L"pics", F, L"pics"}, {L"web media", F, L"w"}});
  AddWebMediaItem(dialog(), L"Radio", L"http://radio.example/live", nullptr);
  AddWebMediaItem(dialog(), L"TV", L"http://tv.example/x", nullptr);
  std::vector<TreeNode> expected = {
      {L"Web Media",
       F,
       L"Web Media",
       {{L"Radio", W, L"http://radio.example/live", {}, L"Radio", L"Web Media"},
        {L"TV", W, L"http://tv.example/x", {}, L"TV", L"Web Media"}},
       L"world wide web",
       L"http"},
      {L"pics", F, L"pics"},
      {L"web media", F, L"w"},
  };
  EXPECT_EQ(ReadTree(tree(), true), expected);
  EXPECT_EQ(ItemImage(tree(), ChildItem(tree(), TopItem(tree(), 0), 0)), 0);
  EXPECT_EQ(ItemImage(tree(), TopItem(tree(), 0)), 1);
  // Given a folder, the address goes there.
  AddWebMediaItem(dialog(), L"Here", L"http://here", TopItem(tree(), 1));
  EXPECT_EQ(ReadTree(tree())[1].children.size(), 1u);
}

// A web item in the way never takes new items: they would vanish on the next
// save.
TEST_F(CatalogAdditionsTest, AWebItemBeforeTheFolderDoesNotSwallowNewAddresses) {
  BuildTree(tree(), {{L"old radio", W, L"http://old/radio"}});
  AddWebMediaItem(dialog(), L"New", L"http://new/x", nullptr);
  AddWebMediaItem(dialog(), L"Under a web item", L"http://under/x", TopItem(tree(), 1));
  std::vector<TreeNode> expected = {
      {L"Web Media", F, L"Web Media", {{L"New", W, L"http://new/x"}}},
      {L"old radio", W, L"http://old/radio"},
      {L"Under a web item", W, L"http://under/x"},
  };
  // The item given as parent was a web item at the top level: its nearest
  // folder is the top level, where new items go first.
  expected = {expected[2], expected[0], expected[1]};
  EXPECT_EQ(ReadTree(tree()), expected);
  EXPECT_EQ(SavedAndReloaded(), expected);
}

TEST_F(CatalogAdditionsTest, DroppedFilesGoUnderTheSelectionsFolder) {
  std::wstring song = temp_ + L"song.mp3";
  std::wstring picture = temp_ + L"Фото.jpeg";
  ASSERT_TRUE(WriteFileBytes(song, "x"));
  ASSERT_TRUE(WriteFileBytes(picture, "x"));
  ASSERT_TRUE(WriteFileBytes(temp_ + L"notes.txt", "x"));
  BuildTree(tree(), {{L"folder", F, L"f", {{L"clip", V, L"f/clip.avi"}}}, {L"top clip", V, L"t.avi"}});

  // Nothing selected: the message, nothing added.
  EXPECT_FALSE(DropFileIntoCatalog(dialog(), song));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, dialog());
  EXPECT_EQ(boxes[0].text, L"\nPlease select a target folder in the catalog!\n");
  EXPECT_EQ(boxes[0].caption, L"ERROR: Dropping a File Into Catalog");
  EXPECT_EQ(boxes[0].type, 0x40030u);
  EXPECT_EQ(CountItems(tree()), 3);

  HTREEITEM folder = TopItem(tree(), 0);
  TreeView_SelectItem(tree(), folder);
  EXPECT_TRUE(DropFileIntoCatalog(dialog(), song));
  // A media item selected: into the folder that holds it.
  TreeView_SelectItem(tree(), ChildItem(tree(), folder, 0));
  EXPECT_TRUE(DropFileIntoCatalog(dialog(), picture));
  // A media item at the top level: to the top level.
  TreeView_SelectItem(tree(), TopItem(tree(), 1));
  EXPECT_TRUE(DropFileIntoCatalog(dialog(), song));
  // Not listed, missing, a folder: nothing, and no message.
  EXPECT_FALSE(DropFileIntoCatalog(dialog(), temp_ + L"notes.txt"));
  EXPECT_FALSE(DropFileIntoCatalog(dialog(), temp_ + L"missing.mp3"));
  EXPECT_FALSE(DropFileIntoCatalog(dialog(), temp_.substr(0, temp_.size() - 1)));
  EXPECT_EQ(boxes.size(), 1u);

  std::vector<TreeNode> expected = {
      {L"song.mp3", A, song, {}, L"song.mp3", song},
      {L"folder",
       F,
       L"f",
       {{L"clip", V, L"f/clip.avi"}, {L"song.mp3", A, song, {}, L"song.mp3", song}, {L"Фото.jpeg", P, picture, {}, L"Фото.jpeg", picture}}},
      {L"top clip", V, L"t.avi"},
  };
  EXPECT_EQ(ReadTree(tree(), true), expected);
  EXPECT_EQ(SavedAndReloaded(), expected);
}

TEST_F(CatalogAdditionsTest, TheChosenFolderIsScannedAndACancelDoesNothing) {
  std::wstring folder = temp_ + L"Chosen";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(folder + L"\\a.png", "x"));
  browseAnswer.clear();
  ChooseFolderAndScan(dialog());
  EXPECT_EQ(browsedTitle, L"Select a folder:");
  EXPECT_EQ(browsedFlags, 5u);
  EXPECT_EQ(CountItems(tree()), 0);
  browseAnswer = folder;
  ChooseFolderAndScan(dialog());
  std::vector<TreeNode> scanned = ReadTree(tree());
  ASSERT_EQ(scanned.size(), 1u);
  EXPECT_EQ(scanned[0].label, L"Chosen");
  ASSERT_EQ(scanned[0].children.size(), 1u);
  EXPECT_EQ(scanned[0].children[0].label, L"a.png");
}

TEST_F(CatalogAdditionsTest, TheFileChooserAndTheErrorBox) {
  std::wstring path = L"unchanged";
  chooserAnswer.clear();
  EXPECT_FALSE(ChooseFile(path, dialog()));
  EXPECT_EQ(path, L"unchanged");
  EXPECT_EQ(chooserSeen.hwndOwner, dialog());
  EXPECT_EQ(chooserSeen.nMaxFile, 520u);
  EXPECT_EQ(chooserSeen.Flags, static_cast<DWORD>(OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
  EXPECT_EQ(std::wstring(chooserSeen.lpstrFilter), L"All Files (*.*)");
  EXPECT_EQ(std::wstring(chooserSeen.lpstrFilter + 16), L"*.*");
  EXPECT_EQ(chooserSeen.lpstrDefExt, nullptr);
  chooserAnswer = L"C:\\chosen file.mp3";
  EXPECT_TRUE(ChooseFile(path, dialog()));
  EXPECT_EQ(path, chooserAnswer);

  SetLastError(ERROR_FILE_NOT_FOUND);
  ShowLastError(L"Opening");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].caption, L"Error");
  EXPECT_EQ(boxes[0].text.find(L"Opening failed with error 2: "), 0u);
  EXPECT_GT(boxes[0].text.size(), std::wstring(L"Opening failed with error 2: ").size());
}

}  // namespace
