// The XML wrapper against the platform's DOM (msxml3 under Wine).
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FakeDom.h"
#include "media/MSXMLParser.h"
#include "SmallStack.h"
#include "support/TestPaths.h"

namespace {

const wchar_t kNoRootAfter[] = L"MSXMLParser::Add_NodeAfter(LPCTSTR)   : Can't add node at same level that the root node";

// A compact picture of a subtree: elements as name[attr=value,...]{children},
// text as 'text', CDATA as <![text]>, processing instructions as ?target:data.
std::wstring Outline(IXMLDOMNode* node) {
  std::wstring out;
  switch (DomNodeType(node)) {
    case NODE_TEXT: {
      ComBstr text;
      node->get_text(text.Receive());
      return L"'" + text.Text() + L"'";
    }
    case NODE_CDATA_SECTION: {
      ComBstr text;
      node->get_text(text.Receive());
      return L"<![" + text.Text() + L"]>";
    }
    case NODE_PROCESSING_INSTRUCTION: {
      ComBstr text;
      node->get_text(text.Receive());
      return L"?" + DomNodeName(node) + L":" + text.Text();
    }
    case NODE_COMMENT:
      return L"!comment";
    default:
      break;
  }
  out = DomNodeName(node);
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  node->get_attributes(attributes.Receive());
  long count = 0;
  if (attributes) attributes->get_length(&count);
  if (count > 0) {
    out += L"[";
    for (long i = 0; i < count; ++i) {
      ComPtr<IXMLDOMNode> attribute;
      attributes->get_item(i, attribute.Receive());
      ComBstr value;
      attribute->get_text(value.Receive());
      out += (i ? L"," : L"") + DomNodeName(attribute.Get()) + L"=" + value.Text();
    }
    out += L"]";
  }
  ComPtr<IXMLDOMNode> child = DomFirstChild(node);
  if (child) {
    out += L"{";
    for (bool first = true; child; child = DomNextSibling(child.Get()), first = false)
      out += (first ? L"" : L" ") + Outline(child.Get());
    out += L"}";
  }
  return out;
}

// The document's children, through the current node.
std::wstring DocumentOutline(MSXMLParser& parser) {
  ComPtr<IXMLDOMNode> node = parser.Get_CurrentNode();
  if (!node) return L"(no current node)";
  ComPtr<IXMLDOMDocument> document;
  node->get_ownerDocument(document.Receive());
  std::wstring out;
  for (ComPtr<IXMLDOMNode> child = DomFirstChild(document.Get()); child; child = DomNextSibling(child.Get()))
    out += (out.empty() ? L"" : L" ") + Outline(child.Get());
  return out;
}

std::wstring CurrentName(MSXMLParser& parser) {
  ComPtr<IXMLDOMNode> node = parser.Get_CurrentNode();
  return node ? DomNodeName(node.Get()) : L"(none)";
}

// The whole document's text when the cursor is on the root or nowhere.
std::wstring DocumentXml(MSXMLParser& parser) {
  std::wstring xml;
  parser.Get_XML(xml);
  while (!xml.empty() && iswspace(xml.back())) xml.pop_back();
  return xml;
}

class ParserTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder(L"kel-xml");
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { RemoveTree(folder_); }

  // CATALOG{A{A1 A2} B}, cursor on A2.
  void BuildSmallTree(Tam_MSXMLParser& parser) {
    parser.New_Document();
    ASSERT_TRUE(parser.Add_LastChild(L"CATALOG"));
    ASSERT_TRUE(parser.Add_LastChild(L"A"));
    ASSERT_TRUE(parser.Add_LastChild(L"A1"));
    ASSERT_TRUE(parser.Go_Parent());
    ASSERT_TRUE(parser.Add_LastChild(L"A2"));
    ASSERT_TRUE(parser.Go_Parent());
    ASSERT_TRUE(parser.Go_Parent());
    ASSERT_TRUE(parser.Add_LastChild(L"B"));
    ASSERT_TRUE(parser.Go_Parent());
    ASSERT_TRUE(parser.Go_Child(L"A"));
    ASSERT_TRUE(parser.Go_Child(L"A2"));
  }

  std::wstring folder_;
};

// --- The declaration ------------------------------------------------------

struct HeaderCase {
  const char* label;
  const wchar_t* xml;  // null: an empty document from New_Document
  const wchar_t* target;
  const wchar_t* name;
  const wchar_t* value;
  bool result;
  const wchar_t* outline;  // the document's children afterwards
  const wchar_t* error;
};

// For an empty document a root "r" is added afterwards, to read the
// instruction back through it.
const HeaderCase kHeaderCases[] = {
    {"new declaration on an empty document", nullptr, L"xml", L"encoding", L"UTF-8", true,
     L"?xml:version=\"1.0\" encoding=\"UTF-8\" r", L"Success"},
    {"new declaration with the version alone", nullptr, L"xml", L"version", L"1.1", true,
     L"?xml:version=\"1.1\" r", L"Success"},
    {"another target gets no version", nullptr, L"kel", L"mode", L"fast", true, L"?kel:mode=\"fast\" r",
     L"Success"},
    {"new declaration goes before the root", L"<r/>", L"xml", L"encoding", L"UTF-8", true,
     L"?xml:version=\"1.0\" encoding=\"UTF-8\" r", L"Success"},
    {"only the quoted value is replaced", L"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>", L"xml",
     L"encoding", L"UTF-8", true, L"?xml:version=\"1.0\" encoding=\"UTF-8\" r", L"Success"},
    {"the encoding goes before standalone", L"<?xml version=\"1.0\" standalone=\"yes\"?><r/>", L"xml",
     L"encoding", L"UTF-8", true, L"?xml:version=\"1.0\"  encoding=\"UTF-8\" standalone=\"yes\" r", L"Success"},
    {"a new pair is appended with a blank each side", L"<?kel mode=\"slow\"?><r/>", L"kel", L"other", L"1", true,
     L"?kel:mode=\"slow\" other=\"1\"  r", L"Success"},
    {"a value without quotes", L"<?kel mode=slow?><r/>", L"kel", L"mode", L"fast", false, L"?kel:mode=slow r",
     L"MSXMLParser::Set_Header() : bad value structure"},
    {"an instruction after the root is not the declaration", L"<r/><?kel mode=\"slow\"?>", L"kel", L"mode",
     L"fast", true, L"?kel:mode=\"fast\" r ?kel:mode=\"slow\"", L"Success"},
};

class HeaderTest : public ParserTest, public testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderTest, WritesThePseudoAttribute) {
  const HeaderCase& c = GetParam();
  Tam_MSXMLParser parser;
  if (c.xml)
    parser.Load_XML(c.xml);
  else
    parser.New_Document();
  EXPECT_EQ(parser.Set_Header(c.target, c.name, c.value), c.result);
  EXPECT_EQ(parser.Get_Error(), c.error);
  if (!c.xml) {
    ASSERT_TRUE(parser.Add_LastChild(L"r"));
  }
  EXPECT_EQ(DocumentOutline(parser), c.outline);
}

INSTANTIATE_TEST_SUITE_P(Rules, HeaderTest, testing::ValuesIn(kHeaderCases));

TEST_F(ParserTest, SetHeaderWithoutADocumentFailsAndLeavesTheErrorAlone) {
  Tam_MSXMLParser fresh;
  EXPECT_FALSE(fresh.Set_Header(L"xml", L"encoding", L"UTF-8"));
  EXPECT_EQ(fresh.Get_Error(), L"Success");
}

TEST_F(ParserTest, SetHeaderOnAnEmptyDocumentMakesItsOnlyChild) {
  Tam_MSXMLParser parser;
  parser.New_Document();
  ASSERT_TRUE(parser.Set_Header(L"xml", L"encoding", L"UTF-8"));
  EXPECT_EQ(DocumentXml(parser), L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
}

struct GetHeaderCase {
  const char* label;
  const wchar_t* xml;  // null: no document at all
  const wchar_t* target;
  const wchar_t* name;
  bool result;
  const wchar_t* value;
  const wchar_t* error;
};

const GetHeaderCase kGetHeaderCases[] = {
    {"a value", L"<?kel a=\"1\" b=\"two\"?><r/>", L"kel", L"b", true, L"two", L"Success"},
    {"a name the instruction lacks", L"<?kel a=\"1\"?><r/>", L"kel", L"c", false, L"", L"Success"},
    {"a target the document lacks", L"<?kel a=\"1\"?><r/>", L"other", L"a", false, L"", L"Success"},
    {"only leading instructions count", L"<r/><?kel a=\"1\"?>", L"kel", L"a", false, L"", L"Success"},
    {"no quotes", L"<?kel a=1?><r/>", L"kel", L"a", false, L"", L"MSXMLParser::Get_Header() : bad value structure"},
    {"no document", nullptr, L"xml", L"version", false, L"",
     L"MSXMLParser::Get_Header() : The XML Document is a null pointer"},
};

class GetHeaderTest : public ParserTest, public testing::WithParamInterface<GetHeaderCase> {};

TEST_P(GetHeaderTest, ReadsThePseudoAttribute) {
  const GetHeaderCase& c = GetParam();
  Tam_MSXMLParser parser;
  if (c.xml) parser.Load_XML(c.xml);
  std::wstring value = L"stale";
  EXPECT_EQ(parser.Get_Header(c.target, c.name, value), c.result);
  EXPECT_EQ(value, c.value);
  EXPECT_EQ(parser.Get_Error(), c.error);
}

INSTANTIATE_TEST_SUITE_P(Rules, GetHeaderTest, testing::ValuesIn(kGetHeaderCases));

// --- Documents --------------------------------------------------------------

TEST_F(ParserTest, NewDocumentIsEmptyAndDropsThePreviousOne) {
  Tam_MSXMLParser parser;
  parser.Load_XML(L"<r a=\"1\"><c/></r>");
  ASSERT_EQ(CurrentName(parser), L"r");
  parser.New_Document();
  EXPECT_FALSE(parser.Get_CurrentNode());
  EXPECT_EQ(DocumentXml(parser), L"");
  EXPECT_EQ(parser.Get_DisplayName(), L"");
  EXPECT_EQ(parser.Get_Attribute_Name(0), L"");
  EXPECT_EQ(parser.Get_Error(), L"MSXMLParser::Get_Attribute_Name(int) failed");
}

struct LoadCase {
  const char* label;
  const char* bytes;  // null: no file at all; "<dir>": a folder in its place
  bool result;
};

const LoadCase kLoadCases[] = {
    {"missing file", nullptr, false},
    {"a folder in its place", "<dir>", false},
    {"empty file", "", false},
    {"not well-formed", "<CATALOG><AUDIO></CATALOG>", false},
    {"truncated", "<?xml version=\"1.0\"?><CATALOG><AUDIO branchpath=\"a", false},
    {"two roots", "<a/><b/>", false},
    {"well-formed", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CATALOG/>", true},
};

class LoadTest : public ParserTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadTest, ReportsWhetherTheFileParsed) {
  const LoadCase& c = GetParam();
  std::wstring path = folder_ + L"catalog.xml";
  if (c.bytes && std::string(c.bytes) == "<dir>") {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
  } else if (c.bytes) {
    ASSERT_TRUE(WriteFileBytes(path, c.bytes));
  }
  Tam_MSXMLParser parser;
  EXPECT_EQ(parser.Load_Document(path), c.result);
  if (c.result) {
    EXPECT_EQ(parser.Get_Error(), L"Success");
    EXPECT_EQ(CurrentName(parser), L"CATALOG");
  } else {
    EXPECT_EQ(parser.Get_Error(), L"XML Document FAILED to load");
    EXPECT_FALSE(parser.Get_CurrentNode());
  }
}

INSTANTIATE_TEST_SUITE_P(Files, LoadTest, testing::ValuesIn(kLoadCases));

// Records what the walk after a load shows the hook.
class RecordingParser : public Tam_MSXMLParser {
 public:
  bool Wants_Node_Walk() const override { return true; }
  void On_Node() override {
    ComPtr<IXMLDOMNode> node = Get_CurrentNode();
    seen.push_back(DomNodeName(node.Get()) + L"/" + Get_DisplayName());
  }
  std::vector<std::wstring> seen;
};

TEST_F(ParserTest, TheWalkAfterALoadVisitsEveryNodeInDocumentOrder) {
  std::wstring path = folder_ + L"walk.xml";
  ASSERT_TRUE(WriteFileBytes(path,
                             "<?xml version=\"1.0\"?><!--c--><r a=\"1\"><x>t</x><![CDATA[d]]><y><z/></y></r>"));
  RecordingParser parser;
  ASSERT_TRUE(parser.Load_Document(path));
  // A processing instruction leaves the cache as the node before it had it.
  std::vector<std::wstring> expected = {L"#document/<#document>", L"xml/<#document>", L"#comment/<#comment>",
                                        L"r/<r>",  L"x/<x>",  L"#text/<#TEXT#>",  L"#cdata-section/<#CDATA#>",
                                        L"y/<y>", L"z/<z>"};
  EXPECT_EQ(parser.seen, expected);
  // Afterwards the cursor is back on the root with no attribute selected.
  EXPECT_EQ(CurrentName(parser), L"r");
  EXPECT_EQ(parser.Get_Attribute_Value(), L"MSXMLParser::Get_Attribute_Value()  : Can't Retrieve an Attribute");
  EXPECT_FALSE(parser.Go_Parent());
}

// What the cache holds after a load, as the getters show it.
std::wstring CacheOutline(MSXMLParser& parser) {
  std::wstring out = parser.Get_DisplayName() + L"|" + parser.Get_NodeName() + L"|";
  for (int i = 0; !parser.Get_Attribute_Name(i).empty(); ++i)
    out += parser.Get_Attribute_Name(i) + L"=" + parser.Get_Attribute_Value(i) + L";";
  return out;
}

struct AfterLoadCase {
  const char* label;
  const wchar_t* xml;
  const wchar_t* cache;  // what the walk leaves: the last node in document order but instructions
};

void PrintTo(const AfterLoadCase& c, std::ostream* out) { *out << c.label; }

const AfterLoadCase kAfterLoadCases[] = {
    {"the last element", L"<r a=\"1\"><x/><y b=\"2\" c=\"3\"/></r>", L"<y>|y|b=2;c=3;"},
    {"a text node", L"<r><x/>tail</r>", L"<#TEXT#>|#TEXT#|"},
    {"a CDATA section", L"<r><x/><![CDATA[d]]></r>", L"<#CDATA#>|#CDATA#|"},
    {"an instruction after its sibling", L"<r><x/><y b=\"2\"><z/></y><?pi data?></r>", L"<z>|z|"},
    {"an instruction alone in its element", L"<r><x c=\"1\"><?pi data?></x></r>", L"<x>|x|c=1;"},
    {"instructions after the root", L"<r a=\"1\"/><?pi a?><?pi b?>", L"<r>|r|a=1;"},
    {"a comment after the root", L"<?xml version=\"1.0\"?><r><x/></r><!--c-->", L"<#comment>|#comment|"},
    {"a document that did not parse", L"<r>", L"<#document>|#document|"},
};

class AfterLoadTest : public ParserTest, public testing::WithParamInterface<AfterLoadCase> {};

// A parser without the hook does not walk, yet ends a load exactly where the
// walk would have left it: cursor on the root, no attribute selected, and the
// cache of the last node walked.
TEST_P(AfterLoadTest, TheCacheIsWhatTheWalkLeaves) {
  const AfterLoadCase& c = GetParam();
  RecordingParser walking;
  walking.Load_XML(c.xml);
  Tam_MSXMLParser plain;
  plain.Load_XML(c.xml);
  EXPECT_EQ(CacheOutline(walking), c.cache);
  EXPECT_EQ(CacheOutline(plain), c.cache);
  EXPECT_FALSE(walking.seen.empty());
  EXPECT_EQ(CurrentName(plain), CurrentName(walking));
  EXPECT_EQ(plain.Get_Attribute_Value(), L"MSXMLParser::Get_Attribute_Value()  : Can't Retrieve an Attribute");
  EXPECT_FALSE(plain.Add_NodeAfter(L"beside"));  // the path is empty: on the root, or nowhere
}

INSTANTIATE_TEST_SUITE_P(Documents, AfterLoadTest, testing::ValuesIn(kAfterLoadCases));

std::string Utf16Le(const std::wstring& text) {
  std::string out = "\xFF\xFE";
  for (wchar_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

struct EncodingCase {
  const char* label;
  std::string bytes;
};

void PrintTo(const EncodingCase& c, std::ostream* out) { *out << c.label; }

// One value in every encoding a catalog file may come in.
const EncodingCase kEncodingCases[] = {
    {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r a=\"M\xC3\xBCsik \xC3\xA9t\xC3\xA9\"/>"},
    {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><r a=\"M\xC3\xBCsik \xC3\xA9t\xC3\xA9\"/>"},
    {"UTF-8 without a declaration", "<r a=\"M\xC3\xBCsik \xC3\xA9t\xC3\xA9\"/>"},
    {"ISO-8859-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"M\xFCsik \xE9t\xE9\"/>"},
    {"UTF-16 with a byte-order mark",
     Utf16Le(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><r a=\"M\u00fcsik \u00e9t\u00e9\"/>")},
};

class EncodingTest : public ParserTest, public testing::WithParamInterface<EncodingCase> {};

TEST_P(EncodingTest, TheFileReadsTheSame) {
  std::wstring path = folder_ + L"encoded.xml";
  ASSERT_TRUE(WriteFileBytes(path, GetParam().bytes));
  Tam_MSXMLParser parser;
  ASSERT_TRUE(parser.Load_Document(path));
  EXPECT_EQ(CurrentName(parser), L"r");
  ASSERT_TRUE(parser.Find_Attribute(L"a"));
  EXPECT_EQ(parser.Get_Attribute_Value(), L"M\u00fcsik \u00e9t\u00e9");
}

INSTANTIATE_TEST_SUITE_P(Files, EncodingTest, testing::ValuesIn(kEncodingCases));

// --- What the platform's DOM does not do on demand, through the fake ---------

struct LoadRouteCase {
  const char* label;
  bool file;  // false: no file at all
  std::string bytes;
  const wchar_t* load;  // how the file reached the DOM
};

void PrintTo(const LoadRouteCase& c, std::ostream* out) { *out << c.label; }

// UTF-8 files are read here and handed over as bytes; anything else goes by
// path, where the DOM works out the encoding itself.
const LoadRouteCase kLoadRouteCases[] = {
    {"missing file", false, "", L"load(path)"},
    {"empty file", true, "", L"load(path)"},
    {"UTF-8 without a declaration", true, "<CATALOG/>", L"load(bytes)"},
    {"UTF-8 declared", true, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CATALOG/>", L"load(bytes)"},
    {"declared in single quotes and lower case", true, "<?xml version='1.0' encoding='utf-8'?><CATALOG/>",
     L"load(bytes)"},
    {"a declaration without an encoding", true, "<?xml version=\"1.0\"?><CATALOG/>", L"load(bytes)"},
    {"UTF-8 with a byte-order mark", true, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><CATALOG/>",
     L"load(bytes)"},
    {"another encoding declared", true, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><CATALOG/>",
     L"load(path)"},
    {"UTF-16 with a byte-order mark", true, Utf16Le(L"<CATALOG/>"), L"load(path)"},
    {"UTF-16 without one", true, Utf16Le(L"<CATALOG/>").substr(2), L"load(path)"},
    {"a declaration that does not end", true,
     "<?xml version=\"1.0\" encoding=\"UTF-8\"" + std::string(600, ' ') + "?><CATALOG/>", L"load(path)"},
};

class LoadRouteTest : public ParserTest, public testing::WithParamInterface<LoadRouteCase> {};

// Whichever way, the document is told to load synchronously first.
TEST_P(LoadRouteTest, LoadsSynchronouslyByBytesOrByPath) {
  const LoadRouteCase& c = GetParam();
  std::wstring path = folder_ + L"catalog.xml";
  if (c.file) {
    ASSERT_TRUE(WriteFileBytes(path, c.bytes));
  }
  FakeDomScope fake({}, MakeFakeElement(L"CATALOG", {}));
  ASSERT_TRUE(fake.Registered());
  {
    Tam_MSXMLParser parser;
    EXPECT_TRUE(parser.Load_Document(path));
  }
  std::vector<std::wstring> calls = {L"put_async(false)", c.load};
  EXPECT_EQ(fake.DocumentCalls(), calls);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadRouteTest, testing::ValuesIn(kLoadRouteCases));

struct HeaderFailureCase {
  const char* label;
  bool load;                  // the fake's tree loaded first; false: a fresh empty document
  const wchar_t* declaration;  // the data of an "xml" declaration before the loaded root
  FakeFailure FakeDomBehaviour::*call;  // the document's call that goes wrong
  FakeFailure failure;
  bool result;
  bool raises;
  const wchar_t* error;
  const wchar_t* encoding;  // what Get_Header reads back afterwards; null: no declaration
};

void PrintTo(const HeaderFailureCase& c, std::ostream* out) { *out << c.label; }

const wchar_t kOldDeclaration[] = L"version=\"1.0\" encoding=\"ISO-8859-1\"";
const FakeFailure kFails{0, E_FAIL};
const FakeFailure kNoNode{0, S_OK};
const FakeFailure kWorks{};

// Set_Header with "xml", "encoding", "UTF-8" where the DOM refuses one step.
const HeaderFailureCase kHeaderFailureCases[] = {
    {"new: no instruction made", false, nullptr, &FakeDomBehaviour::createInstruction, kFails, false, false,
     L"PARSER_XML::SetHeader() : Can't create new Processing node", nullptr},
    {"new: a null instruction", false, nullptr, &FakeDomBehaviour::createInstruction, kNoNode, false, false,
     L"PARSER_XML::SetHeader() : Can't create new Processing node", nullptr},
    {"empty document: the append gives no node", false, nullptr, &FakeDomBehaviour::appendChild, kNoNode, false,
     false, L"PARSER_XML::SetHeader() : Can't insert Processing node in the empty document", nullptr},
    {"empty document: the append fails", false, nullptr, &FakeDomBehaviour::appendChild, kFails, false, true,
     L"Success", nullptr},
    {"empty document: all goes well", false, nullptr, &FakeDomBehaviour::appendChild, kWorks, true, false,
     L"Success", L"UTF-8"},
    {"before the root: the insert gives no node", true, nullptr, &FakeDomBehaviour::insertBefore, kNoNode, false,
     false, L"PARSER_XML::SetHeader() : Can't insert Processing node after the root document", nullptr},
    {"before the root: the insert fails", true, nullptr, &FakeDomBehaviour::insertBefore, kFails, false, true,
     L"Success", nullptr},
    {"before the root: all goes well", true, nullptr, &FakeDomBehaviour::insertBefore, kWorks, true, false,
     L"Success", L"UTF-8"},
    {"replacing: no instruction made", true, kOldDeclaration, &FakeDomBehaviour::createInstruction, kFails, false,
     false, L"MSXMLParser::Set_Header() : Can't create the new processing instruction node", L"ISO-8859-1"},
    {"replacing: a null instruction", true, kOldDeclaration, &FakeDomBehaviour::createInstruction, kNoNode, false,
     false, L"MSXMLParser::Set_Header() : Can't create the new processing instruction node", L"ISO-8859-1"},
    {"replacing: the replace fails", true, kOldDeclaration, &FakeDomBehaviour::replaceChild, kFails, false, true,
     L"Success", L"ISO-8859-1"},
    {"replacing: all goes well", true, kOldDeclaration, &FakeDomBehaviour::replaceChild, kWorks, true, false,
     L"Success", L"UTF-8"},
};

class HeaderFailureTest : public ParserTest, public testing::WithParamInterface<HeaderFailureCase> {};

// A refusal the wrapper tests for leaves its message; a failing HRESULT is
// raised and leaves the error text alone. Either way the document keeps its
// old declaration, and every reference taken is given back.
TEST_P(HeaderFailureTest, ReportsOrRaisesAndLeavesTheDeclaration) {
  const HeaderFailureCase& c = GetParam();
  FakeDomBehaviour behaviour;
  if (c.declaration) behaviour.declaration = c.declaration;
  behaviour.*c.call = c.failure;
  FakeDomScope fake(behaviour, MakeFakeElement(L"CATALOG", {}));
  ASSERT_TRUE(fake.Registered());
  long objects = fake.LiveObjects();
  long references = fake.LiveReferences();
  {
    Tam_MSXMLParser parser;
    if (c.load) {
      ASSERT_TRUE(parser.Load_Document(folder_ + L"catalog.xml"));
    } else {
      parser.New_Document();
    }
    bool result = !c.result;
    bool raised = false;
    try {
      result = parser.Set_Header(L"xml", L"encoding", L"UTF-8");
    } catch (const _com_error& error) {
      raised = true;
      EXPECT_EQ(error.Error(), c.failure.result);
    }
    EXPECT_EQ(raised, c.raises);
    if (!raised) {
      EXPECT_EQ(result, c.result);
    }
    EXPECT_EQ(parser.Get_Error(), c.error);
    std::wstring encoding;
    EXPECT_EQ(parser.Get_Header(L"xml", L"encoding", encoding), c.encoding != nullptr);
    EXPECT_EQ(encoding, c.encoding ? c.encoding : L"");
  }
  EXPECT_EQ(fake.LiveObjects(), objects);
  EXPECT_EQ(fake.LiveReferences(), references);
}

INSTANTIATE_TEST_SUITE_P(Refusals, HeaderFailureTest, testing::ValuesIn(kHeaderFailureCases));

// Loads, the walk, moves and reads hold DOM references only while they run:
// once the parser is deleted the fake's nodes are back to the counts they
// had, and its document is gone.
TEST_F(ParserTest, EveryReferenceTakenOnTheDomIsGivenBack) {
  for (bool walk : {false, true}) {
    SCOPED_TRACE(walk ? "with the walk" : "without the walk");
    FakeDomScope fake({}, MakeFakeElement(L"CATALOG", {},
                                          {MakeFakeElement(L"A", {}, {MakeFakeElement(L"A1", {}),
                                                                      MakeFakeElement(L"A2", {})}),
                                           MakeFakeElement(L"B", {}, {MakeFakeElement(L"deep", {})})}));
    ASSERT_TRUE(fake.Registered());
    long objects = fake.LiveObjects();
    long references = fake.LiveReferences();
    {
      std::unique_ptr<Tam_MSXMLParser> parser;
      if (walk)
        parser = std::make_unique<RecordingParser>();
      else
        parser = std::make_unique<Tam_MSXMLParser>();
      ASSERT_TRUE(parser->Load_Document(folder_ + L"catalog.xml"));
      EXPECT_GT(fake.LiveObjects(), objects);  // the document
      EXPECT_TRUE(parser->Go_FirstChild());
      EXPECT_TRUE(parser->Go_NextSibling());
      EXPECT_TRUE(parser->Go_PreviousSibling());
      EXPECT_TRUE(parser->Go_Descendant(L"A2"));
      EXPECT_FALSE(parser->Go_Descendant(L"nothing"));
      EXPECT_TRUE(parser->Go_Ancestor(L"CATALOG"));
      EXPECT_TRUE(parser->Go_Descendant(L"deep"));
      EXPECT_FALSE(parser->Go_Ancestor(L"nothing"));
      EXPECT_TRUE(parser->Go_Parent());
      EXPECT_TRUE(parser->Go_NextNamed(L"B"));
      EXPECT_TRUE(parser->Go_PreviousNamed(L"A"));
      EXPECT_EQ(CurrentName(*parser), L"A");
      std::wstring value;
      EXPECT_FALSE(parser->Get_Header(L"xml", L"version", value));
    }
    EXPECT_EQ(fake.LiveObjects(), objects);
    EXPECT_EQ(fake.LiveReferences(), references);
  }
}

// _add_before refuses beside the root with its own message; the public
// insertions test the path before they get that far.
class SiblingParser : public Tam_MSXMLParser {
 public:
  bool AddBefore(const std::wstring& name) {
    ComPtr<IXMLDOMNode> current = Get_CurrentNode();
    ComPtr<IXMLDOMDocument> document;
    current->get_ownerDocument(document.Receive());
    ComBstr tag(name);
    ComPtr<IXMLDOMElement> element;
    DomCheck(document->createElement(tag.Get(), element.Receive()));
    return _add_before(ComPtr<IXMLDOMNode>(element.Get()));
  }
};

TEST_F(ParserTest, AddBeforeBesideTheRootIsRefusedWithItsMessage) {
  const wchar_t kMessage[] = L"MSXMLParser::_add_before()   : Can't add node at same level that the root node";
  struct Case {
    const char* label;
    std::function<void(SiblingParser&)> place;
  } cases[] = {
      {"on the root after a load", [](SiblingParser&) {}},
      {"back on the root from below",
       [](SiblingParser& p) {
         p.Go_FirstChild();
         p.Go_Parent();
       }},
  };
  for (const Case& c : cases) {
    SiblingParser parser;
    parser.Load_XML(L"<CATALOG><A/></CATALOG>");
    c.place(parser);
    ASSERT_EQ(CurrentName(parser), L"CATALOG") << c.label;
    EXPECT_FALSE(parser.AddBefore(L"X")) << c.label;
    EXPECT_EQ(parser.Get_Error(), kMessage) << c.label;
    EXPECT_EQ(DocumentOutline(parser), L"CATALOG{A}") << c.label;
    // One level down the same call inserts.
    ASSERT_TRUE(parser.Go_FirstChild()) << c.label;
    EXPECT_TRUE(parser.AddBefore(L"X")) << c.label;
    EXPECT_EQ(DocumentOutline(parser), L"CATALOG{X A}") << c.label;
  }
}

TEST_F(ParserTest, SaveWithoutADocumentWritesNothing) {
  Tam_MSXMLParser parser;
  std::wstring path = folder_ + L"never.xml";
  EXPECT_TRUE(parser.Save_Document(path));
  EXPECT_FALSE(FileExists(path));
}

// A save the DOM refuses is raised to the caller, not swallowed and not fatal.
TEST_F(ParserTest, SaveIntoAMissingFolderRaises) {
  Tam_MSXMLParser parser;
  parser.New_Document();
  parser.Add_LastChild(L"CATALOG");
  EXPECT_THROW(parser.Save_Document(folder_ + L"no\\such\\folder\\c.xml"), _com_error);
}

// The writer's sequence, with the values a user's catalog really holds:
// names outside any ANSI code page and paths longer than 259 characters.
TEST_F(ParserTest, ABuiltDocumentSavesAsUtf8WithItsDeclarationAndReloadsTheSame) {
  const std::wstring unicodePath = L"D:\\M\u00fcsik\\\u65e5\u672c\u8a9e\\\u0416\u0443\u043a \u2713.mp3";
  const std::wstring longUrl = L"http://example.invalid/" + std::wstring(300, L'x') + L".m3u8";
  std::wstring folder = folder_ + L"\u00dcber \u65e5\u672c\\";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  std::wstring path = folder + L"catalog.xml";

  std::wstring built;
  {
    Tam_MSXMLParser parser;
    parser.New_Document();
    ASSERT_TRUE(parser.Set_Header(L"xml", L"encoding", L"UTF-8"));
    ASSERT_TRUE(parser.Add_FirstChild(L"CATALOG"));
    ASSERT_TRUE(parser.Add_FirstChild(L"AUDIO"));
    ASSERT_TRUE(parser.Set_Attribute(L"parentname", L"CATALOG"));
    ASSERT_TRUE(parser.Set_Attribute(L"branchpath", unicodePath));
    ASSERT_TRUE(parser.Go_Parent());
    ASSERT_TRUE(parser.Add_FirstChild(L"FOLDER0"));
    ASSERT_TRUE(parser.Add_FirstChild(L"WEBM"));
    ASSERT_TRUE(parser.Set_Attribute(L"branchpath", longUrl));
    ASSERT_TRUE(parser.Go_Ancestor(L"CATALOG"));
    built = DocumentOutline(parser);
    ASSERT_TRUE(parser.Save_Document(path));
  }
  EXPECT_EQ(built, L"?xml:version=\"1.0\" encoding=\"UTF-8\" CATALOG{FOLDER0{WEBM[branchpath=" + longUrl +
                       L"]} AUDIO[parentname=CATALOG,branchpath=" + unicodePath + L"]}");

  std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << bytes;
  EXPECT_NE(bytes.find("M\xc3\xbcsik\\\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"), std::string::npos) << bytes;

  Tam_MSXMLParser reloaded;
  ASSERT_TRUE(reloaded.Load_Document(path));
  EXPECT_EQ(DocumentOutline(reloaded), built);
  ASSERT_TRUE(reloaded.Go_Child(L"AUDIO"));
  EXPECT_EQ(reloaded.Get_Attribute_Value(1), unicodePath);
  ASSERT_TRUE(reloaded.Go_Parent());
  ASSERT_TRUE(reloaded.Go_Descendant(L"WEBM"));
  ASSERT_TRUE(reloaded.Find_Attribute(L"branchpath"));
  EXPECT_EQ(reloaded.Get_Attribute_Value(), longUrl);
}

// A thread that never initialised COM cannot create the document; the failure
// is reported as the system's text for the code, not raised.
TEST_F(ParserTest, ADocumentThatCannotBeCreatedIsReportedInTheErrorText) {
  Tam_MSXMLParser warmUp;
  warmUp.New_Document();  // the first document initialises COM on this thread only

  bool loaded = true;
  std::wstring error;
  bool hasNode = true;
  std::thread([&] {
    Tam_MSXMLParser parser;
    loaded = parser.Load_Document(folder_ + L"any.xml");
    error = parser.Get_Error();
    hasNode = static_cast<bool>(parser.Get_CurrentNode());
  }).join();
  EXPECT_FALSE(loaded);
  EXPECT_FALSE(hasNode);
  EXPECT_EQ(error, _com_error(CO_E_NOTINITIALIZED).ErrorMessage());
  EXPECT_NE(error, L"Success");
}

// --- Cursor and editing -----------------------------------------------------

TEST_F(ParserTest, TheFirstElementOfANewDocumentBecomesItsRoot) {
  Tam_MSXMLParser parser;
  parser.New_Document();
  ASSERT_TRUE(parser.Add_FirstChild(L"CATALOG"));
  EXPECT_EQ(CurrentName(parser), L"CATALOG");
  EXPECT_EQ(parser.Get_DisplayName(), L"<CATALOG>");
  EXPECT_FALSE(parser.Go_Parent());
  EXPECT_EQ(DocumentOutline(parser), L"CATALOG");
}

TEST_F(ParserTest, FirstChildInsertsInReverseOrderAndLastChildKeepsTheOrder) {
  Tam_MSXMLParser first;
  first.New_Document();
  first.Add_FirstChild(L"CATALOG");
  for (const wchar_t* name : {L"first", L"second", L"third"}) {
    ASSERT_TRUE(first.Add_FirstChild(name));
    ASSERT_TRUE(first.Go_Parent());
  }
  EXPECT_EQ(DocumentOutline(first), L"CATALOG{third second first}");

  Tam_MSXMLParser last;
  last.New_Document();
  last.Add_LastChild(L"CATALOG");
  for (const wchar_t* name : {L"first", L"second", L"third"}) {
    ASSERT_TRUE(last.Add_LastChild(name));
    ASSERT_TRUE(last.Go_Parent());
  }
  EXPECT_EQ(DocumentOutline(last), L"CATALOG{first second third}");
}

TEST_F(ParserTest, GoAncestorTestsTheAncestorsOnlyAndRestoresTheCursorOnFailure) {
  Tam_MSXMLParser parser;
  BuildSmallTree(parser);

  EXPECT_FALSE(parser.Go_Ancestor(L"A2"));  // only the current node has that name
  EXPECT_EQ(CurrentName(parser), L"A2");
  EXPECT_EQ(parser.Get_DisplayName(), L"<A2>");
  // The path is as it was: a sibling can still be added here.
  ASSERT_TRUE(parser.Add_NodeAfter(L"A3"));
  EXPECT_EQ(DocumentOutline(parser), L"CATALOG{A{A1 A2 A3} B}");

  ASSERT_TRUE(parser.Go_Ancestor(L"CATALOG"));
  EXPECT_EQ(CurrentName(parser), L"CATALOG");
  // On the root the path is empty: no sibling beside it.
  EXPECT_FALSE(parser.Add_NodeAfter(L"X"));
  EXPECT_EQ(parser.Get_Error(), kNoRootAfter);
  EXPECT_FALSE(parser.Go_Ancestor(L"CATALOG"));
}

TEST_F(ParserTest, SetAttributeReplacesAnExistingValueAndRefreshesTheCache) {
  Tam_MSXMLParser parser;
  parser.New_Document();
  parser.Add_FirstChild(L"CATALOG");
  parser.Add_FirstChild(L"AUDIO");
  ASSERT_TRUE(parser.Set_Attribute(L"branchpath", L"old"));
  ASSERT_TRUE(parser.Set_Attribute(L"parentpath", L"p"));
  ASSERT_TRUE(parser.Set_Attribute(L"branchpath", L"new"));
  EXPECT_EQ(parser.Get_Attribute_Name(0), L"branchpath");
  EXPECT_EQ(parser.Get_Attribute_Value(0), L"new");
  EXPECT_EQ(parser.Get_Attribute_Name(1), L"parentpath");
  EXPECT_EQ(parser.Get_Error(), L"Success");
  EXPECT_EQ(parser.Get_Attribute_Name(2), L"");  // index equal to the count
  EXPECT_EQ(parser.Get_Error(), L"MSXMLParser::Get_Attribute_Name(int) failed");
  EXPECT_EQ(parser.Get_Attribute_Value(-1), L"");
  EXPECT_EQ(parser.Get_Error(), L"MSXMLParser::Get_Attribute_Value(int) failed");
  EXPECT_EQ(DocumentOutline(parser), L"CATALOG{AUDIO[branchpath=new,parentpath=p]}");

  ASSERT_TRUE(parser.Remove_Attribute(L"branchpath"));
  EXPECT_EQ(parser.Get_Attribute_Name(0), L"parentpath");
  EXPECT_EQ(parser.Get_Attribute_Name(1), L"");
  EXPECT_EQ(DocumentOutline(parser), L"CATALOG{AUDIO[parentpath=p]}");
}

TEST_F(ParserTest, TheAttributeCursor) {
  Tam_MSXMLParser parser;
  parser.Load_XML(L"<r a=\"1\" b=\"2\"><c/></r>");
  ASSERT_TRUE(parser.Go_FirstChild());
  ASSERT_TRUE(parser.Go_Parent());
  EXPECT_TRUE(parser.Find_Attribute(L"b"));
  EXPECT_EQ(parser.Get_Attribute_Value(), L"2");
  EXPECT_EQ(parser.Get_Error(), L"Success");
  EXPECT_FALSE(parser.Find_Attribute(L"B"));  // exact names
  EXPECT_EQ(parser.Get_Attribute_Value(), L"MSXMLParser::Get_Attribute_Value()  : Can't Retrieve an Attribute");
  EXPECT_EQ(parser.Get_Error(), L"MSXMLParser::Get_Attribute_Value()  : Can't Retrieve an Attribute");

  // Any move forgets the selected attribute.
  ASSERT_TRUE(parser.Find_Attribute(L"a"));
  ASSERT_TRUE(parser.Go_FirstChild());
  EXPECT_EQ(parser.Get_Attribute_Value(), L"MSXMLParser::Get_Attribute_Value()  : Can't Retrieve an Attribute");

  // A cursor left past the end of a shorter attribute list reads as none.
  ASSERT_TRUE(parser.Go_Parent());
  ASSERT_TRUE(parser.Find_Attribute(L"b"));
  ASSERT_TRUE(parser.Remove_Attribute(L"b"));
  EXPECT_EQ(parser.Get_Attribute_Value(), L"MSXMLParser::Get_Attribute_Value()  : Can't Retrieve an Attribute");
}

TEST_F(ParserTest, SiblingInsertionsBesideTheRootAreRefused) {
  Tam_MSXMLParser parser;
  parser.New_Document();
  parser.Add_FirstChild(L"CATALOG");
  struct Case {
    const char* label;
    std::function<bool()> add;
    const wchar_t* error;
  } cases[] = {
      {"node after", [&] { return parser.Add_NodeAfter(L"X"); }, kNoRootAfter},
      {"cdata after", [&] { return parser.Add_CDataAfter(L"t"); },
       L"MSXMLParser::Add_CDataAfter(LPCTSTR)   : Can't add node at same level that the root node"},
      {"node before", [&] { return parser.Add_NodeBefore(L"X"); }, L"Success"},
      {"cdata before", [&] { return parser.Add_CDataBefore(L"t"); }, L"Success"},
  };
  for (const Case& c : cases) {
    parser.New_Document();
    parser.Add_FirstChild(L"CATALOG");
    EXPECT_FALSE(c.add()) << c.label;
    EXPECT_EQ(parser.Get_Error(), c.error) << c.label;
    EXPECT_EQ(DocumentOutline(parser), L"CATALOG") << c.label;
  }
}

TEST_F(ParserTest, SiblingInsertionsBelowTheRoot) {
  Tam_MSXMLParser parser;
  BuildSmallTree(parser);
  ASSERT_TRUE(parser.Add_NodeAfter(L"AFTER"));  // after the last child: appended
  EXPECT_EQ(CurrentName(parser), L"AFTER");
  ASSERT_TRUE(parser.Go_PreviousSibling());
  ASSERT_TRUE(parser.Add_NodeBefore(L"BEFORE"));
  ASSERT_TRUE(parser.Add_CDataBefore(L"cd"));
  EXPECT_TRUE(parser.Is_CDataNode());
  ASSERT_TRUE(parser.Go_NextSibling());
  ASSERT_TRUE(parser.Go_NextSibling());
  ASSERT_TRUE(parser.Add_CDataAfter(L"ca"));
  EXPECT_EQ(DocumentOutline(parser), L"CATALOG{A{A1 <![cd]> BEFORE A2 <![ca]> AFTER} B}");
  EXPECT_EQ(parser.Get_TextValue(), L"ca");
  // After a sibling insertion the cursor still knows its depth.
  ASSERT_TRUE(parser.Go_Parent());
  EXPECT_EQ(CurrentName(parser), L"A");
  ASSERT_TRUE(parser.Go_Parent());
  EXPECT_FALSE(parser.Go_Parent());
}

TEST_F(ParserTest, Moves) {
  Tam_MSXMLParser parser;
  parser.Load_XML(L"<r><a><x/><b/></a><b><deep><target/></deep></b><c/><b/></r>");
  struct Step {
    const char* label;
    std::function<bool()> move;
    bool result;
    const wchar_t* current;
  } steps[] = {
      {"child by name", [&] { return parser.Go_Child(L"b"); }, true, L"b"},
      {"next named from itself", [&] { return parser.Go_NextNamed(L"b"); }, true, L"b"},
      {"next sibling", [&] { return parser.Go_NextSibling(); }, true, L"c"},
      {"next named further on", [&] { return parser.Go_NextNamed(L"b"); }, true, L"b"},
      {"no next sibling", [&] { return parser.Go_NextSibling(); }, false, L"b"},
      {"previous named", [&] { return parser.Go_PreviousNamed(L"a"); }, true, L"a"},
      {"no previous sibling", [&] { return parser.Go_PreviousSibling(); }, false, L"a"},
      {"no previous named", [&] { return parser.Go_PreviousNamed(L"zz"); }, false, L"a"},
      {"first child", [&] { return parser.Go_FirstChild(); }, true, L"x"},
      {"no child under a leaf", [&] { return parser.Go_FirstChild(); }, false, L"x"},
      {"no such child", [&] { return parser.Go_Child(L"x"); }, false, L"x"},
      {"up to the root", [&] { return parser.Go_Ancestor(L"r"); }, true, L"r"},
      {"descendant in document order", [&] { return parser.Go_Descendant(L"b"); }, true, L"b"},
      {"back up", [&] { return parser.Go_Parent(); }, true, L"a"},
      {"no such descendant", [&] { return parser.Go_Descendant(L"target"); }, false, L"a"},
      {"root again", [&] { return parser.Go_Parent(); }, true, L"r"},
      {"deep descendant", [&] { return parser.Go_Descendant(L"target"); }, true, L"target"},
      {"ancestor two levels up", [&] { return parser.Go_Ancestor(L"b"); }, true, L"b"},
      {"and the root", [&] { return parser.Go_Parent(); }, true, L"r"},
      {"not above the root", [&] { return parser.Go_Parent(); }, false, L"r"},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(s.move(), s.result) << s.label;
    EXPECT_EQ(CurrentName(parser), s.current) << s.label;
  }
  // The deep descendant was reached with its whole path: three levels back up.
  ASSERT_TRUE(parser.Go_Descendant(L"target"));
  ASSERT_TRUE(parser.Add_NodeAfter(L"t2"));
  ASSERT_TRUE(parser.Go_Parent());
  ASSERT_TRUE(parser.Go_Parent());
  ASSERT_TRUE(parser.Go_Parent());
  EXPECT_EQ(CurrentName(parser), L"r");
  EXPECT_FALSE(parser.Go_Parent());
}

TEST_F(ParserTest, Removing) {
  Tam_MSXMLParser parser;
  BuildSmallTree(parser);
  ASSERT_TRUE(parser.Remove_CurrentNode());
  EXPECT_EQ(CurrentName(parser), L"A");
  EXPECT_EQ(DocumentOutline(parser), L"CATALOG{A{A1} B}");
  ASSERT_TRUE(parser.Go_Parent());
  EXPECT_FALSE(parser.Remove_Child(L"missing"));
  ASSERT_TRUE(parser.Remove_Child(L"B"));
  EXPECT_EQ(CurrentName(parser), L"CATALOG");
  EXPECT_EQ(DocumentOutline(parser), L"CATALOG{A{A1}}");
  // Removing the root empties the document.
  ASSERT_TRUE(parser.Remove_CurrentNode());
  EXPECT_FALSE(parser.Get_CurrentNode());
  EXPECT_EQ(DocumentXml(parser), L"");
  EXPECT_FALSE(parser.Remove_CurrentNode());
}

TEST_F(ParserTest, TextValues) {
  Tam_MSXMLParser parser;
  parser.Load_XML(L"<r><!--c--><e>old</e><n/></r>");
  ASSERT_TRUE(parser.Go_Child(L"e"));
  EXPECT_EQ(parser.Get_TextValue(), L"old");
  ASSERT_TRUE(parser.Set_TextValue(L"new"));
  EXPECT_EQ(parser.Get_TextValue(), L"new");
  ASSERT_TRUE(parser.Go_NextSibling());
  EXPECT_EQ(parser.Get_TextValue(), L"");
  ASSERT_TRUE(parser.Set_TextValue(L"made"));  // no text child: one is appended
  ASSERT_TRUE(parser.Add_LastCData(L"raw <data>"));
  EXPECT_TRUE(parser.Is_CDataNode());
  EXPECT_EQ(parser.Get_TextValue(), L"raw <data>");
  ASSERT_TRUE(parser.Set_TextValue(L"changed"));
  EXPECT_EQ(parser.Get_TextValue(), L"changed");
  ASSERT_TRUE(parser.Go_Parent());
  ASSERT_TRUE(parser.Add_FirstCData(L"first"));
  ASSERT_TRUE(parser.Go_Parent());
  ASSERT_TRUE(parser.Go_FirstChild());
  EXPECT_TRUE(parser.Is_CDataNode());
  ASSERT_TRUE(parser.Go_NextSibling());
  EXPECT_TRUE(parser.Is_TextNode());
  EXPECT_EQ(parser.Get_NodeName(), L"#TEXT#");
  EXPECT_TRUE(parser.Is_DisplayName(L"<#TEXT#>"));
  EXPECT_EQ(DocumentOutline(parser), L"r{!comment e{'new'} n{<![first]> 'made' <![changed]>}}");
}

// Operations that need an element report false on any other node, and none
// of them touches a node that is not there.
TEST_F(ParserTest, OperationsOnTheWrongKindOfNodeOrOnNoNode) {
  Tam_MSXMLParser parser;
  parser.Load_XML(L"<r>text<![CDATA[cd]]></r>");
  ASSERT_TRUE(parser.Go_FirstChild());
  ASSERT_TRUE(parser.Is_TextNode());
  EXPECT_FALSE(parser.Set_Attribute(L"a", L"1"));
  EXPECT_FALSE(parser.Remove_Attribute(L"a"));
  EXPECT_FALSE(parser.Add_LastChild(L"x"));
  EXPECT_FALSE(parser.Add_FirstChild(L"x"));
  EXPECT_FALSE(parser.Go_FirstChild());
  EXPECT_FALSE(parser.Go_Child(L"x"));
  EXPECT_FALSE(parser.Go_NextSibling());  // from a text node no sibling moves
  EXPECT_TRUE(parser.Set_TextValue(L"ignored"));
  ASSERT_TRUE(parser.Go_Parent());
  ASSERT_TRUE(parser.Go_Child(L"#cdata-section"));
  EXPECT_FALSE(parser.Set_Attribute(L"a", L"1"));
  EXPECT_FALSE(parser.Remove_Attribute(L"a"));
  EXPECT_EQ(DocumentOutline(parser), L"r{'text' <![cd]>}");

  Tam_MSXMLParser none;  // no document at all
  EXPECT_FALSE(none.Set_Attribute(L"a", L"1"));
  EXPECT_FALSE(none.Add_LastChild(L"x"));
  EXPECT_FALSE(none.Add_FirstChild(L"x"));
  EXPECT_FALSE(none.Add_LastCData(L"x"));
  EXPECT_FALSE(none.Go_Parent());
  EXPECT_FALSE(none.Go_Ancestor(L"x"));
  EXPECT_FALSE(none.Go_FirstChild());
  EXPECT_FALSE(none.Go_NextSibling());
  EXPECT_FALSE(none.Go_Descendant(L"x"));
  EXPECT_FALSE(none.Remove_CurrentNode());
  EXPECT_FALSE(none.Remove_Child(L"x"));
  EXPECT_FALSE(none.Remove_Attribute(L"a"));
  EXPECT_EQ(none.Get_Error(), L"MSXMLParser::Remove_Attribute(LPCTSTR)   : Can't remove attribute on a NULL Node");
  EXPECT_FALSE(none.Set_TextValue(L"t"));
  EXPECT_EQ(none.Get_Error(), L"MSXMLParser::Set_TextValue(LPCTSTR)   : Can't set a Text on a NULL Node");
  EXPECT_EQ(none.Get_TextValue(), L"");
  EXPECT_EQ(none.Get_Error(), L"MSXMLParser::Get_TextValue() Can't set text on NULL node");
  EXPECT_FALSE(none.Get_CurrentNode());
}

// A cursor walked down and up again many thousands of levels stays on the
// heap: nothing here recurses per level.
TEST_F(ParserTest, DeepDocumentsNeedNoStack) {
  const int depth = 50000;
  bool ok = false;
  std::wstring found;
  // A small stack, so that per-level recursion would show at once.
  ASSERT_TRUE(RunOnSmallStack([&] {
    Tam_MSXMLParser parser;
    parser.New_Document();
    parser.Add_LastChild(L"CATALOG");
    for (int i = 0; i < depth; ++i)
      if (!parser.Add_LastChild(L"F")) return;
    parser.Add_LastChild(L"AUDIO");
    if (!parser.Go_Ancestor(L"CATALOG")) return;
    if (!parser.Go_Descendant(L"AUDIO")) return;
    found = CurrentName(parser);
    ok = parser.Go_Ancestor(L"CATALOG");
  }));
  EXPECT_TRUE(ok);
  EXPECT_EQ(found, L"AUDIO");
}

}  // namespace
