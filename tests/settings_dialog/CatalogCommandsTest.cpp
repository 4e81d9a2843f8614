// The dialog's catalog, web-address, playback, help and updater commands.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <thread>

#include "engine/Logic.h"
#include "engine/Settings.h"
#include "media/CatalogFixtures.h"
#include "media/CatalogLoader.h"
#include "media/ListPlayer.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/ConfigDialog.h"
#include "settings_dialog/ConfigDialogProc.h"
#include "settings_dialog/DialogFixture.h"
#include "settings_dialog/ScriptedReplace.h"
#include "settings_dialog/TreeHost.h"
#include "support/CurrentDirectoryMarker.h"
#include "support/TestPaths.h"

namespace {

const wchar_t* const kSmallTree = L"Holiday(beach.jpg, song.mp3), clip.avi";

// Three levels, no level in any sorted order, folder elements numbered at
// random.
std::string NestedCatalogXml() {
  CatalogNode inner{L"FOLDER9", L"Inner", L"C:/Z/Inner/", L"C:/Z", {}};
  inner.children = {{L"AUDIO", L"z.mp3", L"C:/Z/Inner/z.mp3", L"C:/Z/Inner", {}},
                    {L"AUDIO", L"a.mp3", L"C:/Z/Inner/a.mp3", L"C:/Z/Inner", {}}};
  CatalogNode zebra{L"FOLDER4", L"Zebra", L"C:/Z/", L"C:", {}};
  zebra.children = {{L"PICTURE", L"b.jpg", L"C:/Z/b.jpg", L"C:/Z", {}},
                    inner,
                    {L"VIDEO", L"c.avi", L"C:/Z/c.avi", L"C:/Z", {}}};
  CatalogNode middle{L"FOLDER0", L"Middle", L"C:/M/", L"C:", {}};
  middle.children = {{L"PICTURE", L"m2.jpg", L"C:/M/m2.jpg", L"C:/M", {}},
                     {L"PICTURE", L"m1.jpg", L"C:/M/m1.jpg", L"C:/M", {}}};
  return CatalogXml({zebra, {L"PICTURE", L"apple.png", L"C:/apple.png", L"C:", {}}, middle});
}
const wchar_t* const kNestedTree = L"Zebra(b.jpg, Inner(z.mp3, a.mp3), c.avi), apple.png, Middle(m2.jpg, m1.jpg)";

HWND CatalogOf(const DialogFixture& f) { return f.Control(IDC_CATALOG_TREE); }

// The paths of a list of the show's, in order.
template <class List>
std::vector<std::wstring> PathsOf(const List& list) {
  std::vector<std::wstring> paths;
  for (const auto& entry : list) paths.push_back(entry.path);
  return paths;
}

TEST(CatalogCommands, TreesLoadWhenTheDialogOpensAndOkWritesTheTreeBack) {
  DialogFixture f;
  f.WriteCatalog(SmallCatalogXml());
  // The dialog's thread has no COM of its own yet: the trees are read
  // through MSXML all the same.
  ASSERT_TRUE(f.Open());
  EXPECT_EQ(kSmallTree, f.CatalogTreeText());
  EXPECT_NE(std::wstring::npos, f.ExtensionTreeText().find(L"AUDIO(mp3"));
  f.SelectCatalogItem(f.FindCatalogItem(L"clip.avi"));
  f.Command(IDC_DELETE_ITEM);
  EXPECT_EQ(L"Holiday(beach.jpg, song.mp3)", f.CatalogTreeText());
  f.Ok();
  ASSERT_TRUE(f.Ended());
  std::string written = ReadFileBytes(f.CatalogPath());
  EXPECT_NE(std::string::npos, written.find("branchname=\"beach.jpg\""));
  EXPECT_EQ(std::string::npos, written.find("clip.avi"));
}

TEST(CatalogCommands, TreesLoadOnAThreadWithoutComOfItsOwn) {
  {
    DialogFixture warmUp;  // the XML wrapper has started COM once, elsewhere
    warmUp.WriteCatalog(SmallCatalogXml());
    ASSERT_TRUE(warmUp.Open());
    warmUp.Cancel();
  }
  std::wstring tree;
  std::thread thread([&tree] {
    DialogFixture f;
    f.WriteCatalog(SmallCatalogXml());
    if (!f.Open()) return;
    tree = f.CatalogTreeText();
    f.Cancel();
  });
  thread.join();
  EXPECT_EQ(kSmallTree, tree);
}

TEST(CatalogCommands, AnUnreadableCatalogIsOnlyReplacedWhenTheUserSaysSo) {
  const std::string malformed = "<?xml version=\"1.0\"?><CATALOG><VIDEO branchname=\"x\"";
  for (int answer : {IDNO, IDYES}) {
    DialogFixture f;
    f.WriteCatalog(malformed);
    ASSERT_TRUE(f.Open());
    EXPECT_EQ(L"", f.CatalogTreeText());
    Seams().answers = {answer};
    f.Ok();
    ASSERT_EQ(1u, Seams().boxes.size());
    EXPECT_NE(std::wstring::npos, Seams().boxes[0].text.find(f.CatalogPath()));
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), Seams().boxes[0].style & MB_TYPEMASK);
    EXPECT_TRUE(f.Ended());
    std::string now = ReadFileBytes(f.CatalogPath());
    if (answer == IDNO)
      EXPECT_EQ(malformed, now);
    else
      EXPECT_NE(std::string::npos, now.find("<CATALOG"));
    // The settings are saved either way.
    EXPECT_TRUE(f.Registry().HasValue(L"ShowClock"));
  }
  // A missing catalog is no loss: OK writes one without asking.
  DialogFixture g;
  ASSERT_TRUE(g.Open());
  g.Ok();
  EXPECT_TRUE(Seams().boxes.empty());
  EXPECT_TRUE(FileExists(g.CatalogPath()));
}

TEST(CatalogCommands, OkThatCannotSaveTheCatalogSaysSoAndStaysOpen) {
  DialogFixture f;
  // A folder where the catalog file should be: it can be neither read nor
  // replaced.
  ASSERT_TRUE(CreateDirectoryW(f.CatalogPath().c_str(), nullptr));
  ASSERT_TRUE(f.Open());
  Seams().answers = {IDYES};
  f.Ok();
  ASSERT_EQ(2u, Seams().boxes.size());
  EXPECT_NE(std::wstring::npos, Seams().boxes[1].text.find(L"could not be saved"));
  EXPECT_FALSE(f.Ended());
  EXPECT_TRUE(IsWindow(f.Dialog()));
  // Once the way is clear, OK saves and closes.
  RemoveDirectoryW(f.CatalogPath().c_str());
  Seams().answers = {IDYES};
  f.Ok();
  EXPECT_TRUE(f.Ended());
  EXPECT_TRUE(FileExists(f.CatalogPath()));
}

// A scanner that holds the catalog for longer than the save waits: the
// user is told, the catalog is as it was and the dialog stays open.
TEST(CatalogCommands, OkWhileTheCatalogIsHeldSaysSoAndKeepsTheOldCatalog) {
  DialogFixture f;
  f.WriteCatalog(SmallCatalogXml());
  const std::string before = ReadFileBytes(f.CatalogPath());
  ASSERT_TRUE(f.Open());
  f.SelectCatalogItem(f.FindCatalogItem(L"clip.avi"));
  f.Command(IDC_DELETE_ITEM);
  {
    ScriptedReplace scanner;
    scanner.replaceErrors = AlwaysFails(ERROR_SHARING_VIOLATION);
    f.Ok();
    EXPECT_GT(scanner.Count(L"replace catalog.xml"), 1);
  }
  ASSERT_EQ(1u, Seams().boxes.size());
  EXPECT_NE(std::wstring::npos, Seams().boxes[0].text.find(L"The catalog could not be saved to\n" + f.CatalogPath()));
  EXPECT_FALSE(f.Ended());
  EXPECT_EQ(before, ReadFileBytes(f.CatalogPath()));
  EXPECT_FALSE(FileExists(f.CatalogPath() + L".saving"));
  // Once it lets go, OK saves what the dialog shows.
  f.Ok();
  EXPECT_TRUE(f.Ended());
  EXPECT_EQ(std::string::npos, ReadFileBytes(f.CatalogPath()).find("clip.avi"));
}

// What OK writes loads back as it was shown, every level in its order:
// opened, saved, opened and saved again, the file stays the same, and the
// show reads it in the same order.
TEST(CatalogCommands, OkKeepsTheOrderOfEveryLevelTimeAfterTime) {
  DialogFixture f;
  f.WriteCatalog(NestedCatalogXml());
  ASSERT_TRUE(f.Open());
  // Nothing opened yet.
  EXPECT_EQ(L"Zebra+, apple.png, Middle+", ShownItems(CatalogOf(f)));
  f.Ok();
  ASSERT_TRUE(f.Ended());
  std::string saved = ReadFileBytes(f.CatalogPath());
  {
    // The show's reload after OK, from folders the dialog never opened.
    KEL_TamListPlayer player;
    ASSERT_TRUE(LoadMediaCatalog());
    std::vector<std::wstring> media = {L"C:/Z/Inner/z.mp3", L"C:/Z/Inner/a.mp3", L"C:/Z/c.avi"};
    std::vector<std::wstring> pictures = {L"C:/Z/b.jpg", L"C:/apple.png", L"C:/M/m2.jpg", L"C:/M/m1.jpg"};
    EXPECT_EQ(media, PathsOf(player.media));
    EXPECT_EQ(pictures, PathsOf(player.pictures));
  }
  for (int again = 0; again < 2; ++again) {
    SCOPED_TRACE(again);
    ASSERT_TRUE(f.Open());
    EXPECT_EQ(kNestedTree, f.CatalogTreeText());  // every folder opened
    f.Ok();
    ASSERT_TRUE(f.Ended());
    EXPECT_EQ(saved, ReadFileBytes(f.CatalogPath()));
  }
  // The folders are numbered depth first.
  XmlElement root;
  ASSERT_TRUE(ParseXmlFile(f.CatalogPath(), root));
  ASSERT_EQ(3u, root.children.size());
  EXPECT_EQ(L"FOLDER0", root.children[0].name);
  ASSERT_EQ(3u, root.children[0].children.size());
  EXPECT_EQ(L"FOLDER1", root.children[0].children[1].name);
  EXPECT_EQ(L"FOLDER2", root.children[2].name);
}

// Opened by the user's own gestures, a folder gets its items in file order.
// The template gives the top level no expanders: a folder there opens by a
// double click or the keyboard, one inside by its expander too.
TEST(CatalogCommands, AFolderNeverOpenedFillsWhenTheUserOpensIt) {
  auto rowOf = [](HWND tree, HTREEITEM item, BOOL textOnly) {
    RECT row = {};
    TreeView_GetItemRect(tree, item, &row, textOnly);
    return row;
  };
  const struct {
    const char* gesture;
    void (*open)(HWND tree, HTREEITEM item, RECT label, RECT row);
  } gestures[] = {
      {"the right arrow key",
       [](HWND tree, HTREEITEM item, RECT, RECT) {
         TreeView_SelectItem(tree, item);
         SendMessageW(tree, WM_KEYDOWN, VK_RIGHT, 0);
         SendMessageW(tree, WM_KEYUP, VK_RIGHT, 0);
       }},
      {"a double click on its label",
       [](HWND tree, HTREEITEM, RECT label, RECT) {
         // A press on a label waits in the control for the release (a drag
         // may start): the release is queued first.
         LPARAM at = MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2);
         PostMessageW(tree, WM_LBUTTONUP, 0, at);
         SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
         PostMessageW(tree, WM_LBUTTONUP, 0, at);
         SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
         MSG msg;
         while (PeekMessageW(&msg, tree, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
       }},
      {"a click on its expander",
       [](HWND tree, HTREEITEM item, RECT, RECT row) {
         TVHITTESTINFO hit = {};
         for (hit.pt = {row.left, (row.top + row.bottom) / 2}; hit.pt.x < row.right; ++hit.pt.x)
           if (TreeView_HitTest(tree, &hit) == item && (hit.flags & TVHT_ONITEMBUTTON)) break;
         ASSERT_LT(hit.pt.x, row.right) << "no expander on the row";
         LPARAM at = MAKELPARAM(hit.pt.x, hit.pt.y);
         PostMessageW(tree, WM_LBUTTONUP, 0, at);
         SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
         MSG msg;
         while (PeekMessageW(&msg, tree, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
       }},
  };
  for (const auto& g : gestures) {
    SCOPED_TRACE(g.gesture);
    DialogFixture f;
    f.WriteCatalog(NestedCatalogXml());
    ASSERT_TRUE(f.Open());
    HWND tree = CatalogOf(f);
    HTREEITEM zebra = TopItem(tree, 0);
    if (g.open != gestures[2].open) {
      g.open(tree, zebra, rowOf(tree, zebra, TRUE), rowOf(tree, zebra, FALSE));
    } else {
      TreeView_SelectItem(tree, zebra);
      SendMessageW(tree, WM_KEYDOWN, VK_ADD, 0);  // the keypad's "+"
    }
    EXPECT_EQ(L"Zebra(b.jpg, Inner+, c.avi), apple.png, Middle+", ShownItems(tree));
    EXPECT_TRUE(TreeView_GetItemState(tree, zebra, TVIS_EXPANDED) & TVIS_EXPANDED);
    UpdateWindow(tree);
    HTREEITEM inner = ChildItem(tree, zebra, 1);
    g.open(tree, inner, rowOf(tree, inner, TRUE), rowOf(tree, inner, FALSE));
    EXPECT_EQ(L"Zebra(b.jpg, Inner(z.mp3, a.mp3), c.avi), apple.png, Middle+", ShownItems(tree));
    EXPECT_TRUE(TreeView_GetItemState(tree, inner, TVIS_EXPANDED) & TVIS_EXPANDED);
    f.Cancel();
  }
}

// Every command that reaches into a folder does so in one never opened as
// in an opened one: what it adds comes after the folder's own items, what
// it removes takes them along, and OK writes it all in order.
TEST(CatalogCommands, CommandsReachIntoFoldersNeverOpened) {
  std::wstring media = MakeTempFolder(L"kelreach");
  ASSERT_TRUE(WriteFileBytes(media + L"dropped.mp3", "x"));
  struct Case {
    const char* what;
    void (*act)(DialogFixture& f, const std::wstring& media);
    const wchar_t* shown;  // what the tree holds without opening anything
    const wchar_t* tree;   // with everything opened
  };
  const Case cases[] = {
      {"a file dropped on the folder",
       [](DialogFixture& f, const std::wstring& media) {
         f.SelectCatalogItem(TopItem(CatalogOf(f), 0));
         std::wstring names = media + L"dropped.mp3" + L'\0' + L'\0';
         HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
         auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
         header->pFiles = sizeof(DROPFILES);
         header->fWide = TRUE;
         memcpy(header + 1, names.data(), names.size() * sizeof(wchar_t));
         GlobalUnlock(memory);
         SendMessageW(f.Dialog(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
       },
       L"Zebra(b.jpg, Inner+, c.avi, dropped.mp3), apple.png, Stations+",
       L"Zebra(b.jpg, Inner(z.mp3, a.mp3), c.avi, dropped.mp3), apple.png, Stations(Web Media(r1))"},
      {"a web address for the \"Web Media\" folder that waits in one",
       [](DialogFixture& f, const std::wstring&) {
         f.SetText(IDC_URL_EDIT, L"http://radio.example/new");
         f.Click(IDC_ADD_MEDIA);
       },
       L"Zebra+, apple.png, Stations(Web Media(r1, http://radio.example/new))",
       L"Zebra(b.jpg, Inner(z.mp3, a.mp3), c.avi), apple.png, Stations(Web Media(r1, http://radio.example/new))"},
      {"Delete on the folder",
       [](DialogFixture& f, const std::wstring&) {
         f.SelectCatalogItem(TopItem(CatalogOf(f), 0));
         f.Click(IDC_DELETE_ITEM);
       },
       L"apple.png, Stations+", L"apple.png, Stations(Web Media(r1))"},
      {"Open beside it",
       [](DialogFixture& f, const std::wstring& media) {
         WriteFileBytes(media + L"More.xml",
                        CatalogXml({{L"FOLDER0", L"More", L"D:/More/", L"D:", {{L"VIDEO", L"x.avi", L"D:/More/x.avi", L"D:/More", {}}}}}));
         Seams().chosenPath = media + L"More.xml";
         f.Click(IDC_OPEN_CATALOG);
       },
       L"Zebra+, apple.png, Stations+, More+",
       L"Zebra(b.jpg, Inner(z.mp3, a.mp3), c.avi), apple.png, Stations(Web Media(r1)), More(x.avi)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DialogFixture f;
    std::string xml = NestedCatalogXml();
    // Zebra, apple.png, and Stations holding a "Web Media" folder in place
    // of Middle.
    CatalogNode stations{L"FOLDER1", L"Stations", L"Stations", L"Stations", {}};
    stations.children = {{L"FOLDER2", L"Web Media", L"Web Media", L"http", {{L"WEBM", L"r1", L"http://r/1", L"http://r", {}}}}};
    xml.replace(xml.find("<FOLDER0 parentname=\"CATALOG\" branchname=\"Middle\""), std::string::npos, "");
    std::string tail;
    AppendCatalogNode(tail, stations, L"CATALOG");
    f.WriteCatalog(xml + tail + "</CATALOG>\r\n");
    ASSERT_TRUE(f.Open());
    ASSERT_EQ(L"Zebra+, apple.png, Stations+", ShownItems(CatalogOf(f)));
    c.act(f, media);
    EXPECT_EQ(c.shown, ShownItems(CatalogOf(f)));
    f.Ok();
    ASSERT_TRUE(f.Ended());
    ASSERT_TRUE(f.Open());
    EXPECT_EQ(c.tree, f.CatalogTreeText());
    f.Cancel();
  }
  RemoveTree(media);
}

// After Delete nothing is selected: the status line tells what went.
TEST(CatalogCommands, DeleteLeavesTheDeletedItemsPathInTheStatusLine) {
  const struct {
    const wchar_t* label;
    bool openFirst;
    const wchar_t* path;
    const wchar_t* left;
  } cases[] = {
      {L"song.mp3", true, L"C:/Pics/Holiday/song.mp3", L"Holiday(beach.jpg), clip.avi"},
      {L"Holiday", false, L"C:/Pics/Holiday/", L"clip.avi"},
      {L"clip.avi", false, L"C:\\Videos\\clip.avi", L"Holiday(beach.jpg, song.mp3)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    DialogFixture f;
    f.WriteCatalog(SmallCatalogXml());
    ASSERT_TRUE(f.Open());
    size_t before = LiveCatalogTreeRecords();
    HWND tree = CatalogOf(f);
    f.SelectCatalogItem(c.openFirst ? f.FindCatalogItem(c.label) : FindShownItem(tree, c.label));
    f.Click(IDC_DELETE_ITEM);
    RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(c.path, f.Text(IDC_STATUS_LINE));
    EXPECT_EQ(nullptr, TreeView_GetSelection(tree));
    EXPECT_EQ(c.left, f.CatalogTreeText());
    EXPECT_LT(LiveCatalogTreeRecords(), before);
    f.Cancel();
  }
}

// The folder that Create added is selected and in view, wherever the tree
// was scrolled to.
TEST(CatalogCommands, CreateSelectsTheNewFolderAndScrollsItIntoView) {
  std::vector<CatalogNode> many;
  for (int i = 0; i < 60; ++i)
    many.push_back({L"PICTURE", L"p" + std::to_wstring(i), L"C:/p" + std::to_wstring(i) + L".jpg", L"C:", {}});
  std::wstring media = MakeTempFolder(L"kelcreate");
  std::wstring chosen = media + L"Summer";
  ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(chosen + L"\\beach.jpg", "x"));
  DialogFixture f;
  f.WriteCatalog(CatalogXml(many));
  ASSERT_TRUE(f.Open());
  HWND tree = CatalogOf(f);
  HTREEITEM last = TopItem(tree, 59);
  f.SelectCatalogItem(last);
  TreeView_EnsureVisible(tree, last);
  RECT client;
  GetClientRect(tree, &client);
  auto inView = [&](HTREEITEM item) {
    RECT row = {};
    return TreeView_GetItemRect(tree, item, &row, TRUE) && row.top >= client.top && row.bottom <= client.bottom;
  };
  ASSERT_FALSE(inView(TopItem(tree, 0)));
  Seams().chosenPath = chosen;
  f.Click(IDC_CREATE_CATALOG);
  HTREEITEM added = TopItem(tree, 0);
  std::wstring label;
  GetTreeItemText(tree, added, label);
  EXPECT_EQ(L"Summer", label);
  EXPECT_EQ(added, TreeView_GetSelection(tree));
  EXPECT_TRUE(inView(added));
  RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_NE(std::wstring::npos, f.Text(IDC_STATUS_LINE).find(L"/Summer/"));
  // A cancelled browser leaves the selection alone.
  f.SelectCatalogItem(last);
  Seams().chosenPath.clear();
  f.Click(IDC_CREATE_CATALOG);
  EXPECT_EQ(last, TreeView_GetSelection(tree));
  f.Cancel();
  RemoveTree(media);
}

TEST(CatalogCommands, SaveWritesACheckedNameIntoMyCatalogs) {
  DialogFixture f;
  f.WriteCatalog(SmallCatalogXml());
  ASSERT_TRUE(f.Open());
  std::wstring folder = f.Install() + L"kelconfig\\Scripts\\MyCatalogs\\";
  ASSERT_FALSE(FileExists(folder));
  f.SetText(IDC_URL_EDIT, L"Summer 2024");
  EXPECT_TRUE(f.Enabled(IDC_SAVE_CATALOG));
  f.Click(IDC_SAVE_CATALOG);
  EXPECT_TRUE(Seams().boxes.empty());
  EXPECT_NE(std::string::npos, ReadFileBytes(folder + L"Summer 2024.xml").find("beach.jpg"));
  EXPECT_EQ(L"", f.Text(IDC_URL_EDIT));
  EXPECT_FALSE(f.Enabled(IDC_SAVE_CATALOG));

  // Refused names: said so, nothing written anywhere.
  for (const wchar_t* name : {L"..\\escape", L"sub/dir", L"what?", L"CON", L"nul.txt", L"trailing."}) {
    Seams().boxes.clear();
    f.SetText(IDC_URL_EDIT, name);
    f.Click(IDC_SAVE_CATALOG);
    ASSERT_EQ(1u, Seams().boxes.size()) << name;
    EXPECT_NE(std::wstring::npos, Seams().boxes[0].text.find(name)) << name;
  }
  EXPECT_FALSE(FileExists(f.Install() + L"kelconfig\\Scripts\\escape.xml"));
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW((folder + L"*.xml").c_str(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, listing);
  EXPECT_STREQ(L"Summer 2024.xml", found.cFileName);
  EXPECT_FALSE(FindNextFileW(listing, &found));
  FindClose(listing);

  // An existing catalog is replaced only when the user agrees.
  WriteFileBytes(folder + L"Old.xml", "old");
  Seams().boxes.clear();
  Seams().answers = {IDNO};
  f.SetText(IDC_URL_EDIT, L"Old");
  f.Click(IDC_SAVE_CATALOG);
  ASSERT_EQ(1u, Seams().boxes.size());
  EXPECT_EQ("old", ReadFileBytes(folder + L"Old.xml"));
  Seams().answers = {IDYES};
  f.SetText(IDC_URL_EDIT, L"Old");
  f.Click(IDC_SAVE_CATALOG);
  EXPECT_NE(std::string::npos, ReadFileBytes(folder + L"Old.xml").find("beach.jpg"));
  f.Cancel();
}

TEST(CatalogCommands, OpenAppendsTheChosenCatalog) {
  DialogFixture f;
  f.WriteCatalog(SmallCatalogXml());
  std::wstring folder = f.Install() + L"kelconfig\\Scripts\\MyCatalogs\\";
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  WriteFileBytes(folder + L"More.xml",
                 CatalogXml({{L"AUDIO", L"extra.mp3", L"C:\\Music\\extra.mp3", L"C:\\Music", {}}}));
  ASSERT_TRUE(f.Open());
  Seams().chosenPath.clear();
  f.Click(IDC_OPEN_CATALOG);  // cancelled
  EXPECT_EQ(kSmallTree, f.CatalogTreeText());
  Seams().chosenPath = folder + L"More.xml";
  f.Click(IDC_OPEN_CATALOG);
  ASSERT_EQ(2u, Seams().browseTitles.size());
  EXPECT_EQ(L"Select a Catalog XML description:", Seams().browseTitles[0]);
  EXPECT_EQ(std::wstring(kSmallTree) + L", extra.mp3", f.CatalogTreeText());
  f.Cancel();
}

TEST(CatalogCommands, UrlEditEnablesSaveOrAddMediaAndAddsWebAddresses) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  struct Case {
    const wchar_t* text;
    bool save, addMedia;
  };
  const Case cases[] = {{L"http://radio.example/live", false, true},
                        {L"HTTPS://radio.example/live", false, true},
                        {L"rtsp://cam.example/1", true, false},
                        {L"My Catalog", true, false},
                        {L"", false, false}};
  for (const Case& c : cases) {
    f.SetText(IDC_URL_EDIT, c.text);
    EXPECT_EQ(c.save, f.Enabled(IDC_SAVE_CATALOG)) << c.text;
    EXPECT_EQ(c.addMedia, f.Enabled(IDC_ADD_MEDIA)) << c.text;
  }
  // An https address goes under "Web Media", named by itself.
  f.SetText(IDC_URL_EDIT, L"https://radio.example/live");
  f.Click(IDC_ADD_MEDIA);
  EXPECT_EQ(L"Web Media(https://radio.example/live)", f.CatalogTreeText());
  EXPECT_EQ(L"", f.Text(IDC_URL_EDIT));
  EXPECT_FALSE(f.Enabled(IDC_ADD_MEDIA));
  EXPECT_FALSE(f.Enabled(IDC_URL_NAME_EDIT));

  // With "Rename URLs" the name edit opens for a display name, at once.
  f.Click(IDC_RENAME_URLS);
  EXPECT_TRUE(RenameDrops);
  f.SetText(IDC_URL_EDIT, L"http://tv.example/stream");
  EXPECT_TRUE(f.Enabled(IDC_URL_NAME_EDIT));
  f.SetText(IDC_URL_NAME_EDIT, L"Evening TV");
  f.Click(IDC_ADD_MEDIA);
  EXPECT_EQ(L"Web Media(https://radio.example/live, Evening TV)", f.CatalogTreeText());
  EXPECT_EQ(L"", f.Text(IDC_URL_NAME_EDIT));
  EXPECT_FALSE(f.Enabled(IDC_URL_NAME_EDIT));
  f.Ok();
  std::string written = ReadFileBytes(f.CatalogPath());
  EXPECT_NE(std::string::npos, written.find("branchpath=\"http://tv.example/stream\""));
  EXPECT_NE(std::string::npos, written.find("<WEBM"));
  EXPECT_EQ(1u, f.Dword(L"RenameDrops"));
}

TEST(CatalogCommands, LongTextsAreReadWhole) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  std::wstring address = L"http://example.com/" + std::wstring(400, L'a');
  std::wstring name = std::wstring(300, L'n');
  f.Click(IDC_RENAME_URLS);
  f.SetText(IDC_URL_EDIT, address);
  f.SetText(IDC_URL_NAME_EDIT, name);
  f.Click(IDC_ADD_MEDIA);
  EXPECT_EQ(L"Web Media(" + name + L")", f.CatalogTreeText());
  f.Ok();
  EXPECT_NE(std::string::npos, ReadFileBytes(f.CatalogPath()).find(WideToUtf8(address) + "\""));
}

TEST(CatalogCommands, StatusLineFollowsTheSelection) {
  DialogFixture f;
  f.WriteCatalog(SmallCatalogXml());
  ASSERT_TRUE(f.Open());
  EXPECT_EQ(L"No Media Selected", f.Text(IDC_STATUS_LINE));
  f.SelectCatalogItem(f.FindCatalogItem(L"song.mp3"));
  UpdateWindow(f.Control(IDC_CATALOG_TREE));
  RedrawWindow(f.Control(IDC_CATALOG_TREE), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(L"C:/Pics/Holiday/song.mp3", f.Text(IDC_STATUS_LINE));
  f.Cancel();
}

// The dropped files' removal leaves the current directory alone (the shell's
// delete once emptied it whenever a name went beyond MAX_PATH).
TEST(CatalogCommands, FilesDroppedOnTheDialogGoUnderTheSelectedFolder) {
  CurrentDirectoryMarker current;
  DialogFixture f;
  f.WriteCatalog(SmallCatalogXml());
  std::wstring media = MakeTempFolder(L"keldrop");
  // A name longer than MAX_PATH reaches the catalog whole.
  std::wstring deep = media + std::wstring(120, L'd');
  CreateDirectoryW(deep.c_str(), nullptr);
  std::wstring deeper = deep + L"\\" + std::wstring(120, L'e');
  CreateDirectoryW((L"\\\\?\\" + deeper).c_str(), nullptr);
  std::vector<std::wstring> files = {media + L"one.mp3", media + L"two.jpg", deeper + L"\\three.mp3"};
  for (const std::wstring& file : files) {
    HANDLE h = CreateFileW((L"\\\\?\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
  }
  ASSERT_GT(files[2].size(), static_cast<size_t>(MAX_PATH));
  ASSERT_TRUE(f.Open());
  f.SelectCatalogItem(f.FindCatalogItem(L"Holiday"));
  // The shell's file list: a DROPFILES header, then the names, each
  // terminated, and an empty name at the end.
  std::wstring names;
  for (const std::wstring& file : files) names += file + L'\0';
  names += L'\0';
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  memcpy(header + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  SendMessageW(f.Dialog(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(L"Holiday(beach.jpg, song.mp3, one.mp3, two.jpg, three.mp3), clip.avi", f.CatalogTreeText());
  f.Cancel();
  RemoveTree(media);
  EXPECT_FALSE(FileExists(media));
  EXPECT_TRUE(current.MarkerSurvives());
}

TEST(CatalogCommands, PlaybackButtonsDoNothingWithoutAShow) {
  DialogFixture f;
  f.WriteCatalog(SmallCatalogXml());
  ASSERT_TRUE(f.Open());
  SetDialogPlayKind(0);
  f.SelectCatalogItem(f.FindCatalogItem(L"song.mp3"));
  // Hidden in kel; sent as the wallpaper program's buttons would send them.
  f.Command(IDC_PLAY);
  f.Command(IDC_PAUSE);
  f.Command(IDC_STOP);
  EXPECT_EQ(0, GetDialogPlayKind());
  EXPECT_TRUE(Seams().boxes.empty());
  // Neither do Help (no HTML dialog under Wine) and "Close" (kel).
  f.Command(IDC_HELP_BUTTON);
  f.Command(IDC_CLOSE_WALLPAPER);
  EXPECT_TRUE(Seams().boxes.empty());
  EXPECT_FALSE(f.Ended());
  f.Cancel();
}

TEST(CatalogCommands, UpdateStartsTheUpdaterAndClosesWhatItGets) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  f.Click(IDC_UPDATE);
  ASSERT_EQ(1u, Seams().launches.size());
  EXPECT_EQ(f.Install() + L"updater.exe", Seams().launches[0].application);
  EXPECT_EQ(L"updater.exe /checknow", Seams().launches[0].commandLine);
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(Seams().givenProcess, &flags));
  EXPECT_FALSE(GetHandleInformation(Seams().givenThread, &flags));
  // A missing updater stays silent.
  Seams().launchSucceeds = false;
  f.Click(IDC_UPDATE);
  EXPECT_EQ(2u, Seams().launches.size());
  EXPECT_TRUE(Seams().boxes.empty());
  f.Cancel();
}

TEST(CatalogCommands, TheRealUpdaterLaunchWithNoUpdaterIsSilent) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  DialogSeams real = GetDialogSeams();
  real.createProcess = CreateProcessW;
  ScopedDialogSeams seams(real);
  f.Click(IDC_UPDATE);
  EXPECT_TRUE(Seams().boxes.empty());
  EXPECT_FALSE(f.Ended());
  f.Cancel();
}

}  // namespace
