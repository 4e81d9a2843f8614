#include "settings_dialog/CatalogTextReader.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "media/MediaKind.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void AppendCodePoint(std::wstring& out, unsigned int c) {
  if (c < 0x10000) {
    out += static_cast<wchar_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (c >> 10));
    out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
  }
}

bool IsXmlChar(unsigned int c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// Widened in place: the string's range append would make a temporary string
// for every call.
void AppendAscii(std::wstring& out, const char* begin, const char* end) {
  size_t at = out.size();
  out.resize(at + static_cast<size_t>(end - begin));
  for (wchar_t* to = &out[0] + at; begin < end; ++begin, ++to) *to = static_cast<unsigned char>(*begin);
}

// One character of UTF-8 at p, which moves past it; false for a broken
// sequence or a character XML does not allow.
bool DecodeUtf8(const char*& p, const char* end, std::wstring& out) {
  unsigned char lead = static_cast<unsigned char>(*p);
  if (lead < 0x80) {
    if (!IsXmlChar(lead)) return false;
    out += static_cast<wchar_t>(lead);
    ++p;
    return true;
  }
  int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (more < 0 || lead > 0xF4 || end - p <= more) return false;
  unsigned int c = lead & (0x3F >> more);
  for (int i = 1; i <= more; ++i) {
    unsigned char next = static_cast<unsigned char>(p[i]);
    if ((next & 0xC0) != 0x80) return false;
    c = (c << 6) | (next & 0x3F);
  }
  static const unsigned int least[] = {0, 0x80, 0x800, 0x10000};
  if (c < least[more] || !IsXmlChar(c)) return false;
  AppendCodePoint(out, c);
  p += more + 1;
  return true;
}

class TextReader {
 public:
  explicit TextReader(const std::string& bytes) : p_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  bool Read(CatalogEntries& out) {
    if (Starts("\xEF\xBB\xBF")) p_ += 3;
    if (!Prolog()) return false;
    std::vector<std::string_view> open;
    for (;;) {
      // At the "<" of a start tag.
      if (!StartTag(out, open.empty())) return false;
      if (empty_)
        out.End();
      else
        open.push_back(tag_);
      if (!Content(out, open)) return false;
      if (open.empty()) return Epilog();
    }
  }

 private:
  bool Starts(const char* text) const {
    size_t n = strlen(text);
    return static_cast<size_t>(end_ - p_) >= n && memcmp(p_, text, n) == 0;
  }
  bool SkipPast(const char* text) {
    size_t n = strlen(text);
    const char* found = std::search(p_, end_, text, text + n);
    if (found == end_) return false;
    p_ = found + n;
    return true;
  }
  void SkipSpace() {
    while (p_ < end_ && IsSpace(*p_)) ++p_;
  }
  bool Name(std::string_view& name) {
    const char* start = p_;
    while (p_ < end_ && !IsSpace(*p_) && *p_ != '/' && *p_ != '>' && *p_ != '=') ++p_;
    name = std::string_view(start, static_cast<size_t>(p_ - start));
    return !name.empty();
  }

  bool Utf8(std::wstring& out) { return DecodeUtf8(p_, end_, out); }

  bool Decode(std::string_view text, std::wstring& out) {
    out.clear();
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      const char* run = p;
      while (p < end && static_cast<unsigned char>(*p) >= 0x20 && static_cast<unsigned char>(*p) < 0x80) ++p;
      AppendAscii(out, run, p);
      if (p < end && !DecodeUtf8(p, end, out)) return false;
    }
    return true;
  }

  // "&...;" at p_, in an attribute value.
  bool Reference(std::wstring& out) {
    const char* semicolon =
        static_cast<const char*>(memchr(p_, ';', static_cast<size_t>(std::min<ptrdiff_t>(end_ - p_, 64))));
    if (!semicolon) return false;
    std::string_view name(p_ + 1, static_cast<size_t>(semicolon - p_ - 1));
    p_ = semicolon + 1;
    static const struct {
      const char* name;
      wchar_t c;
    } named[] = {{"lt", L'<'}, {"gt", L'>'}, {"amp", L'&'}, {"quot", L'"'}, {"apos", L'\''}};
    for (const auto& entity : named) {
      if (name == entity.name) {
        out += entity.c;
        return true;
      }
    }
    if (name.size() < 2 || name[0] != '#') return false;
    bool hex = name[1] == 'x';
    std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty()) return false;
    unsigned int c = 0;
    for (char d : digits) {
      int value = d >= '0' && d <= '9' ? d - '0' : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                                                 : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1;
      if (value < 0 || c > 0x10FFFF) return false;
      c = c * (hex ? 16 : 10) + static_cast<unsigned int>(value);
    }
    if (!IsXmlChar(c)) return false;
    AppendCodePoint(out, c);
    return true;
  }

  // A quoted value at p_, as the DOM gives it: references replaced, and
  // every raw tab and line break a blank (a CR LF pair one blank).
  bool Value(std::wstring& out) {
    out.clear();
    if (p_ >= end_ || (*p_ != '"' && *p_ != '\'')) return false;
    char quote = *p_++;
    for (;;) {
      // Plain ASCII runs go over whole.
      const char* run = p_;
      while (p_ < end_) {
        unsigned char c = static_cast<unsigned char>(*p_);
        if (c < 0x20 || c >= 0x80 || c == static_cast<unsigned char>(quote) || c == '&' || c == '<') break;
        ++p_;
      }
      AppendAscii(out, run, p_);
      if (p_ >= end_) return false;
      char c = *p_;
      if (c == quote) {
        ++p_;
        return true;
      }
      if (c == '&') {
        if (!Reference(out)) return false;
      } else if (c == '<') {
        return false;
      } else if (c == '\r') {
        out += L' ';
        ++p_;
        if (p_ < end_ && *p_ == '\n') ++p_;
      } else if (c == '\t' || c == '\n') {
        out += L' ';
        ++p_;
      } else if (!Utf8(out)) {
        return false;
      }
    }
  }

  // Before the document element: the declaration (UTF-8 or none named),
  // blanks, comments and processing instructions.
  bool Prolog() {
    if (Starts("<?xml") && end_ - p_ > 5 && (IsSpace(p_[5]) || p_[5] == '?')) {
      const char* start = p_;
      if (!SkipPast("?>")) return false;
      std::string_view declaration(start, static_cast<size_t>(p_ - start));
      size_t at = declaration.find("encoding");
      if (at != std::string_view::npos) {
        at = declaration.find_first_of("\"'", at);
        if (at == std::string_view::npos) return false;
        size_t close = declaration.find(declaration[at], at + 1);
        if (close == std::string_view::npos) return false;
        std::string_view name = declaration.substr(at + 1, close - at - 1);
        if (name.size() != 5 || CompareStringOrdinal(std::wstring(name.begin(), name.end()).c_str(), 5, L"UTF-8", 5,
                                                     TRUE) != CSTR_EQUAL)
          return false;
      }
    }
    for (;;) {
      SkipSpace();
      if (Starts("<!--")) {
        if (!SkipPast("-->")) return false;
      } else if (Starts("<?")) {
        if (!SkipPast("?>")) return false;
      } else if (Starts("<!")) {
        return false;  // a document type: entities and defaults are the DOM's
      } else {
        return Starts("<");
      }
    }
  }

  bool Epilog() {
    for (;;) {
      SkipSpace();
      if (p_ == end_) return true;
      if (Starts("<!--")) {
        if (!SkipPast("-->")) return false;
      } else if (Starts("<?")) {
        if (!SkipPast("?>")) return false;
      } else {
        return false;
      }
    }
  }

  bool StartTag(CatalogEntries& out, bool documentElement) {
    ++p_;  // "<"
    if (!Name(tag_) || !Decode(tag_, name_)) return false;
    bool hasLabel = false;
    parentName_.clear();
    path_.clear();
    parentPath_.clear();
    for (;;) {
      SkipSpace();
      if (Starts("/>")) {
        p_ += 2;
        empty_ = true;
        break;
      }
      if (Starts(">")) {
        ++p_;
        empty_ = false;
        break;
      }
      std::string_view attribute;
      if (!Name(attribute)) return false;
      SkipSpace();
      if (!Starts("=")) return false;
      ++p_;
      SkipSpace();
      std::wstring* into = &other_;
      if (attribute == "parentname") {
        into = &parentName_;
      } else if (attribute == "branchname") {
        into = &label_;
        hasLabel = true;
      } else if (attribute == "branchpath") {
        into = &path_;
      } else if (attribute == "parentpath") {
        into = &parentPath_;
      }
      if (!Value(*into)) return false;
    }
    if (!hasLabel) label_ = name_;
    int kind = MediaKindOfElementName(name_);
    bool placeless = documentElement && CompareStringOrdinal(label_.c_str(), static_cast<int>(label_.size()),
                                                             L"catalog", -1, TRUE) == CSTR_EQUAL;
    out.Begin(label_, parentName_, path_, parentPath_, kind, kind == MediaKindWebMedia ? MediaKindVideo : kind,
              placeless);
    return true;
  }

  // Up to the next start tag, or to the end of the document element.
  bool Content(CatalogEntries& out, std::vector<std::string_view>& open) {
    while (!open.empty()) {
      const char* next = static_cast<const char*>(memchr(p_, '<', static_cast<size_t>(end_ - p_)));
      if (!next) return false;
      p_ = next;
      if (Starts("</")) {
        p_ += 2;
        std::string_view name;
        if (!Name(name) || name != open.back()) return false;
        SkipSpace();
        if (!Starts(">")) return false;
        ++p_;
        open.pop_back();
        out.End();
      } else if (Starts("<!--")) {
        if (!SkipPast("-->")) return false;
      } else if (Starts("<![CDATA[")) {
        if (!SkipPast("]]>")) return false;
      } else if (Starts("<?")) {
        if (!SkipPast("?>")) return false;
      } else if (Starts("<!")) {
        return false;
      } else {
        return true;
      }
    }
    return true;
  }

  const char* p_;
  const char* end_;
  std::string_view tag_;
  bool empty_ = false;
  std::wstring name_, label_, parentName_, path_, parentPath_, other_;
};

}  // namespace

bool ReadCatalogText(const std::string& bytes, CatalogEntries& out) {
  // Room for every character (the texts are never longer than the file);
  // the entries grow as they come.
  out.Reserve(bytes.size() / 64, bytes.size());
  TextReader reader(bytes);
  return reader.Read(out);
}
