#include "settings_dialog/CatalogTreeWalk.h"

#include <msxml2.h>

#include <memory>
#include <string_view>
#include <vector>

#include "media/MSXMLParser.h"
#include "media/MediaKind.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/CatalogXmlText.h"

namespace {

struct ElementValues {
  std::wstring name;
  std::wstring label;
  std::wstring parentName;
  std::wstring parentPath;
  std::wstring branchPath;
};

struct AttributeNames {
  ComBstr parentName{L"parentname"};
  ComBstr parentPath{L"parentpath"};
  ComBstr branchPath{L"branchpath"};
  ComBstr branchName{L"branchname"};
};

// A missing attribute reads as empty, as the show's loader reads it; the
// text stays UTF-16 and whole.
bool ReadAttribute(IXMLDOMElement* element, const ComBstr& name, std::wstring& value) {
  ComVariant text;
  HRESULT hr = DomCheck(element->getAttribute(name.Get(), text.Receive()));
  value = hr == S_OK ? text.Text() : std::wstring();
  return hr == S_OK;
}

void ReadElement(IXMLDOMNode* node, IXMLDOMElement* element, const AttributeNames& names, ElementValues& values) {
  values.name = DomNodeName(node);
  ReadAttribute(element, names.parentName, values.parentName);
  ReadAttribute(element, names.parentPath, values.parentPath);
  ReadAttribute(element, names.branchPath, values.branchPath);
  if (!ReadAttribute(element, names.branchName, values.label)) values.label = values.name;
}

bool EqualsIgnoringCase(const std::wstring& a, const wchar_t* b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

// A group takes its kind from its label, an entry from its group's.
int KindOfExtensionLabel(const std::wstring& label, int parentKind) {
  static const struct {
    const wchar_t* label;
    int kind;
  } order[] = {{L"AUDIO", MediaKindAudio},
               {L"PICTURE", MediaKindPicture},
               {L"VIDEO", MediaKindVideo},
               {L"PLAYLIST", MediaKindPlaylist},
               {L"WEBM", MediaKindWebMedia}};
  for (const auto& row : order)
    if (label == row.label || parentKind == row.kind) return row.kind;
  return MediaKindFolder;
}

// Web items read from a file show the video image.
int ImageKindOf(int kind) { return kind == MediaKindWebMedia ? MediaKindVideo : kind; }

bool IsDocumentElement(IXMLDOMNode* node) {
  ComPtr<IXMLDOMNode> parent = DomParent(node);
  return parent && DomNodeType(parent.Get()) == NODE_DOCUMENT;
}

// One level of the extension list's walk: the next node to read, the item
// its elements go under, the kind of that item, and the item the children
// of the current element go under (an element that gives no item hands its
// children to the item before it).
struct FillLevel {
  ComPtr<IXMLDOMNode> node;
  HTREEITEM parent;
  int parentKind;
  HTREEITEM last;
  int lastKind;
};

void FillExtension(HWND tree, HTREEITEM parent, IXMLDOMNode* first) {
  if (!first) return;
  AttributeNames names;
  ElementValues values;
  const CatalogItem* parentRecord = parent ? GetTreeItemRecord(tree, parent) : nullptr;
  std::vector<FillLevel> levels;
  levels.push_back({ComPtr<IXMLDOMNode>(first), parent, parentRecord ? parentRecord->kind : 0, parent,
                    parentRecord ? parentRecord->kind : 0});
  while (!levels.empty()) {
    if (!levels.back().node) {
      levels.pop_back();
      continue;
    }
    ComPtr<IXMLDOMNode> node = std::move(levels.back().node);
    levels.back().node = DomNextSibling(node.Get());
    ComPtr<IXMLDOMElement> element = DomElement(node.Get());
    if (!element) continue;
    ReadElement(node.Get(), element.Get(), names, values);

    FillLevel& level = levels.back();
    int kind = KindOfExtensionLabel(values.label, level.parentKind);
    bool skip = EqualsIgnoringCase(values.label, L"extension") || EqualsIgnoringCase(values.label, L"extlist");
    if (!skip) {
      CatalogItem* record = NewCatalogRecord(values.parentName, values.branchPath, values.parentPath, kind);
      HTREEITEM item = AppendCatalogTreeItem(tree, level.parent, ImageKindOf(kind), values.label, record);
      if (item) {
        level.last = item;
        level.lastKind = kind;
      }
    }
    ComPtr<IXMLDOMNode> child = DomFirstChild(node.Get());
    if (child) {
      HTREEITEM under = level.last;
      int underKind = level.lastKind;
      levels.push_back({std::move(child), under, underKind, under, underKind});
    }
  }
}

// The elements from first along its siblings, and everything they hold, as
// entries in document order; a document element labelled "catalog" gives no
// item.
void ReadCatalogDom(IXMLDOMNode* first, CatalogEntries& out) {
  AttributeNames names;
  ElementValues values;
  std::vector<ComPtr<IXMLDOMNode>> levels;
  levels.push_back(ComPtr<IXMLDOMNode>(first));
  while (!levels.empty()) {
    if (!levels.back()) {
      levels.pop_back();
      // The element whose children these were ends with them (the first
      // chain has none).
      if (!levels.empty()) out.End();
      continue;
    }
    ComPtr<IXMLDOMNode> node = std::move(levels.back());
    levels.back() = DomNextSibling(node.Get());
    ComPtr<IXMLDOMElement> element = DomElement(node.Get());
    if (!element) continue;
    ReadElement(node.Get(), element.Get(), names, values);
    int kind = MediaKindOfElementName(values.name);
    bool placeless =
        levels.size() == 1 && EqualsIgnoringCase(values.label, L"catalog") && IsDocumentElement(node.Get());
    out.Begin(values.label, values.parentName, values.branchPath, values.parentPath, kind, ImageKindOf(kind),
              placeless);
    ComPtr<IXMLDOMNode> child = DomFirstChild(node.Get());
    if (child)
      levels.push_back(std::move(child));
    else
      out.End();
  }
}

}  // namespace

void FillCatalogTree(HWND tree, HTREEITEM parent, IXMLDOMNode* first) {
  if (!first) return;
  auto entries = std::make_shared<CatalogEntries>();
  ReadCatalogDom(first, *entries);
  PlaceCatalogEntries(tree, parent, std::move(entries));
}

void FillExtensionTree(HWND tree, HTREEITEM parent, IXMLDOMNode* first) { FillExtension(tree, parent, first); }

namespace {

const char* MediaElementName(int kind) {
  switch (kind) {
    case MediaKindPicture: return "PICTURE";
    case MediaKindAudio: return "AUDIO";
    case MediaKindVideo: return "VIDEO";
    case MediaKindWebMedia: return "WEBM";
    case MediaKindPlaylist: return "PLAYLIST";
    default: return nullptr;
  }
}

// A media item's folder: before the last backslash, else before the last
// "/" (a web address keeps its part before the last "/"), else the whole.
// A folder's: before the last backslash only.
std::wstring_view ParentPathOf(std::wstring_view path, bool media) {
  size_t cut = path.rfind(L'\\');
  if (cut == std::wstring_view::npos && media) cut = path.rfind(L'/');
  return cut == std::wstring_view::npos ? path : path.substr(0, cut);
}

// The label and record of an item in one request to the control.
bool ReadItem(HWND tree, HTREEITEM item, std::vector<wchar_t>& buffer, std::wstring& label, CatalogItem*& record) {
  for (;;) {
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT | TVIF_PARAM;
    tv.hItem = item;
    tv.pszText = buffer.data();
    tv.cchTextMax = static_cast<int>(buffer.size());
    buffer[0] = L'\0';
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return false;
    buffer.back() = L'\0';
    size_t length = wcslen(buffer.data());
    if (length + 1 < buffer.size() || buffer.size() >= 65536) {
      label.assign(buffer.data(), length);
      record = reinterpret_cast<CatalogItem*>(tv.lParam);
      return true;
    }
    buffer.resize(buffer.size() * 4);
  }
}

// One level of the walk: a chain of tree items (from item on), or entries
// waiting in a folder not opened yet (from next, stepping over what each
// holds, up to end), and the label of the folder that holds them.
struct WriteLevel {
  HTREEITEM item;
  const CatalogEntries* entries;
  size_t next;
  size_t end;
  std::wstring parentName;
};

void Write(HWND tree, CatalogXmlText& out, HTREEITEM first, const std::wstring& parentName, int& counter,
           bool catalogFile) {
  TreeShape shape(tree);
  HTREEITEM start = first ? first : shape.First();
  if (!start) return;
  std::vector<wchar_t> buffer(260);
  std::wstring itemLabel;
  CatalogItem* itemRecord = nullptr;
  std::vector<WriteLevel> levels;
  bool topLevel = shape.Parent(start) == nullptr;
  levels.push_back({start, nullptr, 0, 0, topLevel && catalogFile ? std::wstring(L"CATALOG") : parentName});
  while (!levels.empty()) {
    WriteLevel& level = levels.back();
    std::wstring_view label, path;
    int kind = 0;
    bool hasRecord = true;
    WriteLevel inside{nullptr, nullptr, 0, 0, {}};
    if (level.entries) {
      if (level.next >= level.end) {
        levels.pop_back();
        if (!levels.empty()) out.End();
        continue;
      }
      size_t i = level.next;
      const CatalogEntries::Entry& entry = (*level.entries)[i];
      level.next = entry.end;
      label = level.entries->Label(i);
      path = level.entries->Path(i);
      kind = entry.kind;
      if (entry.end > i + 1) inside = {nullptr, level.entries, i + 1, entry.end, {}};
    } else {
      HTREEITEM item = level.item;
      if (!item) {
        levels.pop_back();
        if (!levels.empty()) out.End();
        continue;
      }
      level.item = shape.Next(item);
      if (!ReadItem(tree, item, buffer, itemLabel, itemRecord)) continue;
      label = itemLabel;
      hasRecord = itemRecord != nullptr;
      path = itemRecord ? std::wstring_view(itemRecord->path) : label;
      kind = itemRecord ? itemRecord->kind : 0;
      if (const CatalogWaiting* waiting = shape.Deferred(item))
        inside = {nullptr, waiting->entries.get(), waiting->begin, waiting->end, {}};
      else
        inside.item = shape.Child(item);
    }
    const char* element = hasRecord ? MediaElementName(kind) : nullptr;
    // Nothing below a media item is a catalog's; the extension list's
    // groups carry their kind and hold the entries: as in the shipped file,
    // they are written as folders.
    bool holds = (inside.item || inside.entries) && !(element && catalogFile);
    if (element && !holds) {
      out.Begin(element, level.parentName, label, path, ParentPathOf(path, true));
      out.End();
      continue;
    }
    out.Begin("FOLDER" + std::to_string(counter), level.parentName, label, path,
              ParentPathOf(path, element != nullptr));
    ++counter;
    if (!holds) {
      out.End();
      continue;
    }
    inside.parentName.assign(label);
    levels.push_back(std::move(inside));
  }
}

}  // namespace

void WriteCatalogItems(HWND tree, CatalogXmlText& out, HTREEITEM first, const std::wstring& parentName,
                       int& counter) {
  Write(tree, out, first, parentName, counter, true);
}

void WriteExtensionItems(HWND tree, CatalogXmlText& out, HTREEITEM first, const std::wstring& parentName,
                         int& counter) {
  Write(tree, out, first, parentName, counter, false);
}
