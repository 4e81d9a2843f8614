// The tree records, images, getters and the web-media search on real tree
// views.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <memory>
#include <string>

#include "engine/Settings.h"
#include "media/MediaKind.h"
#include "settings_dialog/CatalogFiles.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/TreeHost.h"
#include "support/TestPaths.h"

namespace {

const int A = MediaKindAudio, P = MediaKindPicture, L = MediaKindPlaylist, V = MediaKindVideo, F = MediaKindFolder,
          W = MediaKindWebMedia;

class CatalogTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    host_.reset(new TreeHost);
    folder_ = MakeTempFolder(L"keltree");
  }
  void TearDown() override {
    host_.reset();
    RemoveTree(folder_);
    CoUninitialize();
  }
  HWND tree() const { return host_->catalog(); }
  // The literal as the dialog has it from a file: saved, then loaded into
  // the tree, every folder below the top level waiting unopened.
  void LoadAsFromAFile(const std::vector<TreeNode>& nodes) {
    TreeHost writer;
    BuildTree(writer.catalog(), nodes);
    ASSERT_TRUE(WriteCatalogFile(writer.catalog(), folder_ + L"c.xml", L"catalog"));
    TreeView_DeleteAllItems(tree());
    ASSERT_TRUE(LoadCatalogIntoTree(tree(), folder_ + L"c.xml", L"catalog"));
  }
  std::wstring folder_;
  HTREEITEM Insert(HTREEITEM parent, int kind, const std::wstring& label, const std::wstring& path = L"") {
    CatalogItem* record = new CatalogItem;
    record->path = path;
    record->kind = kind;
    return InsertCatalogTreeItem(tree(), parent, kind, label, record);
  }
  std::unique_ptr<TreeHost> host_;
};

TEST_F(CatalogTreeTest, TheImageListHoldsSixImagesAndEveryKindGetsItsOwn) {
  ASSERT_TRUE(InitTreeImageList(host_->window()));
  HIMAGELIST list = TreeView_GetImageList(tree(), TVSIL_NORMAL);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(TreeView_GetImageList(host_->extensions(), TVSIL_NORMAL), list);
  EXPECT_EQ(ImageList_GetImageCount(list), 6);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  EXPECT_EQ(cx, 32);
  EXPECT_EQ(cy, 32);
  const struct {
    int kind;
    int image;
  } cases[] = {{A, 5}, {P, 2}, {L, 3}, {V, 4}, {F, 1}, {W, 0}, {0, 0}, {9, 0}};
  for (const auto& c : cases) EXPECT_EQ(ItemImage(tree(), Insert(nullptr, c.kind, L"x")), c.image) << c.kind;
  // A second list replaces the first; the window ends with the last one.
  ASSERT_TRUE(InitTreeImageList(host_->window()));
  EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(tree(), TVSIL_NORMAL)), 6);
}

TEST_F(CatalogTreeTest, TopLevelItemsGoFirstAndChildrenLast) {
  HTREEITEM folder = Insert(nullptr, F, L"folder");
  Insert(nullptr, P, L"newer");
  Insert(folder, P, L"one");
  Insert(folder, P, L"two");
  std::vector<TreeNode> expected = {{L"newer", P, L""}, {L"folder", F, L"", {{L"one", P, L""}, {L"two", P, L""}}}};
  EXPECT_EQ(ReadTree(tree()), expected);
}

// Each record lives exactly as long as its item.
TEST_F(CatalogTreeTest, RecordsAreFreedWithTheirItems) {
  const size_t before = LiveCatalogTreeRecords();
  HTREEITEM folder = Insert(nullptr, F, L"folder");
  HTREEITEM inner = Insert(folder, F, L"inner");
  Insert(inner, P, L"a");
  Insert(folder, A, L"b");
  Insert(nullptr, V, L"c");
  Insert(nullptr, W, L"d", L"http://d");
  InsertCatalogTreeItem(host_->extensions(), nullptr, A, L"ext", new CatalogItem);
  EXPECT_EQ(LiveCatalogTreeRecords(), before + 7);
  EXPECT_TRUE(DeleteCatalogTreeItem(tree(), folder));
  EXPECT_EQ(LiveCatalogTreeRecords(), before + 3);
  EXPECT_EQ(CountItems(tree()), 2);
  TreeView_DeleteAllItems(tree());
  EXPECT_EQ(LiveCatalogTreeRecords(), before + 1);
  // Entries waiting in folders not opened yet count too, and go with them.
  LoadAsFromAFile({{L"f", F, L"f", {{L"x", P, L"x"}, {L"g", F, L"g", {{L"y", P, L"y"}}}}}, {L"h", F, L"h", {{L"z", A, L"z"}}}});
  EXPECT_EQ(LiveCatalogTreeRecords(), before + 1 + 6);  // the extension item, then f, x, g, y, h, z
  TreeView_Expand(tree(), TopItem(tree(), 0), TVE_EXPAND);
  EXPECT_EQ(LiveCatalogTreeRecords(), before + 1 + 6);
  EXPECT_TRUE(DeleteCatalogTreeItem(tree(), TopItem(tree(), 1)));
  EXPECT_EQ(LiveCatalogTreeRecords(), before + 1 + 4);
  Insert(nullptr, F, L"again");
  Insert(TreeView_GetRoot(tree()), F, L"child");
  host_->Destroy();
  EXPECT_EQ(LiveCatalogTreeRecords(), before);
  // An insert that the control refuses frees the record at once.
  EXPECT_EQ(InsertCatalogTreeItem(nullptr, nullptr, F, L"nowhere", new CatalogItem), nullptr);
  EXPECT_EQ(LiveCatalogTreeRecords(), before);
}

TEST_F(CatalogTreeTest, GettersGiveWholeTextsAndFallBackToTheLabel) {
  const std::wstring longPath = L"D:\\" + std::wstring(300, L'p') + L"\\\U0001F600.jpg";
  const std::wstring longLabel = std::wstring(700, L'l') + L"Ω";
  CatalogItem* record = new CatalogItem;
  record->name = L"Ελληνικά " + std::wstring(280, L'n');
  record->path = longPath;
  record->kind = P;
  HTREEITEM item = InsertCatalogTreeItem(tree(), nullptr, P, longLabel, record);
  HTREEITEM bare = InsertCatalogTreeItem(tree(), nullptr, F, L"bare label", nullptr);
  std::wstring text;
  EXPECT_TRUE(GetTreeItemText(tree(), item, text));
  EXPECT_EQ(text, longLabel);
  EXPECT_TRUE(GetTreeItemPath(tree(), item, text));
  EXPECT_EQ(text, longPath);
  EXPECT_TRUE(GetTreeItemName(tree(), item, text));
  EXPECT_EQ(text, record->name);
  EXPECT_TRUE(GetTreeItemPath(tree(), bare, text));
  EXPECT_EQ(text, L"bare label");
  EXPECT_TRUE(GetTreeItemName(tree(), bare, text));
  EXPECT_EQ(text, L"bare label");
  wchar_t small[8];
  EXPECT_TRUE(GetTreeItemText(tree(), bare, small, 8));
  EXPECT_EQ(std::wstring(small), L"bare la");
  EXPECT_FALSE(GetTreeItemText(tree(), nullptr, text));

  EXPECT_TRUE(IsTreeItemKind(tree(), item, P));
  EXPECT_FALSE(IsTreeItemKind(tree(), item, A));
  EXPECT_FALSE(IsTreeItemKind(tree(), bare, F));  // no record
  EXPECT_FALSE(IsTreeItemKind(tree(), nullptr, P));
}

// Only a folder labelled exactly "Web Media" is the place for web items; a
// web item is never one, as nothing below it would be saved.
TEST_F(CatalogTreeTest, TheWebMediaFolderIsFoundAtAnyDepthAndOnlyAsAFolder) {
  const struct {
    const char* what;
    std::vector<TreeNode> tree;
    std::vector<int> found;  // child indexes from the top; empty: none
  } cases[] = {
      {"none", {{L"a", F, L"a"}, {L"web media", F, L"Web Media"}}, {}},
      {"top level", {{L"a", P, L"a"}, {L"Web Media", F, L"Web Media"}}, {1}},
      {"deep, first depth first",
       {{L"a", F, L"a", {{L"b", F, L"b", {{L"Web Media", F, L"1"}}}}}, {L"Web Media", F, L"2"}},
       {0, 0, 0}},
      {"a web item first",
       {{L"radio", W, L"http://r", {}}, {L"Web Media", W, L"http://x"}, {L"x", F, L"x", {{L"Web Media", F, L"Web Media"}}}},
       {2, 0}},
      {"only web items", {{L"radio", W, L"http://r"}, {L"Web Media", W, L"Web Media"}}, {}},
  };
  for (const auto& c : cases) {
    // Built item by item, and loaded from a file with its folders unopened.
    for (bool fromFile : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (fromFile ? ", from a file" : ""));
      TreeView_DeleteAllItems(tree());
      if (fromFile)
        LoadAsFromAFile(c.tree);
      else
        BuildTree(tree(), c.tree);
      HTREEITEM found = FindWebMediaFolder(tree(), nullptr);
      HTREEITEM expected = nullptr;
      if (!c.found.empty()) {
        expected = TopItem(tree(), c.found[0]);
        for (size_t i = 1; i < c.found.size(); ++i) expected = ChildItem(tree(), expected, c.found[i]);
      }
      EXPECT_EQ(found, expected);
    }
  }
}

// Only the folders that hold the one sought are opened on the way.
TEST_F(CatalogTreeTest, TheWebMediaSearchOpensOnlyWhatLeadsToIt) {
  LoadAsFromAFile({{L"A", F, L"A", {{L"a1", P, L"a1"}, {L"a2", F, L"a2", {{L"a21", P, L"a21"}}}}},
                   {L"B", F, L"B", {{L"b1", P, L"b1"}, {L"Web Media", F, L"Web Media", {{L"r", W, L"http://r/"}}}}},
                   {L"C", F, L"C", {{L"c1", P, L"c1"}}}});
  EXPECT_EQ(ShownItems(tree()), L"A+, B+, C+");
  HTREEITEM found = FindWebMediaFolder(tree(), nullptr);
  EXPECT_EQ(ShownItems(tree()), L"A+, B(b1, Web Media+), C+");
  EXPECT_EQ(found, ChildItem(tree(), TopItem(tree(), 1), 1));
  // Nothing to find: nothing opened.
  LoadAsFromAFile({{L"A", F, L"A", {{L"a1", P, L"a1"}}}, {L"web media", F, L"w", {{L"x", P, L"x"}}}});
  EXPECT_EQ(FindWebMediaFolder(tree(), nullptr), nullptr);
  EXPECT_EQ(ShownItems(tree()), L"A+, web media+");
}

// An item added to a folder that was never opened goes after what waits in
// it, as it would had the folder been opened first.
TEST_F(CatalogTreeTest, ItemsAddedToAFolderNeverOpenedComeAfterItsOwn) {
  LoadAsFromAFile({{L"A", F, L"A", {{L"a1", P, L"a1"}, {L"a2", F, L"a2", {{L"a21", P, L"a21"}}}}}, {L"B", F, L"B"}});
  EXPECT_EQ(ShownItems(tree()), L"A+, B");
  HTREEITEM a = TopItem(tree(), 0);
  HTREEITEM added = Insert(a, V, L"new", L"new.avi");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(ShownItems(tree()), L"A(a1, a2+, new), B");
  // Still closed: the user has not opened it.
  EXPECT_FALSE(TreeView_GetItemState(tree(), a, TVIS_EXPANDED) & TVIS_EXPANDED);
  Insert(ChildItem(tree(), a, 1), A, L"deeper", L"d.mp3");
  std::vector<TreeNode> expected = {
      {L"A", F, L"A", {{L"a1", P, L"a1"}, {L"a2", F, L"a2", {{L"a21", P, L"a21"}, {L"deeper", A, L"d.mp3"}}}, {L"new", V, L"new.avi"}}},
      {L"B", F, L"B"}};
  EXPECT_EQ(ReadTree(tree()), expected);
}

TEST_F(CatalogTreeTest, TheDialogLoadsTheInstalledCatalogAndExtensionList) {
  std::wstring saved = KEL_TARGETDIR;
  std::wstring folder = MakeTempFolder(L"keltarget");
  CreateDirectoryW((folder + L"kelconfig").c_str(), nullptr);
  CreateDirectoryW((folder + L"kelconfig\\Scripts").c_str(), nullptr);
  CreateDirectoryW((folder + L"kelconfig\\Scripts\\dialogs").c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(folder + L"kelconfig\\Scripts\\dialogs\\catalog.xml",
                             "<CATALOG><PICTURE branchname=\"p\" branchpath=\"p.jpg\"/></CATALOG>"));
  ASSERT_TRUE(WriteFileBytes(folder + L"kelconfig\\Scripts\\dialogs\\extension.xml",
                             "<EXTENSION><ExtList branchname=\"ExtList\"><FOLDER0 branchname=\"AUDIO\">"
                             "<AUDIO branchname=\"mp3\" branchpath=\"*.mp3\"/></FOLDER0></ExtList></EXTENSION>"));
  KEL_TARGETDIR = folder;
  EXPECT_TRUE(LoadDialogTrees(host_->window()));
  KEL_TARGETDIR = saved;
  std::vector<TreeNode> catalog = {{L"p", P, L"p.jpg"}};
  std::vector<TreeNode> extensions = {{L"AUDIO", A, L"", {{L"mp3", A, L"*.mp3"}}}};
  EXPECT_EQ(ReadTree(tree()), catalog);
  EXPECT_EQ(ReadTree(host_->extensions()), extensions);
  RemoveTree(folder);
}

// The writer's view of the tree's shape follows every insert and deletion,
// and gives way to the control when items came in some other way.
TEST_F(CatalogTreeTest, TheShapeFollowsInsertsAndDeletions) {
  auto walk = [&](const TreeShape& shape) {
    std::vector<std::wstring> labels;
    std::vector<HTREEITEM> pending;
    for (HTREEITEM item = shape.First(); item || !pending.empty();) {
      if (!item) {
        item = pending.back();
        pending.pop_back();
        continue;
      }
      std::wstring label;
      GetTreeItemText(tree(), item, label);
      labels.push_back(label);
      if (HTREEITEM child = shape.Child(item)) {
        EXPECT_EQ(shape.Parent(child), item);
        pending.push_back(shape.Next(item));
        item = child;
      } else {
        item = shape.Next(item);
      }
    }
    return labels;
  };
  HTREEITEM a = Insert(nullptr, F, L"a");
  HTREEITEM b = Insert(nullptr, F, L"b");
  Insert(a, P, L"a1");
  HTREEITEM a2 = Insert(a, F, L"a2");
  Insert(a2, P, L"a21");
  Insert(a, P, L"a3");
  Insert(b, P, L"b1");
  Insert(nullptr, P, L"c");
  DeleteCatalogTreeItem(tree(), a2);
  Insert(a, P, L"a4");
  DeleteCatalogTreeItem(tree(), b);
  TreeShape shape(tree());
  EXPECT_TRUE(shape.Mirrored());
  std::vector<std::wstring> expected = {L"c", L"a", L"a1", L"a3", L"a4"};
  EXPECT_EQ(walk(shape), expected);

  // An item the control got from elsewhere: the control answers.
  TVINSERTSTRUCTW insert = {};
  insert.hParent = a;
  insert.hInsertAfter = TVI_FIRST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<wchar_t*>(L"foreign");
  SendMessageW(tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  TreeShape fallback(tree());
  EXPECT_FALSE(fallback.Mirrored());
  expected = {L"c", L"a", L"foreign", L"a1", L"a3", L"a4"};
  EXPECT_EQ(walk(fallback), expected);
  TreeView_DeleteAllItems(tree());
  Insert(nullptr, F, L"again");
  EXPECT_TRUE(TreeShape(tree()).Mirrored());
}

}  // namespace
