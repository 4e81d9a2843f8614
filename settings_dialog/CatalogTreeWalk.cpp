#include "settings_dialog/CatalogTreeWalk.h"

#include <msxml2.h>

#include <vector>

#include "media/MSXMLParser.h"
#include "media/MediaKind.h"
#include "settings_dialog/CatalogTree.h"

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

bool IsDocumentElement(IXMLDOMNode* node) {
  ComPtr<IXMLDOMNode> parent = DomParent(node);
  return parent && DomNodeType(parent.Get()) == NODE_DOCUMENT;
}

enum class TreeFlavour { Catalog, Extension };

// One level of the walk: the next node to read, the item its elements go
// under, the kind of that item, and the item the children of the current
// element go under (an element that gives no item hands its children to the
// item before it).
struct FillLevel {
  ComPtr<IXMLDOMNode> node;
  HTREEITEM parent;
  int parentKind;
  HTREEITEM last;
  int lastKind;
};

void Fill(HWND tree, HTREEITEM parent, IXMLDOMNode* first, TreeFlavour flavour) {
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
    int kind;
    bool skip;
    if (flavour == TreeFlavour::Catalog) {
      kind = MediaKindOfElementName(values.name);
      // Only the document element stands for the file itself; a user's
      // folder named "Catalog" is an item like any other.
      skip = EqualsIgnoringCase(values.label, L"catalog") && IsDocumentElement(node.Get());
    } else {
      kind = KindOfExtensionLabel(values.label, level.parentKind);
      skip = EqualsIgnoringCase(values.label, L"extension") || EqualsIgnoringCase(values.label, L"extlist");
    }
    if (!skip) {
      CatalogItem* record = new CatalogItem;
      record->name = values.parentName;
      record->path = values.branchPath;
      record->parent = values.parentPath;
      record->kind = kind;
      // Web items read from a file show the video image.
      int image = kind == MediaKindWebMedia ? MediaKindVideo : kind;
      HTREEITEM item = AppendCatalogTreeItem(tree, level.parent, image, values.label, record);
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

}  // namespace

void FillCatalogTree(HWND tree, HTREEITEM parent, IXMLDOMNode* first) { Fill(tree, parent, first, TreeFlavour::Catalog); }

void FillExtensionTree(HWND tree, HTREEITEM parent, IXMLDOMNode* first) {
  Fill(tree, parent, first, TreeFlavour::Extension);
}

namespace {

const wchar_t* MediaElementName(const CatalogItem* record) {
  if (!record) return nullptr;
  switch (record->kind) {
    case MediaKindPicture: return L"PICTURE";
    case MediaKindAudio: return L"AUDIO";
    case MediaKindVideo: return L"VIDEO";
    case MediaKindWebMedia: return L"WEBM";
    case MediaKindPlaylist: return L"PLAYLIST";
    default: return nullptr;
  }
}

// A media item's folder: before the last backslash, else before the last
// "/" (a web address keeps its part before the last "/"), else the whole.
// A folder's: before the last backslash only.
std::wstring ParentPathOf(const std::wstring& path, bool media) {
  size_t cut = path.rfind(L'\\');
  if (cut == std::wstring::npos && media) cut = path.rfind(L'/');
  return cut == std::wstring::npos ? path : path.substr(0, cut);
}

// The elements are made on the DOM under the parser's current node, which
// stays where it is: moving the cursor reloads its cache of attributes on
// every step, a cost the 100,000 elements of a large catalog notice.
class ElementWriter {
 public:
  explicit ElementWriter(IXMLDOMNode* parent) {
    if (!parent) RaiseComError(E_POINTER);
    DomCheck(parent->get_ownerDocument(document_.Receive()));
    if (!document_) RaiseComError(E_POINTER);
    parents_.push_back(ComPtr<IXMLDOMNode>(parent));
  }

  // Adds an element as the first child of the current parent; with open, it
  // becomes the parent of what follows until Close.
  void Add(const std::wstring& name, const std::wstring& parentName, const std::wstring& label,
           const std::wstring& path, bool media, bool open) {
    ComPtr<IXMLDOMElement> element;
    DomCheck(document_->createElement(ComBstr(name).Get(), element.Receive()));
    if (!element) RaiseComError(E_POINTER);
    Set(element.Get(), names_.parentName, parentName);
    Set(element.Get(), names_.branchName, label);
    Set(element.Get(), names_.branchPath, path);
    Set(element.Get(), names_.parentPath, ParentPathOf(path, media));
    IXMLDOMNode* parent = parents_.back().Get();
    ComPtr<IXMLDOMNode> first = DomFirstChild(parent);
    ComVariant before = first ? ComVariant::Unknown(first.Get()) : ComVariant();
    ComPtr<IXMLDOMNode> added;
    DomCheck(parent->insertBefore(element.Get(), before.Get(), added.Receive()));
    if (open) parents_.push_back(added);
  }
  void Close() {
    if (parents_.size() > 1) parents_.pop_back();
  }

 private:
  static void Set(IXMLDOMElement* element, const ComBstr& name, const std::wstring& value) {
    DomCheck(element->setAttribute(name.Get(), ComVariant::String(value).Get()));
  }
  struct Names {
    ComBstr parentName{L"parentname"};
    ComBstr branchName{L"branchname"};
    ComBstr branchPath{L"branchpath"};
    ComBstr parentPath{L"parentpath"};
  } names_;
  ComPtr<IXMLDOMDocument> document_;
  std::vector<ComPtr<IXMLDOMNode>> parents_;
};

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

struct WriteLevel {
  HTREEITEM item;
  std::wstring parentName;
};

void Write(HWND tree, MSXMLParser& parser, HTREEITEM first, const std::wstring& parentName, int& counter,
           bool catalogFile) {
  TreeShape shape(tree);
  HTREEITEM start = first ? first : shape.First();
  if (!start) return;
  std::vector<wchar_t> buffer(260);
  std::wstring label;
  CatalogItem* record = nullptr;
  ComPtr<IXMLDOMNode> current = parser.Get_CurrentNode();
  ElementWriter writer(current.Get());
  std::vector<WriteLevel> levels;
  bool topLevel = shape.Parent(start) == nullptr;
  levels.push_back({start, topLevel && catalogFile ? std::wstring(L"CATALOG") : parentName});
  while (!levels.empty()) {
    HTREEITEM item = levels.back().item;
    if (!item) {
      levels.pop_back();
          if (!levels.empty()) writer.Close();
      continue;
    }
    levels.back().item = shape.Next(item);
    if (!ReadItem(tree, item, buffer, label, record)) continue;
    const std::wstring& path = record ? record->path : label;
    const std::wstring& parent = levels.back().parentName;
    const wchar_t* element = MediaElementName(record);
    // The extension list's groups carry their kind and hold the entries: as
    // in the shipped file, they are written as folders.
    HTREEITEM child = element && catalogFile ? nullptr : shape.Child(item);
    if (element && !child) {
      writer.Add(element, parent, label, path, true, false);
      continue;
    }
    writer.Add(L"FOLDER" + std::to_wstring(counter), parent, label, path, element != nullptr, child != nullptr);
    ++counter;
    if (child) levels.push_back({child, label});
  }
}

}  // namespace

void WriteCatalogItems(HWND tree, MSXMLParser& parser, HTREEITEM first, const std::wstring& parentName,
                       int& counter) {
  Write(tree, parser, first, parentName, counter, true);
}

void WriteExtensionItems(HWND tree, MSXMLParser& parser, HTREEITEM first, const std::wstring& parentName,
                         int& counter) {
  Write(tree, parser, first, parentName, counter, false);
}
