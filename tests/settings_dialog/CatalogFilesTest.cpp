// Catalog and extension files written from and read into real tree views.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <objbase.h>

#include "SmallStack.h"
#include "media/MSXMLParser.h"
#include "media/MediaKind.h"
#include "settings_dialog/CatalogEntries.h"
#include "settings_dialog/CatalogFiles.h"
#include "settings_dialog/CatalogTextReader.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/CatalogTreeWalk.h"
#include "settings_dialog/CatalogXmlText.h"
#include "settings_dialog/ScriptedReplace.h"
#include "settings_dialog/TreeHost.h"
#include "support/TestPaths.h"

namespace {

const int A = MediaKindAudio, P = MediaKindPicture, L = MediaKindPlaylist, V = MediaKindVideo, F = MediaKindFolder,
          W = MediaKindWebMedia;

// Every field of every item, depth first, names and parents compared even
// when empty.
std::vector<std::wstring> EveryField(const std::vector<TreeNode>& nodes, int depth = 0) {
  std::vector<std::wstring> out;
  for (const TreeNode& node : nodes) {
    out.push_back(std::to_wstring(depth) + L"|" + node.label + L"|" + std::to_wstring(node.kind) + L"|" + node.path +
                  L"|" + node.name + L"|" + node.parent);
    std::vector<std::wstring> inside = EveryField(node.children, depth + 1);
    out.insert(out.end(), inside.begin(), inside.end());
  }
  return out;
}

class CatalogFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    folder_ = MakeTempFolder(L"kelfiles");
    ASSERT_FALSE(folder_.empty());
    host_.reset(new TreeHost);
  }
  void TearDown() override {
    host_.reset();
    RemoveTree(folder_);
    CoUninitialize();
  }
  HWND tree() const { return host_->catalog(); }
  std::wstring File(const std::wstring& name) const { return folder_ + name; }
  // The names in the test's folder, sorted.
  std::vector<std::wstring> FolderNames() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder_ + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
  }
  // The label of a catalog file's first item; empty when there is none.
  static std::wstring FirstLabel(const std::wstring& path) {
    XmlElement root;
    if (!ParseXmlFile(path, root) || root.children.empty()) return L"";
    return Attribute(root.children[0], L"branchname");
  }

  std::wstring folder_;
  std::unique_ptr<TreeHost> host_;
};

TEST(KindGroupNameTest, NamesEveryKind) {
  const struct {
    int kind;
    const wchar_t* name;
  } cases[] = {{1, L"AUDIO"}, {2, L"PICTURE"}, {3, L"PLAYLIST"}, {4, L"VIDEO"}, {5, L"FOLDER"},
               {6, L"WEBM"},  {0, L"KEL_FILTERTYPE_ERROR"}, {7, L"KEL_FILTERTYPE_ERROR"}, {-1, L"KEL_FILTERTYPE_ERROR"}};
  for (const auto& c : cases) {
    std::wstring name = L"old";
    GetKindGroupName(c.kind, name);
    EXPECT_EQ(name, c.name) << c.kind;
  }
}

TEST_F(CatalogFilesTest, WritesElementsInTheTreesOrderWithCountersAndAttributesInOrder) {
  BuildTree(tree(), {{L"A", P, L"D:\\Pics\\a.jpg"},
                     {L"B", F, L"D:\\Pics", {{L"X", A, L"D:/Pics/x.mp3"}, {L"Y", F, L"D:/Pics/Trip", {{L"Z", V, L"z"}}}}},
                     {L"Web", F, L"Web Media", {{L"Radio", W, L"http://radio.example/live/stream"}}},
                     {L"E", L, L"list.m3u"}});
  ASSERT_TRUE(WriteCatalogFile(tree(), File(L"c.xml"), L"catalog"));
  std::string bytes = ReadFileBytes(File(L"c.xml"));
  EXPECT_EQ(bytes.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), 0u) << bytes;
  XmlElement root;
  ASSERT_TRUE(ParseXmlFile(File(L"c.xml"), root));
  EXPECT_EQ(root.name, L"CATALOG");
  EXPECT_TRUE(root.attributes.empty());
  ASSERT_EQ(root.children.size(), 4u);
  // The tree's order at every level; folders numbered depth first.
  const XmlElement& a = root.children[0];
  const XmlElement& b = root.children[1];
  const XmlElement& web = root.children[2];
  const XmlElement& e = root.children[3];
  EXPECT_EQ(a.name, L"PICTURE");
  EXPECT_EQ(b.name, L"FOLDER0");
  EXPECT_EQ(web.name, L"FOLDER2");
  EXPECT_EQ(e.name, L"PLAYLIST");
  ASSERT_EQ(b.children.size(), 2u);
  EXPECT_EQ(b.children[0].name, L"AUDIO");
  EXPECT_EQ(b.children[1].name, L"FOLDER1");
  std::vector<std::pair<std::wstring, std::wstring>> expected = {
      {L"parentname", L"CATALOG"}, {L"branchname", L"A"}, {L"branchpath", L"D:\\Pics\\a.jpg"}, {L"parentpath", L"D:\\Pics"}};
  EXPECT_EQ(a.attributes, expected);

  const struct {
    const XmlElement* element;
    const wchar_t* parentName;
    const wchar_t* parentPath;
  } cases[] = {
      {&b, L"CATALOG", L"D:"},                                  // a folder: cut at its backslash
      {&b.children[0], L"B", L"D:/Pics"},                       // media: at the last "/"
      {&b.children[1], L"B", L"D:/Pics/Trip"},                  // a folder without a backslash: whole
      {&b.children[1].children[0], L"Y", L"z"},                 // media with neither: whole
      {&web.children[0], L"Web", L"http://radio.example/live"}, // an address up to its last "/"
      {&web, L"CATALOG", L"Web Media"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Attribute(*c.element, L"parentname"), c.parentName) << Attribute(*c.element, L"branchname");
    EXPECT_EQ(Attribute(*c.element, L"parentpath"), c.parentPath) << Attribute(*c.element, L"branchname");
  }
}

TEST_F(CatalogFilesTest, AnEmptyTreeIsAnEmptyCatalogAndAnItemWithoutRecordAFolder) {
  ASSERT_TRUE(WriteCatalogFile(tree(), File(L"empty.xml"), L"catalog"));
  XmlElement root;
  ASSERT_TRUE(ParseXmlFile(File(L"empty.xml"), root));
  EXPECT_EQ(root.name, L"CATALOG");
  EXPECT_TRUE(root.children.empty());

  AppendCatalogTreeItem(tree(), nullptr, 0, L"bare", nullptr);
  ASSERT_TRUE(WriteCatalogFile(tree(), File(L"bare.xml"), L"catalog"));
  ASSERT_TRUE(ParseXmlFile(File(L"bare.xml"), root));
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.children[0].name, L"FOLDER0");
  EXPECT_EQ(Attribute(root.children[0], L"branchpath"), L"bare");
}

// Tree literal -> file -> reloaded tree: the same tree, names and paths
// whole; saved again, with its folders never opened or all opened, the same
// bytes.
TEST_F(CatalogFilesTest, RoundTripsGiveTheTreeBackInItsOrder) {
  const std::wstring longPath = L"C:\\" + std::wstring(290, L'x') + L"\\clip.mp4";
  ASSERT_GT(longPath.size(), 300u);
  const std::wstring emoji = L"\U0001F3B5 \U0001F600";
  const struct {
    const char* what;
    std::vector<TreeNode> tree;
  } cases[] = {
      {"flat", {{L"a", P, L"a.jpg"}, {L"b", A, L"b.mp3"}, {L"c", V, L"c.avi"}, {L"d", L, L"d.m3u"}, {L"e", W, L"http://e/f"}}},
      {"nested",
       {{L"top", F, L"C:/top/", {{L"one", F, L"C:/top/one/", {{L"x", P, L"C:/top/one/x.png"}, {L"y", P, L"y.png"}}},
                                 {L"z", A, L"C:/top/z.wav"}, {L"two", F, L"C:/top/two/", {{L"w", V, L"w.avi"}}}}},
        {L"middle", P, L"m.jpg"},
        {L"last", F, L"last", {{L"l1", A, L"l1.mp3"}, {L"l2", A, L"l2.mp3"}, {L"l3", A, L"l3.mp3"}}}}},
      {"a user's folder named catalog keeps its place and children",
       {{L"first", P, L"f.jpg"},
        {L"Catalog", F, L"D:/Catalog/", {{L"inside", P, L"D:/Catalog/inside.jpg"}, {L"CATALOG", F, L"x", {{L"deep", A, L"d.mp3"}}}}},
        {L"catalog", F, L"c"}}},
      {"names and paths outside any code page, and long",
       {{L"Музыка Ελληνικά 音楽 " + emoji, F, L"D:\\Музыка\\",
         {{L"日本語の歌.mp3", A, L"D:/Музыка/日本語の歌.mp3"}, {L"long", V, longPath}, {std::wstring(400, L'n'), P, L"n.jpg"}}}}},
      {"markup, quotes, tabs and line breaks",
       {{L"<a & \"b\" 'c'>", F, L"D:\\a&b\\",
         {{L"tab\there", W, L"http://x/?a=1&b=<2>"}, {L"line\r\nbreak\n", P, L" lead and trail "}}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TreeView_DeleteAllItems(tree());
    BuildTree(tree(), c.tree);
    ASSERT_TRUE(WriteCatalogFile(tree(), File(L"first.xml"), L"catalog"));
    TreeView_DeleteAllItems(tree());
    ASSERT_TRUE(LoadCatalogIntoTree(tree(), File(L"first.xml"), L"catalog"));
    ASSERT_TRUE(WriteCatalogFile(tree(), File(L"unopened.xml"), L"catalog"));
    EXPECT_EQ(ReadTree(tree()), c.tree);
    ASSERT_TRUE(WriteCatalogFile(tree(), File(L"opened.xml"), L"catalog"));
    std::string first = ReadFileBytes(File(L"first.xml"));
    EXPECT_EQ(ReadFileBytes(File(L"unopened.xml")), first);
    EXPECT_EQ(ReadFileBytes(File(L"opened.xml")), first);
  }
}

// What XML cannot hold at all still leaves a file that loads.
TEST_F(CatalogFilesTest, CharactersXmlCannotHoldBecomeReplacementCharacters) {
  BuildTree(tree(), {{L"bell\x07 and \x01", P, L"D:\\\xD800x.jpg", {}}, {L"ok \U0001F600", A, L"\xDC00", {}}});
  ASSERT_TRUE(WriteCatalogFile(tree(), File(L"odd.xml"), L"catalog"));
  TreeView_DeleteAllItems(tree());
  ASSERT_TRUE(LoadCatalogIntoTree(tree(), File(L"odd.xml"), L"catalog"));
  std::vector<TreeNode> expected = {{L"bell\xFFFD and \xFFFD", P, L"D:\\\xFFFDx.jpg"}, {L"ok \U0001F600", A, L"\xFFFD"}};
  EXPECT_EQ(ReadTree(tree()), expected);
}

// A folder read from a file shows its expander and holds nothing in the
// control until it is first opened; then its items come in file order, with
// the records the file gives, folders among them waiting in turn.
TEST_F(CatalogFilesTest, FoldersFromAFileFillWhenFirstOpened) {
  ASSERT_TRUE(InitTreeImageList(host_->window()));
  ASSERT_TRUE(WriteFileBytes(File(L"in.xml"),
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CATALOG>\n"
                             "  <FOLDER0 parentname=\"CATALOG\" branchname=\"Holiday\" branchpath=\"C:/H/\" parentpath=\"C:\">\n"
                             "    <PICTURE parentname=\"Holiday\" branchname=\"b.jpg\" branchpath=\"C:/H/b.jpg\" parentpath=\"C:/H\"/>\n"
                             "    <!-- a note -->\n"
                             "    <FOLDER1 parentname=\"pn\" branchname=\"Trip\" branchpath=\"C:/H/T/\" parentpath=\"pp\">\n"
                             "      <WEBM parentname=\"Trip\" branchname=\"radio\" branchpath=\"http://r/x\" parentpath=\"http://r\"/>\n"
                             "    </FOLDER1>\n"
                             "    <AUDIO branchname=\"s.mp3\" branchpath=\"C:/H/s.mp3\"/>\n"
                             "  </FOLDER0>\n"
                             "  <VIDEO branchname=\"clip\" branchpath=\"c.avi\"/>\n"
                             "  <FOLDER2 branchname=\"Empty\"> <!-- nothing --> </FOLDER2>\n"
                             "</CATALOG>\n"));
  ASSERT_TRUE(LoadCatalogIntoTree(tree(), File(L"in.xml"), L"catalog"));
  EXPECT_EQ(ShownItems(tree()), L"Holiday+, clip, Empty");
  EXPECT_EQ(CountItems(tree()), 3);
  HTREEITEM holiday = TopItem(tree(), 0);
  TreeView_Expand(tree(), holiday, TVE_EXPAND);
  EXPECT_EQ(ShownItems(tree()), L"Holiday(b.jpg, Trip+, s.mp3), clip, Empty");
  EXPECT_TRUE(TreeView_GetItemState(tree(), holiday, TVIS_EXPANDED) & TVIS_EXPANDED);
  HTREEITEM trip = ChildItem(tree(), holiday, 1);
  EXPECT_EQ(ItemImage(tree(), trip), 1);
  TreeView_Expand(tree(), trip, TVE_EXPAND);
  EXPECT_EQ(ItemImage(tree(), ChildItem(tree(), trip, 0)), 4);  // a web item from a file shows the video image
  std::vector<TreeNode> expected = {
      {L"Holiday",
       F,
       L"C:/H/",
       {{L"b.jpg", P, L"C:/H/b.jpg", {}, L"Holiday", L"C:/H"},
        {L"Trip", F, L"C:/H/T/", {{L"radio", W, L"http://r/x", {}, L"Trip", L"http://r"}}, L"pn", L"pp"},
        {L"s.mp3", A, L"C:/H/s.mp3"}},
       L"CATALOG",
       L"C:"},
      {L"clip", V, L"c.avi"},
      {L"Empty", F, L""}};
  EXPECT_EQ(ReadTree(tree(), true), expected);
}

// A file that this writer did not make (missing attributes, other element
// names, comments, blanks) is written the same whether its folders were
// opened or not.
TEST_F(CatalogFilesTest, FoldersNeverOpenedAreWrittenAsOpenedOnesAre) {
  ASSERT_TRUE(WriteFileBytes(File(L"hand.xml"),
                             "<?xml version=\"1.0\"?>\n<catalog>\n"
                             "  <Holiday branchpath=\"h\">\n"
                             "    <audio branchname=\"lower\"/> <!-- not media -->\n"
                             "    <PICTURE branchname=\"p\" branchpath=\"C:\\H\\p.jpg\"><VIDEO branchname=\"under media\"/></PICTURE>\n"
                             "    <Deeper><WEBM branchname=\"w\" branchpath=\"http://w/x/y\"/><Deepest/></Deeper>\n"
                             "  </Holiday>\n"
                             "  <FOLDER7 branchname=\"Second\"><PLAYLIST branchpath=\"l.m3u\"/></FOLDER7>\n"
                             "</catalog>\n"));
  ASSERT_TRUE(LoadCatalogIntoTree(tree(), File(L"hand.xml"), L"catalog"));
  ASSERT_TRUE(WriteCatalogFile(tree(), File(L"unopened.xml"), L"catalog"));
  ReadTree(tree());  // opens every folder
  ASSERT_TRUE(WriteCatalogFile(tree(), File(L"opened.xml"), L"catalog"));
  std::string unopened = ReadFileBytes(File(L"unopened.xml"));
  EXPECT_EQ(unopened, ReadFileBytes(File(L"opened.xml")));
  // Numbered depth first, media without what they held.
  XmlElement root;
  ASSERT_TRUE(ParseXmlFile(File(L"unopened.xml"), root));
  ASSERT_EQ(root.children.size(), 2u);
  const XmlElement& holiday = root.children[0];
  EXPECT_EQ(holiday.name, L"FOLDER0");
  ASSERT_EQ(holiday.children.size(), 3u);
  EXPECT_EQ(holiday.children[0].name, L"FOLDER1");
  EXPECT_EQ(Attribute(holiday.children[0], L"parentname"), L"Holiday");
  EXPECT_EQ(holiday.children[1].name, L"PICTURE");
  EXPECT_TRUE(holiday.children[1].children.empty());
  EXPECT_EQ(holiday.children[2].name, L"FOLDER2");
  ASSERT_EQ(holiday.children[2].children.size(), 2u);
  EXPECT_EQ(holiday.children[2].children[1].name, L"FOLDER3");
  EXPECT_EQ(Attribute(holiday.children[2].children[0], L"parentpath"), L"http://w/x");
  EXPECT_EQ(root.children[1].name, L"FOLDER4");
  EXPECT_EQ(Attribute(root.children[1].children[0], L"branchname"), L"PLAYLIST");
}

// The catalog's text read directly gives what the DOM gives for the same
// file; what the text reader leaves to the DOM still loads through it.
TEST_F(CatalogFilesTest, TheTextOfAFileGivesWhatItsDomGives) {
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  const struct {
    const char* what;
    std::string bytes;
    bool byText;  // read from the text, not the DOM
  } cases[] = {
      {"as written", declaration +
           "<CATALOG><FOLDER0 parentname=\"CATALOG\" branchname=\"F\" branchpath=\"D:\\F\" parentpath=\"D:\">"
           "<PICTURE parentname=\"F\" branchname=\"p\" branchpath=\"D:\\F\\p.jpg\" parentpath=\"D:\\F\"/></FOLDER0>"
           "<WEBM parentname=\"CATALOG\" branchname=\"w\" branchpath=\"http://w/x?a=1&amp;b=2\" parentpath=\"http://w\"/>"
           "</CATALOG>\r\n",
       true},
      {"blanks, comments, instructions, CDATA and text",
       "\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- before -->\n<?tool x?>\n<CATALOG>\n  <!-- a <note> -->\n"
       "  <FOLDER0 branchname = 'F' >text<![CDATA[<AUDIO branchname=\"no\"/>]]><?pi <x>?>\n"
       "    <AUDIO branchname=\"a\" branchpath=\"a.mp3\"></AUDIO>\n  </FOLDER0>\n</CATALOG>\n<!-- after -->\n",
       true},
      {"references, raw line breaks and tabs in values",
       declaration + "<CATALOG><VIDEO branchname=\"&lt;&gt;&amp;&quot;&apos; &#65;&#x1F600;&#10;\" "
                     "branchpath=\"a\tb\nc\r\nd\re\" parentname=\">\" parentpath=\"x\"/></CATALOG>",
       true},
      {"characters beyond ASCII",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?><CATALOG><FOLDER0 branchname=\"\xC3\xA9t\xC3\xA9 "
       "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5\"><AUDIO branchname=\"\xCE\xB1\" branchpath=\"\xD0\x96.mp3\"/>"
       "</FOLDER0></CATALOG>",
       true},
      {"another document element, extra attributes, names with prefixes",
       "<Library xmlns:k=\"urn:k\" version=\"2\"><k:AUDIO branchname=\"prefixed\"/><audio/><PLAYLIST/>"
       "<Catalog branchname=\"catalog\"><PICTURE branchname=\"in a folder named catalog\"/></Catalog></Library>",
       true},
      {"the document element labelled catalog in any case, empty", "<CaTaLoG/>", true},
      {"a document type: its entities are the DOM's",
       "<?xml version=\"1.0\"?><!DOCTYPE CATALOG [<!ENTITY pics \"D:\\Pics\">]>"
       "<CATALOG><PICTURE branchname=\"p\" branchpath=\"&pics;\\p.jpg\"/></CATALOG>",
       false},
      {"another encoding",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><CATALOG><AUDIO branchname=\"caf\xE9\"/></CATALOG>", false},
      {"UTF-16",
       std::string("\xFF\xFE<\0C\0A\0T\0A\0L\0O\0G\0>\0<\0V\0I\0D\0E\0O\0/\0>\0<\0/\0C\0A\0T\0A\0L\0O\0G\0>\0", 56), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring path = File(L"text.xml");
    ASSERT_TRUE(WriteFileBytes(path, c.bytes));
    CatalogEntries entries;
    EXPECT_EQ(ReadCatalogText(c.bytes, entries), c.byText);
    TreeView_DeleteAllItems(tree());
    ASSERT_TRUE(LoadCatalogIntoTree(tree(), path, L"catalog"));
    TreeHost dom;
    Tam_MSXMLParser parser;
    ASSERT_TRUE(parser.Load_Document(path));
    ComPtr<IXMLDOMNode> root = parser.Get_CurrentNode();
    FillCatalogTree(dom.catalog(), nullptr, root.Get());
    EXPECT_EQ(EveryField(ReadTree(tree(), true)), EveryField(ReadTree(dom.catalog(), true)));
    ASSERT_TRUE(WriteCatalogFile(tree(), File(L"a.xml"), L"catalog"));
    ASSERT_TRUE(WriteCatalogFile(dom.catalog(), File(L"b.xml"), L"catalog"));
    EXPECT_EQ(ReadFileBytes(File(L"a.xml")), ReadFileBytes(File(L"b.xml")));
    if (std::string(c.what) == "a document type: its entities are the DOM's") {
      EXPECT_EQ(ReadTree(tree()), std::vector<TreeNode>({{L"p", P, L"D:\\Pics\\p.jpg"}}));
    }
  }
}

TEST_F(CatalogFilesTest, LoadingReadsKindsRecordsAndImagesAndLeavesOutOnlyTheDocumentElement) {
  ASSERT_TRUE(InitTreeImageList(host_->window()));
  ASSERT_TRUE(WriteFileBytes(File(L"in.xml"),
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<Catalog>"
                             "<WEBM parentname=\"pn\" branchname=\"radio\" branchpath=\"http://r/x\" parentpath=\"http://r\"/>"
                             "<audio branchname=\"lower\"/>"
                             "<Holiday branchpath=\"h\">"
                             "<PICTURE branchname=\"p\" branchpath=\"p.jpg\"/>"
                             "<VIDEO branchname=\"v\" branchpath=\"v.avi\"/>"
                             "</Holiday>"
                             "<PLAYLIST branchname=\"catalog\" branchpath=\"list.m3u\"/>"
                             "<AUDIO branchname=\"s\" branchpath=\"s.mp3\"/>"
                             "</Catalog>"));
  AppendCatalogTreeItem(tree(), nullptr, F, L"kept", nullptr);
  ASSERT_TRUE(LoadCatalogIntoTree(tree(), File(L"in.xml"), L"catalog"));
  // Missing attributes read as empty; unknown names are folders.
  std::vector<TreeNode> expected = {
      {L"kept", 0, L""},
      {L"radio", W, L"http://r/x", {}, L"pn", L"http://r"},
      {L"lower", F, L""},
      {L"Holiday", F, L"h", {{L"p", P, L"p.jpg"}, {L"v", V, L"v.avi"}}},
      {L"catalog", L, L"list.m3u"},
      {L"s", A, L"s.mp3"},
  };
  EXPECT_EQ(ReadTree(tree(), true), expected);
  HTREEITEM radio = TopItem(tree(), 1);
  EXPECT_EQ(ItemImage(tree(), radio), 4);  // a web item from a file shows the video image
  EXPECT_EQ(ItemImage(tree(), TopItem(tree(), 2)), 1);
  EXPECT_EQ(ItemImage(tree(), ChildItem(tree(), TopItem(tree(), 3), 0)), 2);
  EXPECT_EQ(ItemImage(tree(), TopItem(tree(), 4)), 3);
  EXPECT_EQ(ItemImage(tree(), TopItem(tree(), 5)), 5);
  const CatalogItem* record = GetTreeItemRecord(tree(), radio);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->name, L"pn");
  EXPECT_EQ(record->parent, L"http://r");
}

TEST_F(CatalogFilesTest, BadFilesLoadNothingAndTheTreeKeepsWhatItHeld) {
  const struct {
    const char* what;
    const char* bytes;  // null: no file
  } cases[] = {
      {"missing", nullptr},
      {"empty", ""},
      {"truncated", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CATALOG><PICTURE branchname=\"a\" branchpa"},
      {"malformed", "<CATALOG><FOLDER0></CATALOG></FOLDER0>"},
      {"not XML", "just some text"},
  };
  BuildTree(tree(), {{L"held", F, L"held", {{L"child", P, L"c.jpg"}}}});
  const std::vector<TreeNode> before = ReadTree(tree());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring path = File(L"bad.xml");
    DeleteFileW(path.c_str());
    if (c.bytes) {
      ASSERT_TRUE(WriteFileBytes(path, c.bytes));
    }
    EXPECT_FALSE(LoadCatalogIntoTree(tree(), path, L"catalog"));
    EXPECT_FALSE(LoadExtensionsIntoTree(host_->extensions(), path, L"extension"));
    EXPECT_EQ(ReadTree(tree()), before);
    EXPECT_EQ(CountItems(host_->extensions()), 0);
  }
}

TEST_F(CatalogFilesTest, TheExtensionTreeTakesKindsFromItsGroups) {
  ASSERT_TRUE(InitTreeImageList(host_->window()));
  ASSERT_TRUE(WriteFileBytes(File(L"ext.xml"),
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<EXTENSION><ExtList parentname=\"\" branchname=\"ExtList\" branchpath=\"\" parentpath=\"\">"
                             "<FOLDER0 branchname=\"AUDIO\" branchpath=\"AUDIO\"><AUDIO branchname=\"mp3\" branchpath=\"*.mp3\"/></FOLDER0>"
                             "<FOLDER1 branchname=\"Misc\" branchpath=\"Misc\"><PICTURE branchname=\"xyz\" branchpath=\"*.xyz\"/></FOLDER1>"
                             "<FOLDER2 branchname=\"WEBM\"><FOLDER3 branchname=\"html\" branchpath=\"*.html\"/></FOLDER2>"
                             "<FOLDER4 branchname=\"extlist\"><VIDEO branchname=\"VIDEO\" branchpath=\"VIDEO\"/></FOLDER4>"
                             "</ExtList></EXTENSION>"));
  HWND ext = host_->extensions();
  ASSERT_TRUE(LoadExtensionsIntoTree(ext, File(L"ext.xml"), L"extension"));
  std::vector<TreeNode> expected = {
      {L"AUDIO", A, L"AUDIO", {{L"mp3", A, L"*.mp3"}}},
      {L"Misc", F, L"Misc", {{L"xyz", F, L"*.xyz"}}},
      // "extlist" in any case gives no item: its children go to the item
      // before it on its level.
      {L"WEBM", W, L"", {{L"html", W, L"*.html"}, {L"VIDEO", V, L"VIDEO"}}},
  };
  EXPECT_EQ(ReadTree(ext), expected);
  EXPECT_EQ(ItemImage(ext, ChildItem(ext, TopItem(ext, 0), 0)), 5);
  EXPECT_EQ(ItemImage(ext, ChildItem(ext, TopItem(ext, 1), 0)), 1);

  // Written back and read again: the same tree.
  ASSERT_TRUE(WriteExtensionFile(ext, File(L"ext2.xml"), L""));
  XmlElement root;
  ASSERT_TRUE(ParseXmlFile(File(L"ext2.xml"), root));
  EXPECT_EQ(root.name, L"EXTENSION");
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.children[0].name, L"ExtList");
  EXPECT_EQ(Attribute(root.children[0], L"branchname"), L"ExtList");
  TreeView_DeleteAllItems(ext);
  ASSERT_TRUE(LoadExtensionsIntoTree(ext, File(L"ext2.xml"), L"extension"));
  EXPECT_EQ(ReadTree(ext), expected);
}

TEST_F(CatalogFilesTest, TheShippedExtensionListLoads) {
  std::wstring shipped = ProgramFolder() + L"..\\Kelvane\\kelconfig\\Scripts\\dialogs\\extension.xml";
  ASSERT_TRUE(LoadExtensionsIntoTree(host_->extensions(), shipped, L"extension"));
  std::vector<TreeNode> groups = ReadTree(host_->extensions());
  ASSERT_GE(groups.size(), 5u);
  for (const TreeNode& group : groups) {
    EXPECT_FALSE(group.children.empty()) << group;
    for (const TreeNode& entry : group.children) EXPECT_EQ(entry.kind, group.kind) << entry;
  }
}

// A failed save never costs the user's catalog, and it is reported.
TEST_F(CatalogFilesTest, AFailedSaveKeepsTheOldFileAndSaysSo) {
  BuildTree(tree(), {{L"new", P, L"new.jpg"}});
  const std::string old = "<?xml version=\"1.0\"?><CATALOG><PICTURE branchname=\"old\"/></CATALOG>";
  const struct {
    const char* what;
    void (*prepare)(const std::wstring& path);
    void (*restore)(const std::wstring& path);
  } cases[] = {
      {"read-only catalog",
       [](const std::wstring& p) { SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY); },
       [](const std::wstring& p) { SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL); }},
      {"the document cannot be written beside it",
       [](const std::wstring& p) { CreateDirectoryW((p + L".saving").c_str(), nullptr); },
       [](const std::wstring& p) { RemoveDirectoryW((p + L".saving").c_str()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring path = File(L"user.xml");
    ASSERT_TRUE(WriteFileBytes(path, old));
    c.prepare(path);
    EXPECT_FALSE(WriteCatalogFile(tree(), path, L"catalog"));
    c.restore(path);
    EXPECT_EQ(ReadFileBytes(path), old);
  }
  EXPECT_FALSE(WriteCatalogFile(tree(), File(L"no such folder\\c.xml"), L"catalog"));
  EXPECT_FALSE(FileExists(File(L"no such folder\\c.xml")));
  CreateDirectoryW(File(L"a folder").c_str(), nullptr);
  EXPECT_FALSE(WriteCatalogFile(tree(), File(L"a folder"), L"catalog"));

  // A good save replaces the file and leaves nothing beside it.
  std::wstring path = File(L"user.xml");
  ASSERT_TRUE(WriteCatalogFile(tree(), path, L"catalog"));
  XmlElement root;
  ASSERT_TRUE(ParseXmlFile(path, root));
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(Attribute(root.children[0], L"branchname"), L"new");
  EXPECT_FALSE(FileExists(path + L".saving"));
}

const char* const kOldCatalog = "<?xml version=\"1.0\"?><CATALOG><PICTURE branchname=\"old\"/></CATALOG>";

// A scanner or an indexer holding the catalog, or the document just written
// beside it, for a moment delays a save; it does not fail it.
TEST_F(CatalogFilesTest, AReplaceRefusedForAMomentIsTriedAgain) {
  BuildTree(tree(), {{L"new", P, L"new.jpg"}});
  for (DWORD error : {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_UNABLE_TO_REMOVE_REPLACED,
                      ERROR_UNABLE_TO_MOVE_REPLACEMENT, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}) {
    SCOPED_TRACE(error);
    std::wstring path = File(L"user.xml");
    ASSERT_TRUE(WriteFileBytes(path, kOldCatalog));
    ScriptedReplace script;
    script.replaceErrors = FailsFirst(2, error);
    EXPECT_TRUE(WriteCatalogFile(tree(), path, L"catalog"));
    EXPECT_EQ(script.Count(L"replace"), 3);
    EXPECT_EQ(FirstLabel(path), L"new");
    EXPECT_EQ(FolderNames(), std::vector<std::wstring>({L"user.xml"}));
  }
}

// However the replace fails in the end, the old catalog is there as it was,
// nothing is left beside it, and the caller is told why.
TEST_F(CatalogFilesTest, AReplaceThatKeepsFailingLeavesTheOldFileAndSaysWhy) {
  BuildTree(tree(), {{L"new", P, L"new.jpg"}});
  const struct {
    DWORD error;
    bool triedAgain;
  } cases[] = {
      {ERROR_SHARING_VIOLATION, true},
      {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, true},  // each time after the old file went aside
      {ERROR_DISK_FULL, false},
      {ERROR_INVALID_PARAMETER, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    std::wstring path = File(L"user.xml");
    ASSERT_TRUE(WriteFileBytes(path, kOldCatalog));
    ScriptedReplace script;
    script.replaceErrors = AlwaysFails(c.error);
    SetLastError(ERROR_SUCCESS);
    bool saved = WriteCatalogFile(tree(), path, L"catalog");
    DWORD why = GetLastError();
    EXPECT_FALSE(saved);
    EXPECT_EQ(why, c.error);
    if (c.triedAgain)
      EXPECT_GT(script.Count(L"replace"), 1);
    else
      EXPECT_EQ(script.Count(L"replace"), 1);
    EXPECT_EQ(ReadFileBytes(path), kOldCatalog);
    EXPECT_EQ(FolderNames(), std::vector<std::wstring>({L"user.xml"}));
  }
}

// An old file that went aside and cannot be moved back is kept under the
// backup name, never deleted; the next save puts it back first.
TEST_F(CatalogFilesTest, AnOldFileThatCannotBePutBackIsKept) {
  BuildTree(tree(), {{L"new", P, L"new.jpg"}});
  std::wstring path = File(L"user.xml");
  ASSERT_TRUE(WriteFileBytes(path, kOldCatalog));
  {
    ScriptedReplace script;
    script.replaceErrors = AlwaysFails(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    script.moveErrors = AlwaysFails(ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(WriteCatalogFile(tree(), path, L"catalog"));
    EXPECT_EQ(FolderNames(), std::vector<std::wstring>({L"user.xml.replaced"}));
    EXPECT_EQ(ReadFileBytes(path + L".replaced"), kOldCatalog);
  }
  ScriptedReplace script;
  script.replaceErrors = AlwaysFails(ERROR_DISK_FULL);
  EXPECT_FALSE(WriteCatalogFile(tree(), path, L"catalog"));
  EXPECT_EQ(FolderNames(), std::vector<std::wstring>({L"user.xml"}));
  EXPECT_EQ(ReadFileBytes(path), kOldCatalog);
}

// A catalog that does not exist yet is moved into place, with the same
// patience.
TEST_F(CatalogFilesTest, ANewCatalogIsMovedIntoPlace) {
  BuildTree(tree(), {{L"new", P, L"new.jpg"}});
  const struct {
    std::function<DWORD(int)> moveErrors;
    bool saved;
    int moves;
  } cases[] = {
      {FailsFirst(2, ERROR_SHARING_VIOLATION), true, 3},
      {AlwaysFails(ERROR_DISK_FULL), false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.moves);
    std::wstring path = File(L"fresh.xml");
    ScriptedReplace script;
    script.moveErrors = c.moveErrors;
    bool saved = WriteCatalogFile(tree(), path, L"catalog");
    DWORD why = GetLastError();
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(script.Count(L"replace"), 0);
    EXPECT_EQ(script.Count(L"move fresh.xml.saving -> fresh.xml"), c.moves);
    EXPECT_EQ(static_cast<int>(script.calls.size()), c.moves);
    if (c.saved) {
      EXPECT_EQ(FirstLabel(path), L"new");
      EXPECT_EQ(FolderNames(), std::vector<std::wstring>({L"fresh.xml"}));
      DeleteFileW(path.c_str());
    } else {
      EXPECT_EQ(why, static_cast<DWORD>(ERROR_DISK_FULL));
      EXPECT_TRUE(FolderNames().empty());
    }
  }
}

// Through the system's own ReplaceFileW: the new catalog takes the old one's
// place with its hidden and system bits (Wine holds no others, and no
// creation time a program can set).
TEST_F(CatalogFilesTest, ASaveKeepsTheOldFilesAttributes) {
  BuildTree(tree(), {{L"new", P, L"new.jpg"}});
  const DWORD watched = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  for (DWORD attributes : {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_SYSTEM,
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_NORMAL}) {
    SCOPED_TRACE(attributes);
    std::wstring path = File(L"user.xml");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteFileBytes(path, kOldCatalog));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
    ASSERT_EQ(GetFileAttributesW(path.c_str()) & watched, attributes & watched);
    ASSERT_TRUE(WriteCatalogFile(tree(), path, L"catalog"));
    EXPECT_EQ(FirstLabel(path), L"new");
    EXPECT_EQ(FolderNames(), std::vector<std::wstring>({L"user.xml"}));
    DWORD now = GetFileAttributesW(path.c_str());
    EXPECT_EQ(now & watched, attributes & watched) << std::hex << now;
    if (attributes & FILE_ATTRIBUTE_ARCHIVE) EXPECT_TRUE(now & FILE_ATTRIBUTE_ARCHIVE) << std::hex << now;
  }
}

// 5,000 levels: loaded from a DOM and saved on a stack far smaller than one
// frame per level would need.
TEST_F(CatalogFilesTest, ADeepCatalogLoadsAndSavesWithoutRecursion) {
  const int depth = 5000;
  std::wstring path = File(L"deep.xml");
  std::wstring openedPath = File(L"deep-opened.xml");
  int items = 0;
  bool saved = false, savedOpened = false;
  ASSERT_TRUE(RunOnSmallStack(
      [&] {
        TreeHost host;
        Tam_MSXMLParser parser;
        parser.New_Document();
        parser.Add_LastChild(L"CATALOG");
        for (int i = 0; i < depth; ++i) {
          parser.Add_LastChild(L"FOLDER0");
          parser.Set_Attribute(L"branchname", L"level" + std::to_wstring(i));
        }
        parser.Add_LastChild(L"AUDIO");
        parser.Set_Attribute(L"branchname", L"deep.mp3");
        parser.Go_Ancestor(L"CATALOG");
        ComPtr<IXMLDOMNode> root = parser.Get_CurrentNode();
        FillCatalogTree(host.catalog(), nullptr, root.Get());
        // Saved with every level still waiting, then opened level by level
        // and saved again.
        saved = WriteCatalogFile(host.catalog(), path, L"catalog");
        HTREEITEM item = TreeView_GetRoot(host.catalog());
        std::vector<HTREEITEM> chain;
        for (; item; item = TreeView_GetChild(host.catalog(), item)) {
          chain.push_back(item);
          TreeView_Expand(host.catalog(), item, TVE_EXPAND);
        }
        items = CountItems(host.catalog());
        savedOpened = WriteCatalogFile(host.catalog(), openedPath, L"catalog");
        // The control frees its items one level at a time; spare it.
        for (size_t i = chain.size(); i-- > 0;) TreeView_DeleteItem(host.catalog(), chain[i]);
      },
      256 * 1024));
  EXPECT_EQ(items, depth + 1);
  ASSERT_TRUE(saved);
  ASSERT_TRUE(savedOpened);
  EXPECT_EQ(ReadFileBytes(openedPath), ReadFileBytes(path));
  // The file holds the whole chain (read by text: the DOM here stops parsing
  // a few hundred levels down).
  std::string bytes = ReadFileBytes(path);
  size_t count = 0;
  for (size_t at = bytes.find("<FOLDER"); at != std::string::npos; at = bytes.find("<FOLDER", at + 1)) ++count;
  EXPECT_EQ(count, static_cast<size_t>(depth));
  EXPECT_NE(bytes.find("FOLDER4999"), std::string::npos);
  EXPECT_NE(bytes.find("branchname=\"deep.mp3\""), std::string::npos);
  // Loading it ends normally either way.
  ASSERT_TRUE(RunOnSmallStack(
      [&] {
        TreeHost host;
        LoadCatalogIntoTree(host.catalog(), path, L"catalog");
        HTREEITEM item = TreeView_GetRoot(host.catalog());
        std::vector<HTREEITEM> chain;
        for (; item; item = TreeView_GetChild(host.catalog(), item)) chain.push_back(item);
        for (size_t i = chain.size(); i-- > 0;) TreeView_DeleteItem(host.catalog(), chain[i]);
      },
      256 * 1024));
}

}  // namespace

// A document larger than one piece reaches its sink in pieces that make
// exactly the text built whole; a sink that refuses a piece is reported.
TEST(CatalogXmlTextSink, PiecesMakeTheWholeTextAndARefusalIsReported) {
  auto build = [](CatalogXmlText& text) {
    for (int i = 0; i < 20000; ++i) {
      std::wstring label = L"entry " + std::to_wstring(i) + (i % 7 ? L"" : L" & \u00e9t\u00e9\t\"x\"");
      text.Begin("FOLDER" + std::to_string(i), L"CATALOG", label, L"D:\\Media\\" + label, L"D:\\Media");
      if (i % 3) text.Begin("AUDIO", label, L"a.mp3", L"D:\\Media\\a.mp3", L"D:\\Media");
    }
  };
  CatalogXmlText whole("CATALOG");
  build(whole);
  const std::string expected = whole.Finish();
  ASSERT_GT(expected.size(), 2 * CatalogXmlText::kPieceBytes);

  std::vector<std::string> pieces;
  CatalogXmlText streamed("CATALOG", [&pieces](const std::string& piece) {
    pieces.push_back(piece);
    return true;
  });
  build(streamed);
  EXPECT_TRUE(streamed.Finish().empty());
  EXPECT_TRUE(streamed.SinkTookAll());
  EXPECT_GT(pieces.size(), 2u);
  std::string joined;
  for (const std::string& piece : pieces) {
    EXPECT_LE(piece.size(), CatalogXmlText::kPieceBytes + 4096);
    joined += piece;
  }
  EXPECT_TRUE(joined == expected) << joined.size() << " bytes against " << expected.size();

  int offered = 0;
  CatalogXmlText refused("CATALOG", [&offered](const std::string&) { return ++offered < 2; });
  build(refused);
  refused.Finish();
  EXPECT_FALSE(refused.SinkTookAll());
  EXPECT_EQ(offered, 2) << "pieces went on to a sink that had refused one";
}
