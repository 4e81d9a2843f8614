#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/WideText.h"

// Catalog files made at test time, in the form the settings dialog writes
// them: a declaration, a root element, one element per item with the item's
// attributes.
struct CatalogNode {
  std::wstring element;
  std::wstring name;    // "branchname"
  std::wstring path;    // "branchpath"
  std::wstring parent;  // "parentpath"
  std::vector<CatalogNode> children;
  bool attributes = true;  // false: an element without any attribute
};

inline std::string XmlEscaped(const std::wstring& text) {
  std::string out;
  for (char c : WideToUtf8(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

inline void AppendCatalogNode(std::string& out, const CatalogNode& node, const std::wstring& parentName) {
  out += "<" + WideToUtf8(node.element);
  if (node.attributes) {
    out += " parentname=\"" + XmlEscaped(parentName) + "\" branchname=\"" + XmlEscaped(node.name) +
           "\" branchpath=\"" + XmlEscaped(node.path) + "\" parentpath=\"" + XmlEscaped(node.parent) + "\"";
  }
  if (node.children.empty()) {
    out += "/>";
    return;
  }
  out += ">";
  for (const CatalogNode& child : node.children) AppendCatalogNode(out, child, node.name);
  out += "</" + WideToUtf8(node.element) + ">";
}

// A whole catalog file: the root element holds the given items.
inline std::string CatalogXml(const std::vector<CatalogNode>& items, const std::wstring& rootName = L"CATALOG") {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<" + WideToUtf8(rootName) + ">";
  for (const CatalogNode& item : items) AppendCatalogNode(out, item, L"CATALOG");
  out += "</" + WideToUtf8(rootName) + ">\r\n";
  return out;
}

// Entry i of a generated catalog: the kinds in turn, each with its own path.
inline CatalogNode GeneratedEntry(int i) {
  static const wchar_t* const kElements[] = {L"AUDIO", L"VIDEO", L"PICTURE", L"WEBM", L"PLAYLIST"};
  const wchar_t* element = kElements[i % 5];
  std::wstring number = std::to_wstring(i);
  if (i % 5 == 3)
    return {element, L"stream " + number, L"http://media.example.invalid/live/" + number + L".m3u8",
            L"http://media.example.invalid/live"};
  std::wstring folder = L"D:\\Media\\Set" + std::to_wstring(i / 1000);
  return {element, L"item" + number, folder + L"\\item" + number + L".dat", folder};
}

// A flat catalog of n generated entries under the root.
inline std::string GeneratedCatalogXml(int n) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CATALOG>";
  out.reserve(static_cast<size_t>(n) * 140);
  for (int i = 0; i < n; ++i) AppendCatalogNode(out, GeneratedEntry(i), L"CATALOG");
  out += "</CATALOG>\r\n";
  return out;
}

// Makes a folder and every folder above it.
inline bool MakeFolders(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  size_t cut = path.find_last_of(L"\\/", path.size() >= 2 ? path.size() - 2 : 0);
  if (cut != std::wstring::npos && cut > 2) MakeFolders(path.substr(0, cut));
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
