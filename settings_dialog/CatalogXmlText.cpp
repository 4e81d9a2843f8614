#include "settings_dialog/CatalogXmlText.h"

#include <utility>

namespace {

void AppendUtf8(std::string& out, unsigned int c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A value inside double quotes. A reader normalises raw tabs and line
// breaks in attributes to blanks, so they go as references too.
void AppendValue(std::string& out, std::wstring_view value) {
  const size_t n = value.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned int c = static_cast<unsigned short>(value[i]);
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      case '\t': out += "&#9;"; continue;
      case '\n': out += "&#10;"; continue;
      case '\r': out += "&#13;"; continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n) {
      unsigned int low = static_cast<unsigned short>(value[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    bool allowed = (c >= 0x20 && c < 0xD800) || (c >= 0xE000 && c <= 0xFFFD);
    AppendUtf8(out, allowed ? c : 0xFFFD);
  }
}

void AppendAttribute(std::string& out, const char* name, std::wstring_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendValue(out, value);
  out += '"';
}

}  // namespace

CatalogXmlText::CatalogXmlText(const char* root, Sink sink) : sink_(std::move(sink)) {
  if (sink_) text_.reserve(kPieceBytes + 4096);
  text_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<";
  text_ += root;
  open_.push_back(root);
  tagOpen_ = true;
}

// A piece goes once it is large; the buffer is kept for the next one.
void CatalogXmlText::Spill(size_t atLeast) {
  if (!sink_ || text_.empty() || text_.size() < atLeast) return;
  if (sinkTookAll_) sinkTookAll_ = sink_(text_);
  text_.clear();
}

void CatalogXmlText::OpenContent() {
  if (tagOpen_) text_ += '>';
  tagOpen_ = false;
}

void CatalogXmlText::Begin(const std::string& name, std::wstring_view parentName, std::wstring_view label,
                           std::wstring_view path, std::wstring_view parentPath) {
  OpenContent();
  text_ += '<';
  text_ += name;
  AppendAttribute(text_, "parentname", parentName);
  AppendAttribute(text_, "branchname", label);
  AppendAttribute(text_, "branchpath", path);
  AppendAttribute(text_, "parentpath", parentPath);
  open_.push_back(name);
  tagOpen_ = true;
  Spill(kPieceBytes);
}

void CatalogXmlText::End() {
  if (open_.size() <= 1) return;
  if (tagOpen_) {
    text_ += "/>";
  } else {
    text_ += "</";
    text_ += open_.back();
    text_ += '>';
  }
  tagOpen_ = false;
  open_.pop_back();
  Spill(kPieceBytes);
}

const std::string& CatalogXmlText::Finish() {
  while (open_.size() > 1) End();
  if (!open_.empty()) {
    if (tagOpen_) {
      text_ += "/>";
    } else {
      text_ += "</";
      text_ += open_.back();
      text_ += '>';
    }
    text_ += "\r\n";
    open_.clear();
    tagOpen_ = false;
    Spill(0);
  }
  return text_;
}
