#include "media/CatalogLoader.h"

#include <comdef.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/MSXMLParser.h"
#include "media/MediaKind.h"
#include "platform/Trace.h"

namespace {

const wchar_t kCatalogFile[] = L"kelconfig\\Scripts\\dialogs\\catalog.xml";
const wchar_t kAdvertFolder[] = L"kelconfig\\AdMedia\\";
const wchar_t kAdvertParent[] = L"TODOADVERTISINGPARENT";

// A missing attribute reads as empty rather than as the value of an earlier
// sibling.
std::wstring ReadAttribute(IXMLDOMElement* element, const ComBstr& name) {
  ComVariant value;
  DomCheck(element->getAttribute(name.Get(), value.Receive()));
  return value.Text();
}

struct CatalogAttributeNames {
  ComBstr branchName{L"branchname"};
  ComBstr branchPath{L"branchpath"};
  ComBstr parentPath{L"parentpath"};
};

// Visits start, its descendants and its following siblings in document
// order, parents before their children, calling visit (element, name, parent
// name) for every element. Kept off the call stack: a catalog may nest deeper
// than the worker's stack could recurse. Each node costs its type, its first
// child and its next sibling; an element its name as well, which the walk
// keeps as the parent name of its children.
template <class Visit>
void WalkElements(IXMLDOMNode* start, Visit&& visit) {
  if (!start) return;
  ComPtr<IXMLDOMNode> startParent = DomParent(start);
  std::vector<std::wstring> parentNames{startParent ? DomNodeName(startParent.Get()) : std::wstring()};
  std::vector<ComPtr<IXMLDOMNode>> ancestors;
  ComPtr<IXMLDOMNode> node(start);
  while (node) {
    bool element = DomNodeType(node.Get()) == NODE_ELEMENT;
    std::wstring name;
    if (element) {
      name = DomNodeName(node.Get());
      visit(node.Get(), name, parentNames.back());
    }
    ComPtr<IXMLDOMNode> child = DomFirstChild(node.Get());
    if (child) {
      parentNames.push_back(element ? std::move(name) : DomNodeName(node.Get()));
      ancestors.push_back(std::move(node));
      node = std::move(child);
      continue;
    }
    for (;;) {
      ComPtr<IXMLDOMNode> next = DomNextSibling(node.Get());
      if (next) {
        node = std::move(next);
        break;
      }
      if (ancestors.empty()) {
        node.Reset();
        break;
      }
      node = std::move(ancestors.back());
      ancestors.pop_back();
      parentNames.pop_back();
    }
  }
}

// The walk has already told the element by its type; no need to ask again.
ComPtr<IXMLDOMElement> AsElement(IXMLDOMNode* node) {
  return ComPtr<IXMLDOMNode>(node).Query<IXMLDOMElement>(kIID_IXMLDOMElement);
}

// One load: its own parser, deleted before returning. A DOM failure ends the
// load where it stands; the entries added so far stay and the show goes on.
template <class Walk>
bool LoadCatalog(const std::wstring& path, Walk&& walk) {
  try {
    Tam_MSXMLParser parser;
    parser.Load_Document(path);
    ComPtr<IXMLDOMNode> node = parser.Get_CurrentNode();
    if (!node) return false;
    walk(node.Get());
    return true;
  } catch (const _com_error& error) {
    Trace(L"catalog %s: DOM failure 0x%08lX", path.c_str(), static_cast<unsigned long>(error.Error()));
  } catch (const std::bad_alloc&) {
    Trace(L"catalog %s: out of memory", path.c_str());
  }
  return false;
}

}  // namespace

void WalkCatalogMedia(IXMLDOMNode* start, bool advert) {
  CatalogAttributeNames names;
  WalkElements(start, [&](IXMLDOMNode* node, const std::wstring& name, const std::wstring&) {
    int kind = MediaKindOfElementName(name);
    if (kind == MediaKindFolder) return;
    ComPtr<IXMLDOMElement> element = AsElement(node);
    if (!element) return;
    std::wstring path = ReadAttribute(element.Get(), names.branchPath);
    if (advert) {
      AddAdvert(path, kAdvertParent, kind);
      return;
    }
    std::wstring parent = ReadAttribute(element.Get(), names.parentPath);
    if (kind == MediaKindPicture)
      AddPicture(ReadAttribute(element.Get(), names.branchName), path, parent, kind);
    else if (kind == MediaKindWebMedia)
      AddWebMedia(path, parent, kind);
    else
      AddMedia(path, parent, kind);
  });
}

void WalkCatalogNodes(IXMLDOMNode* start) {
  CatalogAttributeNames names;
  WalkElements(start, [&](IXMLDOMNode* node, const std::wstring&, const std::wstring& parentName) {
    if (CompareStringOrdinal(parentName.c_str(), static_cast<int>(parentName.size()), L"catalog", 7, TRUE) != CSTR_EQUAL)
      return;
    ComPtr<IXMLDOMElement> element = AsElement(node);
    if (!element) return;
    AddCatalogNode(ReadAttribute(element.Get(), names.branchPath), ReadAttribute(element.Get(), names.parentPath));
  });
}

bool LoadMediaCatalog() {
  return LoadCatalog(KEL_TARGETDIR + kCatalogFile, [](IXMLDOMNode* node) { WalkCatalogMedia(node, false); });
}

bool LoadAdvertCatalog() {
  return LoadCatalog(KEL_TARGETDIR + kAdvertFolder + AdvertiserCatalog,
                     [](IXMLDOMNode* node) { WalkCatalogMedia(node, true); });
}

bool LoadCatalogNodes() { return LoadCatalog(KEL_TARGETDIR + kCatalogFile, WalkCatalogNodes); }
