#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The text of a catalog or extension-list file in UTF-8, made element by
// element in document order: the declaration, the root element, and inside
// it elements carrying an item's four attributes. The catalog writers make
// their files this way: building the same document in the DOM, element by
// element and attribute by attribute, costs five times what the DOM then
// needs to save it.
//
// Attribute values come back exactly through any XML reader: markup
// characters, tabs and line breaks are written as references; characters
// that XML cannot hold at all (controls, unpaired surrogates) become U+FFFD,
// so that the file always loads.
//
// Given a sink, the text goes to it in pieces as it grows, and the document
// never stands whole in memory: a large catalog's text would otherwise cost
// its size in fresh memory, touched page by page.
class CatalogXmlText {
 public:
  // Takes the next piece of the text; false when it could not be kept.
  using Sink = std::function<bool(const std::string& piece)>;

  explicit CatalogXmlText(const char* root, Sink sink = nullptr);

  // Begins an element inside the innermost one not ended yet, with the
  // attributes "parentname", "branchname", "branchpath" and "parentpath"
  // in this order.
  void Begin(const std::string& name, std::wstring_view parentName, std::wstring_view label,
             std::wstring_view path, std::wstring_view parentPath);
  // Ends the innermost element begun (never the root).
  void End();
  // The whole document, or with a sink what the sink has not had yet (the
  // sink then has it too, and this is empty); elements still open are ended.
  const std::string& Finish();
  // False once the sink has refused a piece.
  bool SinkTookAll() const { return sinkTookAll_; }

  // How much text waits before it goes to the sink.
  static constexpr size_t kPieceBytes = 1 << 20;

 private:
  void OpenContent();
  void Spill(size_t atLeast);

  std::string text_;
  std::vector<std::string> open_;  // names of the elements begun, the root first
  bool tagOpen_ = false;           // the last start tag still lacks its ">"
  Sink sink_;
  bool sinkTookAll_ = true;
};
