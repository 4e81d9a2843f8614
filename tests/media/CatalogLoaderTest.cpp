// The catalog loaders against generated files and the platform's DOM.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "CatalogFixtures.h"
#include "FakeDom.h"
#include "SmallStack.h"
#include "engine/Settings.h"
#include "media/CatalogLoader.h"
#include "media/ListPlayer.h"
#include "media/MSXMLParser.h"
#include "media/MediaKind.h"
#include "media/VlcPlayer.h"
#include "support/TestPaths.h"

namespace {

struct Entry {
  std::wstring path;
  std::wstring parent;
  int kind;
  int listIndex;
  bool operator==(const Entry& o) const {
    return path == o.path && parent == o.parent && kind == o.kind && listIndex == o.listIndex;
  }
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
  return out << "{" << testing::PrintToString(e.path) << ", " << testing::PrintToString(e.parent) << ", " << e.kind
             << ", " << e.listIndex << "}";
}

std::vector<Entry> Entries(const std::vector<MediaEntry>& list) {
  std::vector<Entry> out;
  for (const MediaEntry& e : list) out.push_back({e.path, e.parent, e.kind, e.listIndex});
  return out;
}

struct Picture {
  std::wstring name;
  std::wstring path;
  std::wstring parent;
  int kind;
  bool operator==(const Picture& o) const {
    return name == o.name && path == o.path && parent == o.parent && kind == o.kind;
  }
};

std::ostream& operator<<(std::ostream& out, const Picture& p) {
  return out << "{" << testing::PrintToString(p.name) << ", " << testing::PrintToString(p.path) << ", "
             << testing::PrintToString(p.parent) << ", " << p.kind << "}";
}

std::vector<Picture> Pictures() {
  std::vector<Picture> out;
  for (const CatalogItem& p : GetListPlayer()->pictures) out.push_back({p.name, p.path, p.parent, p.kind});
  return out;
}

CatalogNode Item(const wchar_t* element, const std::wstring& name, const std::wstring& path,
                 const std::wstring& parent, std::vector<CatalogNode> children = {}) {
  return CatalogNode{element, name, path, parent, std::move(children)};
}

class CatalogLoaderTest : public testing::Test {
 protected:
  void SetUp() override { UseInstallFolder(L"kel-catalog"); }

  // The install folder (KEL_TARGETDIR) with the catalog folders in it.
  void UseInstallFolder(const std::wstring& prefix) {
    if (!installFolder_.empty()) RemoveTree(installFolder_);
    ResetSettingsToDefaults();
    installFolder_ = MakeTempFolder(prefix);
    ASSERT_FALSE(installFolder_.empty());
    KEL_TARGETDIR = installFolder_;
    ASSERT_TRUE(MakeFolders(installFolder_ + L"kelconfig\\Scripts\\dialogs"));
    ASSERT_TRUE(MakeFolders(installFolder_ + L"kelconfig\\AdMedia"));
    player_ = std::make_unique<KEL_TamListPlayer>();
  }

  void TearDown() override {
    player_.reset();
    ResetSettingsToDefaults();
    RemoveTree(installFolder_);
  }

  std::wstring CatalogPath() const { return installFolder_ + L"kelconfig\\Scripts\\dialogs\\catalog.xml"; }
  void WriteCatalog(const std::string& bytes) { ASSERT_TRUE(WriteFileBytes(CatalogPath(), bytes)); }
  void WriteAdverts(const std::wstring& name, const std::string& bytes) {
    AdvertiserCatalog = name;
    ASSERT_TRUE(WriteFileBytes(installFolder_ + L"kelconfig\\AdMedia\\" + name, bytes));
  }
  const std::vector<MediaEntry>& Media() const { return player_->media; }

  std::wstring installFolder_;
  std::unique_ptr<KEL_TamListPlayer> player_;
};

TEST_F(CatalogLoaderTest, ACatalogOfOnlyItsRootAddsNothing) {
  WriteCatalog(CatalogXml({}));
  EXPECT_TRUE(LoadMediaCatalog());
  EXPECT_TRUE(LoadCatalogNodes());
  EXPECT_TRUE(Media().empty());
  EXPECT_TRUE(player_->pictures.empty());
  EXPECT_TRUE(player_->catalogNodes.empty());
}

// The file as the dialog writes it: folders nested in folders, every kind,
// and a lower-case element name that the show does not take as media.
std::string MixedCatalog() {
  return CatalogXml({
      Item(L"AUDIO", L"a1", L"C:\\Music\\a1.mp3", L"C:\\Music"),
      Item(L"FOLDER0", L"Holiday", L"C:\\Holiday", L"C:",
           {
               Item(L"PICTURE", L"beach", L"C:\\Holiday\\beach.jpg", L"C:\\Holiday"),
               Item(L"VIDEO", L"v1", L"C:\\Holiday\\v1.avi", L"C:\\Holiday"),
               Item(L"FOLDER1", L"Web Media", L"Web Media", L"Web Media",
                    {
                        Item(L"WEBM", L"radio", L"http://radio.example.invalid/live", L"http://radio.example.invalid"),
                        Item(L"PLAYLIST", L"list", L"C:\\Holiday\\list.m3u", L"C:\\Holiday"),
                    }),
           }),
      Item(L"WEBM", L"tv", L"http://tv.example.invalid/a/b.m3u8", L"http://tv.example.invalid/a"),
      Item(L"audio", L"lower", L"C:\\Music\\lower.mp3", L"C:\\Music"),
      Item(L"PICTURE", L"sky", L"D:/Pics/sky.png", L"D:/Pics"),
  });
}

TEST_F(CatalogLoaderTest, MediaAtAnyDepthFillTheListsInDocumentOrder) {
  WriteCatalog(MixedCatalog());
  ASSERT_TRUE(LoadMediaCatalog());
  std::vector<Entry> expected = {
      {L"C:\\Music\\a1.mp3", L"C:\\Music", MediaKindAudio, -1},
      {L"C:\\Holiday\\v1.avi", L"C:\\Holiday", MediaKindVideo, -1},
      {L"http://radio.example.invalid/live", L"http://radio.example.invalid", MediaKindWebMedia, 0},
      {L"C:\\Holiday\\list.m3u", L"C:\\Holiday", MediaKindPlaylist, -1},
      {L"http://tv.example.invalid/a/b.m3u8", L"http://tv.example.invalid/a", MediaKindWebMedia, 1},
  };
  EXPECT_EQ(Entries(Media()), expected);
  std::vector<Picture> pictures = {
      {L"beach", L"C:\\Holiday\\beach.jpg", L"C:\\Holiday", MediaKindPicture},
      {L"sky", L"D:/Pics/sky.png", L"D:/Pics", MediaKindPicture},
  };
  EXPECT_EQ(Pictures(), pictures);
  EXPECT_EQ(GetAudioCount(), 1);
  EXPECT_EQ(GetVideoCount(), 1);
  EXPECT_EQ(GetPlaylistCount(), 1);
  EXPECT_EQ(GetWebMediaCount(), 2);
  EXPECT_EQ(GetMediaCount(), 5);
  // The library's media list holds one address per web entry. The player
  // shows only its length; the order is the entries' list indexes above.
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), 2);
  EXPECT_TRUE(player_->adverts.empty());
  EXPECT_TRUE(player_->catalogNodes.empty());
}

TEST_F(CatalogLoaderTest, CatalogNodesAreTheRootsDirectChildren) {
  WriteCatalog(MixedCatalog());
  ASSERT_TRUE(LoadCatalogNodes());
  std::vector<Entry> expected = {
      {L"C:\\Music\\a1.mp3", L"C:\\Music", -1, -1},
      {L"C:\\Holiday", L"C:", -1, -1},
      {L"http://tv.example.invalid/a/b.m3u8", L"http://tv.example.invalid/a", -1, -1},
      {L"C:\\Music\\lower.mp3", L"C:\\Music", -1, -1},
      {L"D:/Pics/sky.png", L"D:/Pics", -1, -1},
  };
  EXPECT_EQ(Entries(player_->catalogNodes), expected);
  EXPECT_TRUE(Media().empty());
}

// The root is compared ignoring case; an inner element of that name counts
// as a root of its own.
TEST_F(CatalogLoaderTest, CatalogNodesFollowTheNameCatalogInAnyCase) {
  WriteCatalog(CatalogXml({Item(L"AUDIO", L"a", L"top", L"p"),
                           Item(L"FOLDER0", L"f", L"f", L"p", {Item(L"VIDEO", L"v", L"inner", L"f")}),
                           Item(L"Catalog", L"c", L"c", L"p", {Item(L"VIDEO", L"v", L"nested", L"c")})},
                          L"catalog"));
  ASSERT_TRUE(LoadCatalogNodes());
  std::vector<Entry> expected = {{L"top", L"p", -1, -1}, {L"f", L"p", -1, -1}, {L"c", L"p", -1, -1},
                                 {L"nested", L"c", -1, -1}};
  EXPECT_EQ(Entries(player_->catalogNodes), expected);
}

TEST_F(CatalogLoaderTest, AdvertsOfEveryKindGoUnderTheInstallFolder) {
  WriteAdverts(L"ads.xml", CatalogXml({
                               Item(L"PICTURE", L"p", L"kelconfig\\AdMedia\\p.png", L"x"),
                               Item(L"FOLDER0", L"f", L"f", L"f",
                                    {Item(L"VIDEO", L"v", L"kelconfig\\AdMedia\\v.avi", L"y")}),
                               Item(L"WEBM", L"w", L"http://ads.example.invalid/w", L"z"),
                               Item(L"FOLDER1", L"not media", L"n", L"n"),
                           }));
  ASSERT_TRUE(LoadAdvertCatalog());
  std::vector<Entry> expected = {
      {installFolder_ + L"kelconfig\\AdMedia\\p.png", L"TODOADVERTISINGPARENT", MediaKindPicture, -1},
      {installFolder_ + L"kelconfig\\AdMedia\\v.avi", L"TODOADVERTISINGPARENT", MediaKindVideo, -1},
      {installFolder_ + L"http://ads.example.invalid/w", L"TODOADVERTISINGPARENT", MediaKindWebMedia, -1},
  };
  EXPECT_EQ(Entries(player_->adverts), expected);
  EXPECT_TRUE(Media().empty());
  EXPECT_TRUE(player_->pictures.empty());
}

TEST_F(CatalogLoaderTest, TheDefaultAdvertiserCatalogIsAFolderAndLoadsNothing) {
  ASSERT_EQ(AdvertiserCatalog, L".");
  EXPECT_FALSE(LoadAdvertCatalog());
  AdvertiserCatalog = L"";
  EXPECT_FALSE(LoadAdvertCatalog());
  EXPECT_TRUE(player_->adverts.empty());
}

struct BadFileCase {
  const char* label;
  const char* bytes;  // null: no file; "<dir>": a folder in its place
};

const BadFileCase kBadFiles[] = {
    {"missing file", nullptr},
    {"a folder in its place", "<dir>"},
    {"empty file", ""},
    {"only a declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
    {"malformed", "<CATALOG><AUDIO branchpath=\"a\"><VIDEO branchpath=\"b\"/></CATALOG>"},
    {"truncated after some entries",
     "<?xml version=\"1.0\"?><CATALOG><AUDIO branchpath=\"a\" parentpath=\"p\"/><VIDEO branchpath=\"b"},
    {"binary junk", "\x89PNG\r\n\x1a\n\x01\x02IHDR"},
};

class BadCatalogTest : public CatalogLoaderTest, public testing::WithParamInterface<BadFileCase> {};

// A catalog the DOM cannot read loads nothing; the other catalog still does.
TEST_P(BadCatalogTest, LoadsNothingAndTheAdvertsStillLoad) {
  const BadFileCase& c = GetParam();
  if (c.bytes && std::string(c.bytes) == "<dir>") {
    ASSERT_TRUE(CreateDirectoryW(CatalogPath().c_str(), nullptr));
  } else if (c.bytes) {
    WriteCatalog(c.bytes);
  }
  WriteAdverts(L"ads.xml", CatalogXml({Item(L"VIDEO", L"v", L"v.avi", L"p")}));

  EXPECT_FALSE(LoadMediaCatalog());
  EXPECT_FALSE(LoadCatalogNodes());
  EXPECT_TRUE(LoadAdvertCatalog());
  EXPECT_TRUE(Media().empty());
  EXPECT_TRUE(player_->pictures.empty());
  EXPECT_TRUE(player_->catalogNodes.empty());
  EXPECT_EQ(GetAdvertCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Files, BadCatalogTest, testing::ValuesIn(kBadFiles));

TEST_F(CatalogLoaderTest, CommentsTextAndInstructionsAmongTheElementsAreSkipped) {
  WriteCatalog(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<!-- written by hand -->\r\n"
      "<CATALOG>\r\n"
      "  some text\r\n"
      "  <!-- a comment -->\r\n"
      "  <?AUDIO branchpath=\"not an element\"?>\r\n"
      "  <AUDIO branchpath=\"a.mp3\" parentpath=\"p\">inner text<![CDATA[<VIDEO/>]]></AUDIO>\r\n"
      "  <FOLDER0 branchpath=\"f\" parentpath=\"p\">text<!--c--><VIDEO branchpath=\"v.avi\" parentpath=\"f\"/></FOLDER0>\r\n"
      "</CATALOG>\r\n"
      "<!-- trailing -->\r\n");
  ASSERT_TRUE(LoadMediaCatalog());
  std::vector<Entry> expected = {{L"a.mp3", L"p", MediaKindAudio, -1}, {L"v.avi", L"f", MediaKindVideo, -1}};
  EXPECT_EQ(Entries(Media()), expected);
  ASSERT_TRUE(LoadCatalogNodes());
  std::vector<Entry> nodes = {{L"a.mp3", L"p", -1, -1}, {L"f", L"p", -1, -1}};
  EXPECT_EQ(Entries(player_->catalogNodes), nodes);
}

// An element without an attribute reads it as empty, not as the value of the
// sibling before it.
TEST_F(CatalogLoaderTest, MissingAttributesReadAsEmpty) {
  WriteCatalog(
      "<CATALOG>"
      "<AUDIO branchname=\"n\" branchpath=\"a.mp3\" parentpath=\"p\"/>"
      "<AUDIO branchpath=\"b.mp3\"/>"
      "<VIDEO/>"
      "<PICTURE branchpath=\"c.png\"/>"
      "<WEBM parentpath=\"q\"/>"
      "</CATALOG>");
  ASSERT_TRUE(LoadMediaCatalog());
  std::vector<Entry> expected = {{L"a.mp3", L"p", MediaKindAudio, -1},
                                 {L"b.mp3", L"", MediaKindAudio, -1},
                                 {L"", L"", MediaKindVideo, -1},
                                 {L"", L"q", MediaKindWebMedia, 0}};
  EXPECT_EQ(Entries(Media()), expected);
  std::vector<Picture> pictures = {{L"", L"c.png", L"", MediaKindPicture}};
  EXPECT_EQ(Pictures(), pictures);
}

// Long stream addresses and names outside any ANSI code page come through
// whole, in the file and in the install folder's own name.
TEST_F(CatalogLoaderTest, LongAndNonAsciiValuesSurviveWhole) {
  UseInstallFolder(L"kel-\u00fcber-\u65e5\u672c-\u0416");
  const std::wstring url = L"http://streams.example.invalid/" + std::wstring(300 - 31, L'q');
  ASSERT_EQ(url.size(), 300u);
  const std::wstring folder = L"C:\\M\u00fcsik\\\u65e5\u672c\u8a9e \u2713\\" + std::wstring(280, L'\u00e9');
  const std::wstring song = folder + L"\\\u0416\u0443\u043a.mp3";
  const std::wstring picture = folder + L"\\\u6d77.png";
  WriteCatalog(CatalogXml({
      Item(L"WEBM", L"long", url, url.substr(0, url.rfind(L'/'))),
      Item(L"AUDIO", L"\u0416\u0443\u043a", song, folder),
      Item(L"PICTURE", L"\u6d77 \u2713", picture, folder),
  }));
  WriteAdverts(L"\u5e83\u544a.xml", CatalogXml({Item(L"VIDEO", L"v", L"\u5e83\u544a\\v.avi", L"p")}));

  ASSERT_TRUE(LoadMediaCatalog());
  std::vector<Entry> expected = {{url, L"http://streams.example.invalid", MediaKindWebMedia, 0},
                                 {song, folder, MediaKindAudio, -1}};
  EXPECT_EQ(Entries(Media()), expected);
  std::vector<Picture> pictures = {{L"\u6d77 \u2713", picture, folder, MediaKindPicture}};
  EXPECT_EQ(Pictures(), pictures);
  ASSERT_TRUE(LoadAdvertCatalog());
  ASSERT_EQ(GetAdvertCount(), 1);
  EXPECT_EQ(player_->adverts[0].path, installFolder_ + L"\u5e83\u544a\\v.avi");
}

int KindOfElement(const std::wstring& element) {
  if (element == L"AUDIO") return MediaKindAudio;
  if (element == L"VIDEO") return MediaKindVideo;
  if (element == L"PLAYLIST") return MediaKindPlaylist;
  if (element == L"WEBM") return MediaKindWebMedia;
  return MediaKindPicture;
}

template <class T>
int FirstDifference(const std::vector<T>& a, const std::vector<T>& b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (!(a[i] == b[i])) return static_cast<int>(i);
  return a.size() == b.size() ? -1 : static_cast<int>(std::min(a.size(), b.size()));
}

TEST_F(CatalogLoaderTest, AHundredThousandEntriesLoadInOrder) {
  const int n = 100000;
  WriteCatalog(GeneratedCatalogXml(n));
  std::vector<Entry> media;
  std::vector<Picture> pictures;
  std::vector<Entry> nodes;
  int web = 0;
  for (int i = 0; i < n; ++i) {
    CatalogNode want = GeneratedEntry(i);
    int kind = KindOfElement(want.element);
    nodes.push_back({want.path, want.parent, -1, -1});
    if (kind == MediaKindPicture)
      pictures.push_back({want.name, want.path, want.parent, kind});
    else
      media.push_back({want.path, want.parent, kind, kind == MediaKindWebMedia ? web++ : -1});
  }

  ASSERT_TRUE(LoadMediaCatalog());
  EXPECT_EQ(FirstDifference(Entries(Media()), media), -1);
  EXPECT_EQ(FirstDifference(Pictures(), pictures), -1);
  EXPECT_EQ(GetWebMediaCount(), n / 5);
  EXPECT_EQ(GetVlcPlayer().GetListLocationCount(), n / 5);
  ASSERT_TRUE(LoadCatalogNodes());
  EXPECT_EQ(FirstDifference(Entries(player_->catalogNodes), nodes), -1);
}

// The platform's DOM here refuses to parse past a few hundred levels; another
// may not. Either way the load ends normally, with the item or without it.
TEST_F(CatalogLoaderTest, ADeeplyNestedFileLoadsAsFarAsTheDomReadsIt) {
  const int depth = 5000;
  std::string xml = "<CATALOG>";
  for (int i = 0; i < depth; ++i) xml += "<FOLDER0 branchpath=\"f\" parentpath=\"f\">";
  xml += "<AUDIO branchpath=\"deep.mp3\" parentpath=\"f\"/>";
  for (int i = 0; i < depth; ++i) xml += "</FOLDER0>";
  xml += "</CATALOG>";
  WriteCatalog(xml);
  bool loaded = LoadMediaCatalog();
  if (loaded) {
    std::vector<Entry> expected = {{L"deep.mp3", L"f", MediaKindAudio, -1}};
    EXPECT_EQ(Entries(Media()), expected);
  } else {
    EXPECT_TRUE(Media().empty());
  }
}

// The walks themselves over a tree far deeper than a small stack could
// recurse through, built in memory.
TEST_F(CatalogLoaderTest, TheWalksNeedNoStackPerLevel) {
  const int depth = 50000;
  bool built = false;
  ASSERT_TRUE(RunOnSmallStack([&] {
    Tam_MSXMLParser parser;
    parser.New_Document();
    parser.Add_LastChild(L"CATALOG");
    for (int i = 0; i < depth; ++i) {
      if (!parser.Add_LastChild(L"FOLDER0")) return;
      if (i == 0) parser.Set_Attribute(L"branchpath", L"top");
    }
    parser.Add_LastChild(L"AUDIO");
    parser.Set_Attribute(L"branchpath", L"deep.mp3");
    parser.Set_Attribute(L"parentpath", L"f");
    if (!parser.Go_Ancestor(L"CATALOG")) return;
    built = true;
    ComPtr<IXMLDOMNode> root = parser.Get_CurrentNode();
    WalkCatalogMedia(root.Get(), false);
    WalkCatalogNodes(root.Get());
  }));
  ASSERT_TRUE(built);
  std::vector<Entry> expected = {{L"deep.mp3", L"f", MediaKindAudio, -1}};
  EXPECT_EQ(Entries(Media()), expected);
  std::vector<Entry> nodes = {{L"top", L"", -1, -1}};
  EXPECT_EQ(Entries(player_->catalogNodes), nodes);
}

// A DOM that parses a catalog nested far deeper than the one here does: the
// load, the walk after it and the catalog walks all run on a small stack.
TEST_F(CatalogLoaderTest, ADeepCatalogTheDomAcceptsLoadsOnASmallStack) {
  const int depth = 50000;
  size_t media = 0;
  std::wstring deepest;
  bool loaded = false;
  ASSERT_TRUE(RunOnSmallStack([&] {
    ComPtr<IXMLDOMElement> root = MakeFakeElement(L"CATALOG", {});
    ComPtr<IXMLDOMElement> folder = root;
    for (int i = 0; i < depth; ++i) {
      ComPtr<IXMLDOMElement> inner = MakeFakeElement(L"FOLDER0", {});
      AddFakeChild(folder, inner);
      folder = inner;
    }
    AddFakeChild(folder, MakeFakeElement(L"AUDIO", {{L"branchpath", L"deep.mp3"}}));
    folder.Reset();
    FakeDomScope fake({S_OK, -1}, root);
    root.Reset();
    if (!fake.Registered()) return;
    loaded = LoadMediaCatalog();
    media = GetListPlayer()->media.size();
    if (media == 1) deepest = GetListPlayer()->media[0].path;
  }));
  EXPECT_TRUE(loaded);
  EXPECT_EQ(media, 1u);
  EXPECT_EQ(deepest, L"deep.mp3");
}

// --- Failures the platform's DOM reports -------------------------------------

// Some DOM versions fail the load itself with an error code (a folder, a
// path they will not open); the loaders answer false and nothing else.
TEST_F(CatalogLoaderTest, ALoadThatFailsWithAnErrorCodeReturnsFalse) {
  FakeDomScope fake({E_ACCESSDENIED, -1}, MakeFakeElement(L"CATALOG", {}));
  ASSERT_TRUE(fake.Registered());
  AdvertiserCatalog = L"ads.xml";
  EXPECT_FALSE(LoadMediaCatalog());
  EXPECT_FALSE(LoadAdvertCatalog());
  EXPECT_FALSE(LoadCatalogNodes());
  EXPECT_TRUE(Media().empty());
}

// A DOM call failing in the middle of the walk ends that load: what was added
// before it stays, the loader returns false, and the next load works.
TEST_F(CatalogLoaderTest, AFailureInTheMiddleOfTheWalkKeepsWhatWasAdded) {
  {
    auto root = MakeFakeElement(
        L"CATALOG", {}, {MakeFakeElement(L"AUDIO", {{L"branchpath", L"a.mp3"}, {L"parentpath", L"p"}}),
                         MakeFakeElement(L"FOLDER0", {}, {MakeFakeElement(L"VIDEO", {{L"branchpath", L"v.avi"}})}),
                         MakeFakeElement(L"AUDIO", {{L"branchpath", L"never.mp3"}})});
    // Two reads per media element: the third element's first read fails.
    FakeDomScope fake({S_OK, 4}, root);
    ASSERT_TRUE(fake.Registered());
    EXPECT_FALSE(LoadMediaCatalog());
    EXPECT_EQ(fake.AttributeReads(), 5);
  }
  std::vector<Entry> expected = {{L"a.mp3", L"p", MediaKindAudio, -1}, {L"v.avi", L"", MediaKindVideo, -1}};
  EXPECT_EQ(Entries(Media()), expected);

  // The platform's DOM is back.
  WriteCatalog(CatalogXml({Item(L"PLAYLIST", L"l", L"l.m3u", L"p")}));
  EXPECT_TRUE(LoadMediaCatalog());
  EXPECT_EQ(GetPlaylistCount(), 1);
}

struct LoaderRunCase {
  const char* label;
  bool (*load)();
  int failReadsFrom;  // -1: every read works
  bool result;
  int added;  // entries added to the loader's list
};

void PrintTo(const LoaderRunCase& c, std::ostream* out) { *out << c.label; }

// The fake tree below: two media elements in a folder, one at the top.
const LoaderRunCase kLoaderRuns[] = {
    {"media", LoadMediaCatalog, -1, true, 3},
    {"media, a read failing", LoadMediaCatalog, 1, false, 0},
    {"adverts", LoadAdvertCatalog, -1, true, 3},
    {"adverts, a read failing", LoadAdvertCatalog, 1, false, 1},
    {"catalog nodes", LoadCatalogNodes, -1, true, 2},
    {"catalog nodes, a read failing", LoadCatalogNodes, 1, false, 0},
};

class LoaderRunTest : public CatalogLoaderTest, public testing::WithParamInterface<LoaderRunCase> {};

// Each loader has its document load synchronously, and gives back every DOM
// reference it and its parser took, whether the walk ends or fails halfway.
TEST_P(LoaderRunTest, LoadsSynchronouslyAndGivesBackEveryReference) {
  const LoaderRunCase& c = GetParam();
  AdvertiserCatalog = L"ads.xml";
  FakeDomBehaviour behaviour;
  behaviour.failAttributeReadsFrom = c.failReadsFrom;
  FakeDomScope fake(behaviour,
                    MakeFakeElement(L"CATALOG", {},
                                    {MakeFakeElement(L"FOLDER0", {{L"branchpath", L"f"}},
                                                     {MakeFakeElement(L"AUDIO", {{L"branchpath", L"a.mp3"}}),
                                                      MakeFakeElement(L"WEBM", {{L"branchpath", L"http://w"}})}),
                                     MakeFakeElement(L"PICTURE", {{L"branchpath", L"p.png"}})}));
  ASSERT_TRUE(fake.Registered());
  long objects = fake.LiveObjects();
  long references = fake.LiveReferences();

  EXPECT_EQ(c.load(), c.result);
  int added = static_cast<int>(Media().size() + player_->pictures.size() + player_->adverts.size() +
                               player_->catalogNodes.size());
  EXPECT_EQ(added, c.added);
  std::vector<std::wstring> calls = {L"put_async(false)", L"load(path)"};
  EXPECT_EQ(fake.DocumentCalls(), calls);
  EXPECT_EQ(fake.LiveObjects(), objects);
  EXPECT_EQ(fake.LiveReferences(), references);
}

INSTANTIATE_TEST_SUITE_P(Loaders, LoaderRunTest, testing::ValuesIn(kLoaderRuns));

}  // namespace
