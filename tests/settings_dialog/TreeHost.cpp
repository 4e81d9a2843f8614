#include "settings_dialog/TreeHost.h"

#include <msxml2.h>

#include <algorithm>

#include "media/MSXMLParser.h"
#include "platform/WideText.h"
#include "settings_dialog/CatalogTree.h"

namespace {

const wchar_t kHostClass[] = L"KelTreeHost";

void RegisterHostClass() {
  static bool registered = false;
  if (registered) return;
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kHostClass;
  RegisterClassW(&wc);
  registered = true;
}

}  // namespace

TreeHost::TreeHost() {
  RegisterHostClass();
  window_ = CreateWindowExW(0, kHostClass, L"Trees", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT;
  CreateWindowExW(0, WC_TREEVIEWW, L"", style, 0, 0, 400, 480, window_, reinterpret_cast<HMENU>(1006),
                  GetModuleHandleW(nullptr), nullptr);
  CreateWindowExW(0, WC_TREEVIEWW, L"", style, 400, 0, 240, 480, window_, reinterpret_cast<HMENU>(1014),
                  GetModuleHandleW(nullptr), nullptr);
}

TreeHost::~TreeHost() { Destroy(); }

void TreeHost::Destroy() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
}

bool TreeNode::operator==(const TreeNode& o) const {
  return label == o.label && kind == o.kind && path == o.path && children == o.children &&
         (name.empty() || o.name.empty() || name == o.name) && (parent.empty() || o.parent.empty() || parent == o.parent);
}

std::ostream& operator<<(std::ostream& out, const TreeNode& node) {
  out << "{" << WideToUtf8(node.label) << ", " << node.kind << ", " << WideToUtf8(node.path);
  if (!node.name.empty() || !node.parent.empty()) out << ", " << WideToUtf8(node.name) << ", " << WideToUtf8(node.parent);
  if (!node.children.empty()) {
    out << ", [";
    for (const TreeNode& child : node.children) out << child << " ";
    out << "]";
  }
  return out << "}";
}

void BuildTree(HWND tree, const std::vector<TreeNode>& nodes, HTREEITEM parent) {
  for (const TreeNode& node : nodes) {
    CatalogItem* record = new CatalogItem;
    record->name = node.name;
    record->path = node.path;
    record->parent = node.parent;
    record->kind = node.kind;
    HTREEITEM item = AppendCatalogTreeItem(tree, parent, node.kind, node.label, record);
    BuildTree(tree, node.children, item);
  }
}

std::vector<TreeNode> ReadTree(HWND tree, bool withNames, HTREEITEM first) {
  std::vector<TreeNode> out;
  for (HTREEITEM item = first ? first : TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
    TreeView_Expand(tree, item, TVE_EXPAND);
    TreeNode node;
    GetTreeItemText(tree, item, node.label);
    if (const CatalogItem* record = GetTreeItemRecord(tree, item)) {
      node.kind = record->kind;
      node.path = record->path;
      if (withNames) {
        node.name = record->name;
        node.parent = record->parent;
      }
    }
    if (HTREEITEM child = TreeView_GetChild(tree, item)) node.children = ReadTree(tree, withNames, child);
    out.push_back(std::move(node));
  }
  return out;
}

std::wstring ShownItems(HWND tree, HTREEITEM first) {
  std::wstring out;
  for (HTREEITEM item = first ? first : TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
    if (!out.empty()) out += L", ";
    std::wstring label;
    GetTreeItemText(tree, item, label);
    out += label;
    TVITEMW tv = {};
    tv.mask = TVIF_CHILDREN;
    tv.hItem = item;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    if (HTREEITEM child = TreeView_GetChild(tree, item))
      out += L"(" + ShownItems(tree, child) + L")";
    else if (tv.cChildren)
      out += L"+";
  }
  return out;
}

HTREEITEM FindShownItem(HWND tree, const std::wstring& label, HTREEITEM first) {
  for (HTREEITEM item = first ? first : TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
    std::wstring text;
    GetTreeItemText(tree, item, text);
    if (text == label) return item;
    if (HTREEITEM child = TreeView_GetChild(tree, item))
      if (HTREEITEM found = FindShownItem(tree, label, child)) return found;
  }
  return nullptr;
}

int CountItems(HWND tree) { return static_cast<int>(SendMessageW(tree, TVM_GETCOUNT, 0, 0)); }

namespace {

XmlElement ReadElement(IXMLDOMNode* node) {
  XmlElement element;
  element.name = DomNodeName(node);
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  DomCheck(node->get_attributes(attributes.Receive()));
  long count = 0;
  if (attributes) DomCheck(attributes->get_length(&count));
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> attribute;
    DomCheck(attributes->get_item(i, attribute.Receive()));
    ComVariant value;
    DomCheck(attribute->get_nodeValue(value.Receive()));
    element.attributes.emplace_back(DomNodeName(attribute.Get()), value.Text());
  }
  for (ComPtr<IXMLDOMNode> child = DomFirstChild(node); child; child = DomNextSibling(child.Get()))
    if (DomNodeType(child.Get()) == NODE_ELEMENT) element.children.push_back(ReadElement(child.Get()));
  return element;
}

}  // namespace

bool ParseXmlFile(const std::wstring& path, XmlElement& root) {
  Tam_MSXMLParser parser;
  if (!parser.Load_Document(path)) return false;
  ComPtr<IXMLDOMNode> node = parser.Get_CurrentNode();
  if (!node) return false;
  root = ReadElement(node.Get());
  return true;
}

std::wstring Attribute(const XmlElement& element, const std::wstring& name) {
  for (const auto& attribute : element.attributes)
    if (attribute.first == name) return attribute.second;
  return L"<missing>";
}

int ItemImage(HWND tree, HTREEITEM item) {
  TVITEMW tv = {};
  tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tv.hItem = item;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return -1;
  return tv.iImage == tv.iSelectedImage ? tv.iImage : -2;
}

HTREEITEM TopItem(HWND tree, int index) {
  HTREEITEM item = TreeView_GetRoot(tree);
  while (item && index-- > 0) item = TreeView_GetNextSibling(tree, item);
  return item;
}

HTREEITEM ChildItem(HWND tree, HTREEITEM parent, int index) {
  HTREEITEM item = TreeView_GetChild(tree, parent);
  while (item && index-- > 0) item = TreeView_GetNextSibling(tree, item);
  return item;
}
